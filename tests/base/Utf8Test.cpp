#include <gtest/gtest.h>

#include "base/Utf8.h"

namespace {
std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s.push_back(static_cast<char>(c));
    return s;
}
}  // namespace

// The boundaries of well-formed UTF-8: the longest valid and the shortest
// invalid form of each length.
TEST(Utf8, WellFormedSequencesAndTheirBoundaries) {
    struct Row {
        std::string bytes;
        bool valid;
    } rows[] = {
        {Bytes({0x7F}), true},
        {Bytes({0xC2, 0x80}), true},              // U+0080, the first two-byte form
        {Bytes({0xC1, 0xBF}), false},             // overlong U+007F
        {Bytes({0xDF, 0xBF}), true},              // U+07FF
        {Bytes({0xE0, 0xA0, 0x80}), true},        // U+0800
        {Bytes({0xE0, 0x9F, 0xBF}), false},       // overlong U+07FF
        {Bytes({0xED, 0x9F, 0xBF}), true},        // U+D7FF
        {Bytes({0xED, 0xA0, 0x80}), false},       // U+D800, a surrogate
        {Bytes({0xEF, 0xBF, 0xBF}), true},        // U+FFFF
        {Bytes({0xF0, 0x90, 0x80, 0x80}), true},  // U+10000
        {Bytes({0xF0, 0x8F, 0xBF, 0xBF}), false}, // overlong U+FFFF
        {Bytes({0xF4, 0x8F, 0xBF, 0xBF}), true},  // U+10FFFF
        {Bytes({0xF4, 0x90, 0x80, 0x80}), false}, // U+110000
        {Bytes({0xF5, 0x80, 0x80, 0x80}), false},
        {Bytes({0xE2, 0x82}), false},             // truncated
        {Bytes({0x80}), false},                   // stray continuation
    };
    for (const Row& r : rows) {
        EXPECT_EQ(IsValidUtf8(r.bytes), r.valid) << testing::PrintToString(r.bytes);
        const Utf8Char c = DecodeUtf8(r.bytes, 0);
        EXPECT_EQ(c.valid, r.valid);
        EXPECT_EQ(c.length, r.valid ? r.bytes.size() : 1u);
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
    EXPECT_EQ(PrevUtf8(s, s.size()), s.size() - 1);        // the stray byte alone
    EXPECT_EQ(PrevUtf8(s, s.size() - 1), s.size() - 5);    // the emoji
    EXPECT_EQ(PrevUtf8(s, 6), 3u);                          // 漢
    EXPECT_EQ(PrevUtf8(s, 3), 1u);                          // é
    EXPECT_EQ(PrevUtf8(s, 1), 0u);
    EXPECT_EQ(PrevUtf8(s, 0), 0u);
    // A continuation byte after a complete character is a character of its own.
    EXPECT_EQ(PrevUtf8("é\x80", 3), 2u);
}

TEST(Utf8, DisplayWidthCountsCells) {
    EXPECT_EQ(DisplayWidth("abc"), 3);
    EXPECT_EQ(DisplayWidth("Привет"), 6);
    EXPECT_EQ(DisplayWidth("漢字"), 4);
    EXPECT_EQ(DisplayWidth("😀"), 2);
    EXPECT_EQ(DisplayWidth("e\u0301"), 1);  // e with a combining acute
    EXPECT_EQ(DisplayWidth("\xFF\xFE"), 2);   // legacy bytes show one mark each
    EXPECT_EQ(DisplayWidth("\t"), 1);
    EXPECT_EQ(DisplayWidth(""), 0);
    EXPECT_EQ(CharCells(0xE000), 1);  // private use: a glyph, not a mark
}

TEST(Utf8, CutsNeverSplitACharacter) {
    int used = -1;
    EXPECT_EQ(CellPrefix("abcdef", 3, &used), 3u);
    EXPECT_EQ(used, 3);
    EXPECT_EQ(CutToCells("abc", 3), "abc");  // at the limit
    EXPECT_EQ(CutToCells("abc", 2), "ab");   // one past it
    EXPECT_EQ(CutToCells("Привет", 4), "Прив");
    // A wide character that does not fit is left out whole.
    EXPECT_EQ(CellPrefix("a漢b", 2, &used), 1u);
    EXPECT_EQ(used, 1);
    EXPECT_EQ(CutToCells("a漢b", 3), "a漢");
    // Marks go with their letter, also at the very edge.
    EXPECT_EQ(CutToCells("e\u0301x", 1), "e\u0301");
    EXPECT_EQ(CutToCells("abc", 0), "");
    EXPECT_EQ(CutToCells("abc", -1), "");

    EXPECT_EQ(CharCount("aé漢😀\xFF"), 5u);
    EXPECT_EQ(CharOffset("aé漢", 2), 3u);
    EXPECT_EQ(CharOffset("aé漢", 9), 6u);
    EXPECT_EQ(CharSubstr("Привет, мир", 8, 3), "мир");
    EXPECT_EQ(CharSubstr("Привет", 4), "ет");
    EXPECT_EQ(CharSubstr("Привет", 10), "");
}

TEST(Utf8, LetterCaseOfEveryScript) {
    EXPECT_EQ(Utf8UpperCase("élan ёжик ω"), "ÉLAN ЁЖИК Ω");
    EXPECT_EQ(Utf8LowerCase("ПРИВЕТ ÀÉÎ ΣΑΣ Select"), "привет àéî σασ select");
    // Ill-formed bytes and characters without case stay as they are.
    EXPECT_EQ(Utf8UpperCase("a\xFF\xC0z漢"), "A\xFF\xC0Z漢");
    EXPECT_TRUE(IsLetterChar(U'Ж'));
    EXPECT_TRUE(IsLetterChar(U'漢'));
    EXPECT_FALSE(IsLetterChar(U'5'));
    EXPECT_FALSE(IsLetterChar(U'_'));
}

TEST(Utf8, LegacyTextReadsAsCyrillic) {
    EXPECT_EQ(DisplayText("ok é"), "ok é");
    EXPECT_EQ(DisplayText("\xCF\xF0\xE8\xE2\xE5\xF2 é"), "Привет é");
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF\x88 z"), "Ая€ z");
    size_t lost = 0;
    EXPECT_EQ(Utf8ToCp1251("Ая€ z", &lost), "\xC0\xFF\x88 z");
    EXPECT_EQ(lost, 0u);
    EXPECT_EQ(Utf8ToCp1251("漢é", &lost), "??");
    EXPECT_EQ(lost, 2u);
    // Bytes that are Windows-1251 already pass as they are.
    EXPECT_EQ(Utf8ToCp1251("\xC0\xFF"), "\xC0\xFF");
    std::string all;
    for (int c = 0; c < 256; ++c)
        if (c != 0x98) all.push_back(static_cast<char>(c));
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Utf8, FileTextSkipsTheMarkReadsLinesAndFallsBackToWindows1251) {
    EXPECT_EQ(FileText("\xEF\xBB\xBFselect 'é';"), "select 'é';");
    EXPECT_EQ(FileText("select '\xCF\xF0\xE8';\r\n"), "select 'При';\n");
    // A CR LF pair reads as LF; LF and a lone CR stay, also next to each other.
    EXPECT_EQ(FileText("a\r\nb\nc\rd\n\r\r\r\n"), "a\nb\nc\rd\n\r\r\n");
    EXPECT_EQ(FileText("\r\n"), "\n");
    EXPECT_EQ(FileText(""), "");
}
