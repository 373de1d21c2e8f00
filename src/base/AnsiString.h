#pragma once
// String helpers with the classic runtime's rules. The program's "ANSI" text
// is UTF-8: letter case and case-blind comparison cover every script.
#include <cstdint>
#include <string>
#include <string_view>

// Characters of code 32 or below are blanks for the trim family.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// One byte's letter case: ASCII letters only (a byte above 0x7F is part
// of a UTF-8 sequence and stays as it is).
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
// Letter case of every script (Cyrillic, accented Latin, Greek, ...).
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
// Letter case of 'a'..'z' only.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// Comparisons: < 0, 0, > 0. The Text forms ignore letter case of every script.
int AnsiCompareStr(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
// ASCII-only case-insensitive equality.
bool SameText(std::string_view a, std::string_view b);

// 1-based position of sub in s, 0 when absent (an empty sub gives 0).
int Pos(std::string_view sub, std::string_view s);
// Every occurrence of from replaced by to, left to right, without rescanning.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

std::string IntToStr(int64_t v);
// Upper-case hexadecimal with at least `digits` digits; negative values are
// printed as their 64-bit two's complement.
std::string IntToHex(int64_t v, int digits);
