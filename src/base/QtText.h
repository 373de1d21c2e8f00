#pragma once
// Text where it meets Qt. The program's text is UTF-8; a byte outside any
// well-formed sequence shows as its Windows-1251 character.
#include <QString>
#include <string>
#include <string_view>

QString AnsiToQString(std::string_view s);
std::string QStringToAnsi(const QString& s);
