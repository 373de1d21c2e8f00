#include <gtest/gtest.h>

#include "base/AnsiString.h"
#include "base/CodePage.h"

namespace {
// Test texts are written in UTF-8 and used as the program holds them.
std::string A(std::string_view utf8) { return Utf8TextToAnsi(utf8); }
}  // namespace

TEST(AnsiString, TrimCutsOnlyCodesUpTo32) {
    EXPECT_EQ(Trim(std::string("\t\r\n \x01" "abc \x1F\x20", 10)), "abc");
    EXPECT_EQ(Trim(std::string("\0x\0", 3)), "x");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim(""), "");
    // 0xA0 (no-break space) and Cyrillic letters are characters, not blanks.
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(Trim(" " + A("я") + " "), A("я"));
    EXPECT_EQ(TrimLeft("  a b  "), "a b  ");
    EXPECT_EQ(TrimRight("  a b  "), "  a b");
    EXPECT_EQ(TrimRight("\xFF\xFF  "), "\xFF\xFF");
    EXPECT_EQ(TrimLeft("\x7F"), "\x7F");  // DEL is above 32
}

TEST(AnsiString, CyrillicCaseFollowsWindows1251) {
    EXPECT_EQ(AnsiUpperCase(A("абвгдеёжзийклмнопрстуфхцчшщъыьэюя")), A("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"));
    EXPECT_EQ(AnsiLowerCase(A("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ")), A("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"));
    // The other Cyrillic letters of the code page: Ukrainian, Belarusian, Serbian, Macedonian.
    EXPECT_EQ(AnsiUpperCase(A("ґєіїўђѓљњќћџјѕ")), A("ҐЄІЇЎЂЃЉЊЌЋЏЈЅ"));
    EXPECT_EQ(AnsiLowerCase(A("ҐЄІЇЎЂЃЉЊЌЋЏЈЅ")), A("ґєіїўђѓљњќћџјѕ"));
    EXPECT_EQ(AnsiUpperChar('\xB8'), '\xA8');
    EXPECT_EQ(AnsiLowerChar('\xA8'), '\xB8');
    EXPECT_EQ(AnsiUpperCase("Select x_1"), "SELECT X_1");
    // Signs without case stay: µ has no capital in the code page, « № € too.
    EXPECT_EQ(AnsiUpperCase("\xB5\xAB\xB9\x88\xA0"), "\xB5\xAB\xB9\x88\xA0");
    // Every byte maps to a byte that maps back (no letter is lost).
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        const char up = AnsiUpperChar(ch), lo = AnsiLowerChar(ch);
        if (up != ch) {
            EXPECT_EQ(AnsiLowerChar(up), ch) << c;
        }
        if (lo != ch) {
            EXPECT_EQ(AnsiUpperChar(lo), ch) << c;
        }
    }
    // UpperCase/LowerCase touch ASCII letters only.
    EXPECT_EQ(UpperCase("ab" + A("вг")), "AB" + A("вг"));
    EXPECT_EQ(LowerCase("AB" + A("ВГ")), "ab" + A("ВГ"));
}

TEST(AnsiString, Comparisons) {
    EXPECT_TRUE(AnsiSameText(A("Ёлка"), A("ёЛКА")));
    EXPECT_FALSE(SameText(A("Ёлка"), A("ёЛКА")));  // ASCII only
    EXPECT_TRUE(SameText("StartSql", "STARTSQL"));
    EXPECT_FALSE(AnsiSameText("ab", "abc"));
    EXPECT_EQ(AnsiCompareText(A("яблоко"), A("ЯБЛОКО")), 0);
    EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
    EXPECT_GT(AnsiCompareText("abcd", "ABC"), 0);
    EXPECT_LT(AnsiCompareStr("A", "a"), 0);
    EXPECT_LT(AnsiCompareStr("z", A("а")), 0);  // bytes compare unsigned
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
