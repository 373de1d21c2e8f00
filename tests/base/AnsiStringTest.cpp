#include <gtest/gtest.h>

#include "base/AnsiString.h"

// Test texts are written in UTF-8 and used as the program holds them.

TEST(AnsiString, TrimCutsOnlyCodesUpTo32) {
    EXPECT_EQ(Trim(std::string("\t\r\n \x01" "abc \x1F\x20", 10)), "abc");
    EXPECT_EQ(Trim(std::string("\0x\0", 3)), "x");
    // 0xA0 (no-break space) and Cyrillic letters are characters, not blanks.
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(Trim(" я "), "я");
    EXPECT_EQ(TrimRight("  a b  "), "  a b");
}

TEST(AnsiString, LetterCaseAndComparisonsOfEveryScript) {
    EXPECT_EQ(AnsiUpperCase("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"), "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
    EXPECT_EQ(AnsiLowerCase("ҐЄІЇЎЂЃЉЊЌЋЏЈЅ"), "ґєіїўђѓљњќћџјѕ");
    // One byte's case touches ASCII only: a byte of a UTF-8 sequence stays.
    EXPECT_EQ(AnsiUpperChar('\xB8'), '\xB8');
    // A character whose upper case has another length in bytes.
    EXPECT_EQ(AnsiUpperCase("ɐ"), "Ɐ");
    // UpperCase/LowerCase touch ASCII letters only.
    EXPECT_EQ(UpperCase("abвг"), "ABвг");
    EXPECT_EQ(LowerCase("ABВГ"), "abВГ");
    EXPECT_TRUE(AnsiSameText("Ёлка", "ёЛКА"));
    EXPECT_FALSE(AnsiSameText("ab", "abc"));
    EXPECT_FALSE(SameText("Ёлка", "ёЛКА"));  // ASCII only
    EXPECT_LT(AnsiCompareText("абв", "АБГ"), 0);
    EXPECT_GT(AnsiCompareText("abcd", "ABC"), 0);
    EXPECT_LT(AnsiCompareStr("A", "a"), 0);
    EXPECT_LT(AnsiCompareStr("z", "а"), 0);  // bytes compare unsigned
}

TEST(AnsiString, PosReplaceAndNumbers) {
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");  // no rescanning
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}
