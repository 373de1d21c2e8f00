#pragma once
// Text converters of the query layer: each byte is a Windows-1252 character
// on the program's side and UTF-8 on the engine's side.
#include <string>
#include <string_view>
#include <cstdint>

#include "base/DateTime.h"

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

// Reading the engine's text into stored values, as the query's fetch does.
constexpr int64_t kLargeintNullMarker = INT64_MIN;
constexpr int16_t kBooleanNullMarker = 0x1D97;
// Empty: the null marker; a decimal or "$"-hexadecimal integer; other text 0.
int64_t SQLiteTextToInt64(std::string_view text);
// Empty: the null marker; "0" and texts starting with F or N (any case) are
// false; anything else is true.
int16_t SQLiteTextToBoolean(std::string_view text);
// Empty: the null marker (all bits set); unreadable text 0.
double SQLiteTextToFloat(std::string_view text);
bool IsFloatNullMarker(double v);
double FloatNullMarker();
// The general reading: the process formats, then the first ten characters as
// a date with the short date format, "dd-mm-yyyy" and "yyyy-mm-dd"; failing
// all, 1900-01-01. Empty text gives 0.
TDateTime SQLiteTextToDateTime(std::string_view text);
// The fixed-position reading of "yyyy-mm-dd hh:nn:ss.zzz" and
// "dd.mm.yyyy hh:nn:ss.zzz" (blanks removed first); any failure gives 0.
TDateTime SQLiteFixedTextToDateTime(std::string_view text);
