#pragma once
// The program's code pages: ANSI is Windows-1251, OEM is CP866.
#include <string>
#include <string_view>

// Unicode code point of an ANSI byte (bytes the code page leaves unassigned
// map to U+FFFD).
char32_t AnsiToUnicode(unsigned char c);
// ANSI byte of a code point; '?' when the code page has none.
char UnicodeToAnsi(char32_t u);

char32_t OemToUnicode(unsigned char c);
char UnicodeToOem(char32_t u);

// Table conversions between the two 8-bit code pages (unmappable -> '?').
std::string CharToOem(std::string_view ansi);
std::string OemToChar(std::string_view oem);

// ANSI bytes to UTF-8 and back, for the edges where text leaves the program
// (terminal output, Qt). Invalid UTF-8 and unmappable characters become '?'.
std::string AnsiToUtf8Text(std::string_view ansi);
std::string Utf8TextToAnsi(std::string_view utf8);
