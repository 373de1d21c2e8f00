#pragma once
// The two 8-bit code pages the program still reads: Windows-1251 (legacy
// scripts and databases, and how an ill-formed UTF-8 byte is shown) and
// CP866 (the DOS code page of DBF files).
#include <string>
#include <string_view>

// Unicode code point of a byte (bytes the code page leaves unassigned map
// to U+FFFD).
char32_t Cp1251ToUnicode(unsigned char c);
char32_t Cp866ToUnicode(unsigned char c);
// The byte of a code point, -1 when the code page has none.
int UnicodeToCp1251(char32_t u);
int UnicodeToCp866(char32_t u);
