#pragma once
// The console's scalar SQL functions. They reach the engine through the
// entry points of the connection that registered them last and is still
// connected (a process-wide reference, dropped when that connection goes).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TQorSQLite3DB;

namespace sqlite_functions {
void Register(TQorSQLite3DB& db);
void Forget(TQorSQLite3DB& db);

// The text work of the functions, on UTF-8. Widths and positions count
// characters; a byte outside any well-formed sequence is a character of its
// own, and no result is cut inside a character of its input.

// Longest text (in bytes) a function builds.
constexpr int64_t kMaxResultLength = 100'000'000;

// 1-based character position of the first occurrence of sub in s, 0 when
// absent or when sub is empty. An occurrence starts and ends on character
// boundaries of s.
int64_t TextPosition(std::string_view sub, std::string_view s);
// Every occurrence of from (as TextPosition finds them) replaced by to, left
// to right, without rescanning; an empty from leaves s as it is.
std::string TextReplace(std::string_view s, std::string_view from, std::string_view to);

// LikeAnsi: both texts trimmed and upper-cased, then TextPosition of the
// second in the first.
int64_t LikePosition(std::string_view text, std::string_view sub);
// ReplaceUpper: the three texts trimmed and upper-cased, then TextReplace.
std::string ReplaceUpperText(std::string_view s, std::string_view from, std::string_view to);

// PadLeft (left) and PadRight: the text aligned in `width` characters, the
// rest filled with whole copies of pad (" " when empty) from the text
// outwards, then cut to `width` characters from the far side of the
// padding; a text already as wide is cut from its start (left) or its end.
// Nothing when the result would exceed kMaxResultLength bytes.
std::optional<std::string> PadText(std::string_view text, int64_t width, std::string_view pad, bool left);

// Translate: each character of s found in from is replaced by the character
// at the same position in to (the first position counts when from repeats
// a character); when to has no character there, it is dropped.
std::string TranslateText(std::string_view s, std::string_view from, std::string_view to);

// XxxInt: the trimmed text's first four characters read as base-64 digits
// of the IntXxx alphabet; other characters and missing places count 0.
int32_t CodeValue(std::string_view text);
}  // namespace sqlite_functions
