#pragma once
// Text converters of the query layer: each byte is a Windows-1252 character
// on the program's side and UTF-8 on the engine's side.
#include <string>
#include <string_view>

std::string AnsiToUtf8(std::string_view text);
// Decodes one- to three-byte sequences; a sequence that is malformed,
// truncated or four bytes long yields one `replacement` byte and is skipped
// whole. Code points without a Windows-1252 byte also give `replacement`.
std::string Utf8ToAnsi(std::string_view text, char replacement = '\xEC');

// The engine's integer text as the query layer reads it: empty gives the
// integer null marker, a decimal or "$"-hexadecimal integer its value, any
// other text 0.
constexpr int32_t kIntegerNullMarker = -2147483647 - 1;
int32_t SQLiteTextToInt(std::string_view text);
