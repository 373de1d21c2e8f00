#pragma once
// What the memo's parts share about the text they show: how a character is
// drawn, which characters make words, and the cell arithmetic.
#include <QColor>
#include <Qt>

#include "base/Utf8.h"

namespace memo_text {

// The character drawn for a character of the text: control characters
// have no glyph, so they show a middle dot (a cell stays a cell).
inline char32_t ShownCode(char32_t u) { return u < 0x20 ? 0x00B7 : u; }

// Letters of every script, digits and the identifier marks make words.
inline bool IsWordChar(const Utf8Char& ch) {
    const char32_t c = ch.code;
    if (!ch.valid) return false;
    if (c >= 0x80) return IsLetterChar(c);
    return c == '#' || c == '$' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

// Ill-formed bytes show as their Windows-1251 letters, in their own colour.
inline QColor LegacyByteColor() { return QColor(0x80, 0x00, 0x80); }

// Floor division: pixels left of or above the text map to earlier cells.
inline int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The width of the sunken frame around the text.
constexpr int kFrame = 2;

}  // namespace memo_text
