#include <gtest/gtest.h>

#include "base/AnsiString.h"

namespace {
// Test texts are written in UTF-8 and used as the program holds them.
}  // namespace

TEST(AnsiString, TrimCutsOnlyCodesUpTo32) {
    EXPECT_EQ(Trim(std::string("\t\r\n \x01" "abc \x1F\x20", 10)), "abc");
    EXPECT_EQ(Trim(std::string("\0x\0", 3)), "x");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim(""), "");
    // 0xA0 (no-break space) and Cyrillic letters are characters, not blanks.
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(Trim(" я "), "я");
    EXPECT_EQ(TrimLeft("  a b  "), "a b  ");
    EXPECT_EQ(TrimRight("  a b  "), "  a b");
    EXPECT_EQ(TrimRight("\xFF\xFF  "), "\xFF\xFF");
    EXPECT_EQ(TrimLeft("\x7F"), "\x7F");  // DEL is above 32
}

TEST(AnsiString, LetterCaseOfEveryScript) {
    EXPECT_EQ(AnsiUpperCase("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"), "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
    EXPECT_EQ(AnsiLowerCase("ҐЄІЇЎЂЃЉЊЌЋЏЈЅ"), "ґєіїўђѓљњќћџјѕ");
    EXPECT_EQ(AnsiUpperCase("Select x_1 élan"), "SELECT X_1 ÉLAN");
    // One byte's case touches ASCII only: a byte of a UTF-8 sequence stays.
    EXPECT_EQ(AnsiUpperChar('a'), 'A');
    EXPECT_EQ(AnsiUpperChar('\xB8'), '\xB8');
    EXPECT_EQ(AnsiLowerChar('\xD0'), '\xD0');
    // A character whose upper case has another length in bytes.
    EXPECT_EQ(AnsiUpperCase("ɐ"), "Ɐ");
    // UpperCase/LowerCase touch ASCII letters only.
    EXPECT_EQ(UpperCase("abвг"), "ABвг");
    EXPECT_EQ(LowerCase("ABВГ"), "abВГ");
}

TEST(AnsiString, Comparisons) {
    EXPECT_TRUE(AnsiSameText("Ёлка", "ёЛКА"));
    EXPECT_TRUE(AnsiSameText("Éclair", "éCLAIR"));
    EXPECT_FALSE(AnsiSameText("Ёлка", "Ёлки"));
    EXPECT_FALSE(SameText("Ёлка", "ёЛКА"));  // ASCII only
    EXPECT_TRUE(SameText("StartSql", "STARTSQL"));
    EXPECT_FALSE(AnsiSameText("ab", "abc"));
    EXPECT_EQ(AnsiCompareText("яблоко", "ЯБЛОКО"), 0);
    EXPECT_LT(AnsiCompareText("абв", "АБГ"), 0);
    EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
    EXPECT_GT(AnsiCompareText("abcd", "ABC"), 0);
    EXPECT_LT(AnsiCompareStr("A", "a"), 0);
    EXPECT_LT(AnsiCompareStr("z", "а"), 0);  // bytes compare unsigned
    EXPECT_EQ(AnsiCompareStr("", ""), 0);
    EXPECT_LT(AnsiCompareStr("", "a"), 0);
}

TEST(AnsiString, PosReplaceAndNumbers) {
    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("abcd", "abc"), 0);
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");  // no rescanning
    EXPECT_EQ(ReplaceAll("a.b.c", ".", ".."), "a..b..c");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("\r\n\r\n", "\r\n", "\n"), "\n\n");
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToStr(INT64_MAX), "9223372036854775807");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0x1234, 2), "1234");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}
