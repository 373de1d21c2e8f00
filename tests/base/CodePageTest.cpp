#include <gtest/gtest.h>

#include "base/CodePage.h"

TEST(CodePage, PublishedMappings) {
    EXPECT_EQ(AnsiToUnicode(0xC0), U'А');
    EXPECT_EQ(AnsiToUnicode(0xFF), U'я');
    EXPECT_EQ(AnsiToUnicode(0xA8), U'Ё');
    EXPECT_EQ(AnsiToUnicode(0xB8), U'ё');
    EXPECT_EQ(AnsiToUnicode(0x88), U'€');
    EXPECT_EQ(AnsiToUnicode(0xB9), U'№');
    EXPECT_EQ(AnsiToUnicode(0x98), 0xFFFDu);  // unassigned
    EXPECT_EQ(AnsiToUnicode('A'), U'A');
    EXPECT_EQ(UnicodeToAnsi(U'ж'), '\xE6');
    EXPECT_EQ(UnicodeToAnsi(U'ß'), '?');
    EXPECT_EQ(UnicodeToAnsi(0x1F600), '?');
    EXPECT_EQ(UnicodeToAnsi(0xFFFD), '?');
    EXPECT_EQ(OemToUnicode(0x80), U'А');
    EXPECT_EQ(OemToUnicode(0xAF), U'п');
    EXPECT_EQ(OemToUnicode(0xE0), U'р');
    EXPECT_EQ(OemToUnicode(0xF0), U'Ё');
    EXPECT_EQ(OemToUnicode(0xF1), U'ё');
    EXPECT_EQ(OemToUnicode(0xC4), U'─');
    EXPECT_EQ(OemToUnicode(0xFC), U'№');
    EXPECT_EQ(UnicodeToOem(U'я'), '\xEF');
    EXPECT_EQ(UnicodeToOem(U'€'), '?');
    // Every assigned byte of either code page maps back to itself.
    for (int b = 0; b < 256; ++b) {
        if (AnsiToUnicode(static_cast<unsigned char>(b)) != 0xFFFD) {
            EXPECT_EQ(static_cast<unsigned char>(UnicodeToAnsi(AnsiToUnicode(static_cast<unsigned char>(b)))), b);
        }
        EXPECT_EQ(static_cast<unsigned char>(UnicodeToOem(OemToUnicode(static_cast<unsigned char>(b)))), b);
    }
}

TEST(CodePage, OemConversionsRoundTripCyrillic) {
    const std::string ansi = Utf8TextToAnsi("Привет, Ёжик! ё №5 ");
    const std::string oem = CharToOem(ansi);
    EXPECT_EQ(oem, "\x8F\xE0\xA8\xA2\xA5\xE2, \xF0\xA6\xA8\xAA! \xF1 \xFC" "5 ");
    EXPECT_EQ(OemToChar(oem), ansi);
    // The whole Cyrillic alphabet survives the trip.
    std::string all;
    for (int c = 0xC0; c <= 0xFF; ++c) all.push_back(static_cast<char>(c));
    EXPECT_EQ(OemToChar(CharToOem(all)), all);
    // Unmappable both ways: € and « have no OEM byte, box drawing no ANSI one.
    EXPECT_EQ(CharToOem("\x88\xAB"), "??");
    EXPECT_EQ(OemToChar("\xC4\xB0\xDB"), "???");
    EXPECT_EQ(OemToChar("\xFF"), "\xA0");  // no-break space exists in both
    EXPECT_EQ(CharToOem(std::string("\0\t", 2)), std::string("\0\t", 2));
}

TEST(CodePage, Utf8Edges) {
    EXPECT_EQ(AnsiToUtf8Text("\xC0\xFF\x88 z"), "Ая€ z");
    EXPECT_EQ(AnsiToUtf8Text("\x98"), "?");
    EXPECT_EQ(Utf8TextToAnsi("Ая€ z"), "\xC0\xFF\x88 z");
    // Each bad sequence becomes exactly one '?'.
    EXPECT_EQ(Utf8TextToAnsi("a\x80" "b"), "a?b");              // stray continuation
    EXPECT_EQ(Utf8TextToAnsi("a\xD0"), "a?");                  // truncated at the end
    EXPECT_EQ(Utf8TextToAnsi("\xE2\x82" "x"), "?x");           // truncated three-byte form
    EXPECT_EQ(Utf8TextToAnsi("\xC0\xAF"), "??");               // overlong: two bad bytes
    EXPECT_EQ(Utf8TextToAnsi("\xED\xA0\x80"), "???");          // surrogate
    EXPECT_EQ(Utf8TextToAnsi("\xF0\x9F\x98\x80!"), "?!");      // emoji: valid but unmappable
    EXPECT_EQ(Utf8TextToAnsi("\xF5\x80"), "??");
    EXPECT_EQ(Utf8TextToAnsi("\xFF"), "?");
    EXPECT_EQ(Utf8TextToAnsi("ß"), "?");
    EXPECT_EQ(Utf8TextToAnsi(std::string("\0", 1)), std::string("\0", 1));
    // Every byte except the unassigned one makes the round trip.
    std::string all;
    for (int c = 0; c < 256; ++c)
        if (c != 0x98) all.push_back(static_cast<char>(c));
    EXPECT_EQ(Utf8TextToAnsi(AnsiToUtf8Text(all)), all);
}
