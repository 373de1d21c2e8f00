#pragma once
// The program's text is UTF-8. A byte that does not begin a well-formed
// sequence (legacy 8-bit text, a blob read as text) is never changed or
// dropped: it counts as one character of its own, one cell wide, and where
// it is shown it appears as its Windows-1251 character.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Bytes one character takes at most: a field of n characters keeps
// kMaxUtf8Bytes * n bytes.
constexpr int kMaxUtf8Bytes = 4;

struct Utf8Char {
    char32_t code;  // the character; for an ill-formed byte, its Windows-1251 character
    uint8_t length; // bytes taken: 1 to 4
    bool valid;     // false for a byte outside any well-formed sequence
};

// The character at byte offset pos (pos < s.size()).
Utf8Char DecodeUtf8(std::string_view s, size_t pos);
// Byte offset of the character before the one at pos (0 at the start).
size_t PrevUtf8(std::string_view s, size_t pos);

bool IsValidUtf8(std::string_view s);
// Offset of the first ill-formed byte, s.size() when there is none.
size_t FirstInvalidUtf8(std::string_view s);

// Cells one character takes on a fixed-pitch screen: two for East Asian
// wide and full-width characters (emoji included), none for combining marks
// and other zero-width characters, one for the rest (control characters and
// ill-formed bytes show as one mark each).
int CharCells(char32_t c);
int CharCells(const Utf8Char& c);
int DisplayWidth(std::string_view s);

// Byte length of the longest prefix of s that fits in `cells` cells; the
// zero-width characters after the last character taken go with it, so that
// a letter never loses its marks. *used receives the prefix's width.
size_t CellPrefix(std::string_view s, int cells, int* used = nullptr);
// The text cut to at most `cells` cells.
std::string_view CutToCells(std::string_view s, int cells);

size_t CharCount(std::string_view s);
// Byte offset of the n-th character (0-based); s.size() when n is past the end.
size_t CharOffset(std::string_view s, size_t n);
// At most n characters from the character `from` on (both 0-based).
std::string_view CharSubstr(std::string_view s, size_t from, size_t n = std::string_view::npos);

// Letter case for every script (simple one-to-one mappings); ill-formed
// bytes stay as they are.
std::string Utf8UpperCase(std::string_view s);
std::string Utf8LowerCase(std::string_view s);
char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);
bool IsLetterChar(char32_t c);
void AppendUtf8(std::string& out, char32_t c);

// Text for the screen or a UTF-8 stream: ill-formed bytes become their
// Windows-1251 characters. Valid text comes back unchanged.
std::string DisplayText(std::string_view s);

// Windows-1251 bytes to UTF-8, and UTF-8 to Windows-1251. The second keeps
// ill-formed bytes as they are (they are taken to be Windows-1251 already)
// and gives '?' for a character the code page lacks, counting it in *lost.
std::string Cp1251ToUtf8(std::string_view s);
std::string Utf8ToCp1251(std::string_view s, size_t* lost = nullptr);

// The text of a script or text file: a UTF-8 byte-order mark is skipped; a
// file that is not valid UTF-8 is read as Windows-1251 and converted; a CR LF
// pair becomes LF, as text files are read on this platform (LF and a lone CR
// stay).
std::string FileText(std::string_view bytes);
// Each CR LF pair as LF; LF and a lone CR stay.
std::string CrLfToLf(std::string text);
