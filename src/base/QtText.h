#pragma once
// Text where it meets Qt: each ANSI (Windows-1251) byte is one UTF-16
// character; characters the code page lacks come back as '?'.
#include <QString>
#include <string>
#include <string_view>

QString AnsiToQString(std::string_view s);
std::string QStringToAnsi(const QString& s);
