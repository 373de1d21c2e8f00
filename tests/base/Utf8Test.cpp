#include <gtest/gtest.h>

#include "base/Utf8.h"

// The boundaries of well-formed UTF-8: the longest valid and the shortest
// invalid form of each length.
TEST(Utf8, WellFormedSequencesAndTheirBoundaries) {
    const std::pair<std::string, bool> rows[] = {
        {"\x7F", true},
        {"\xC2\x80", true},           // U+0080, the first two-byte form
        {"\xC1\xBF", false},          // overlong U+007F
        {"\xDF\xBF", true},           // U+07FF
        {"\xE0\xA0\x80", true},       // U+0800
        {"\xE0\x9F\xBF", false},      // overlong U+07FF
        {"\xED\x9F\xBF", true},       // U+D7FF
        {"\xED\xA0\x80", false},      // U+D800, a surrogate
        {"\xEF\xBF\xBF", true},       // U+FFFF
        {"\xF0\x90\x80\x80", true},   // U+10000
        {"\xF0\x8F\xBF\xBF", false},  // overlong U+FFFF
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
        {"\xF4\x90\x80\x80", false},  // U+110000
        {"\xF5\x80\x80\x80", false},
        {"\xE2\x82", false},          // truncated
        {"\x80", false},              // stray continuation
    };
    for (const auto& [bytes, valid] : rows) {
        EXPECT_EQ(IsValidUtf8(bytes), valid) << testing::PrintToString(bytes);
        const Utf8Char c = DecodeUtf8(bytes, 0);
        EXPECT_EQ(c.valid, valid);
        EXPECT_EQ(c.length, valid ? bytes.size() : 1u);
    }
    EXPECT_EQ(DecodeUtf8("\xF4\x8F\xBF\xBF", 0).code, 0x10FFFFu);
    // An ill-formed byte stands for its Windows-1251 character.
    EXPECT_EQ(DecodeUtf8("\xC0", 0).code, U'А');
    // The ASCII fast path hands over to the careful one at any position.
    std::string text(19, 'a');
    EXPECT_EQ(FirstInvalidUtf8(text + "\xFF" + text), 19u);
    EXPECT_EQ(FirstInvalidUtf8(text + "é" + text), text.size() * 2 + 2);
}

TEST(Utf8, StepsBackOverWholeCharacters) {
    const std::string s = "aé漢😀\xFF";
    EXPECT_EQ(PrevUtf8(s, s.size()), s.size() - 1);      // the stray byte alone
    EXPECT_EQ(PrevUtf8(s, s.size() - 1), s.size() - 5);  // the emoji
    EXPECT_EQ(PrevUtf8(s, 3), 1u);                        // é
    // A continuation byte after a complete character is a character of its own.
    EXPECT_EQ(PrevUtf8("é\x80", 3), 2u);
    EXPECT_EQ(CharCount(s), 5u);
    EXPECT_EQ(CharSubstr("Привет, мир", 8, 3), "мир");
}

// Widths in screen cells, and cuts to a number of cells that never split a
// character nor let a wide one stick out past the limit.
TEST(Utf8, DisplayWidthCountsCells) {
    EXPECT_EQ(DisplayWidth("Привет"), 6);
    EXPECT_EQ(DisplayWidth("漢字"), 4);
    EXPECT_EQ(DisplayWidth("e\u0301"), 1);  // e with a combining acute
    EXPECT_EQ(DisplayWidth("\xFF\xFE"), 2);  // legacy bytes show one mark each
    EXPECT_EQ(CharCells(0xE000), 1);         // private use: a glyph, not a mark
    EXPECT_EQ(CutToCells("abc", 3), "abc");  // at the limit
    EXPECT_EQ(CutToCells("abc", 2), "ab");   // one past it
    // A wide character that does not fit is left out whole.
    int used = -1;
    EXPECT_EQ(CellPrefix("a漢b", 2, &used), 1u);
    EXPECT_EQ(used, 1);
    EXPECT_EQ(CutToCells("a漢b", 3), "a漢");
    // Marks go with their letter, also at the very edge.
    EXPECT_EQ(CutToCells("e\u0301x", 1), "e\u0301");
}

TEST(Utf8, LetterCaseAndLegacyTextOfEveryScript) {
    EXPECT_EQ(Utf8UpperCase("élan ёжик ω"), "ÉLAN ЁЖИК Ω");
    EXPECT_EQ(Utf8LowerCase("ПРИВЕТ ÀÉÎ ΣΑΣ Select"), "привет àéî σασ select");
    // Ill-formed bytes and characters without case stay as they are.
    EXPECT_EQ(Utf8UpperCase("a\xFF\xC0z漢"), "A\xFF\xC0Z漢");
    EXPECT_TRUE(IsLetterChar(U'漢'));

    EXPECT_EQ(DisplayText("\xCF\xF0\xE8\xE2\xE5\xF2 é"), "Привет é");
    size_t lost = 0;
    EXPECT_EQ(Utf8ToCp1251("漢é\xC0", &lost), "??\xC0");  // bytes that are Windows-1251 already pass
    EXPECT_EQ(lost, 2u);
    std::string all;
    for (int c = 0; c < 256; ++c)
        if (c != 0x98) all.push_back(static_cast<char>(c));
    lost = 0;
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all), &lost), all);
    EXPECT_EQ(lost, 0u);
    // A file: the mark skipped, Windows-1251 when it is no UTF-8.
    EXPECT_EQ(FileText("\xEF\xBB\xBFselect 'é';"), "select 'é';");
    EXPECT_EQ(FileText("select '\xCF\xF0\xE8';\r\n"), "select 'При';\n");
    // A CR LF pair reads as LF; LF and a lone CR stay, also next to each other.
    EXPECT_EQ(FileText("a\r\nb\nc\rd\n\r\r\r\n"), "a\nb\nc\rd\n\r\r\n");
}
