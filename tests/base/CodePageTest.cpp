#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/SingleByteCodePage.h"

TEST(CodePage, PublishedMappings) {
    EXPECT_EQ(Cp1251ToUnicode(0xC0), U'А');
    EXPECT_EQ(Cp1251ToUnicode(0xFF), U'я');
    EXPECT_EQ(Cp1251ToUnicode(0xA8), U'Ё');
    EXPECT_EQ(Cp1251ToUnicode(0x88), U'€');
    EXPECT_EQ(Cp1251ToUnicode(0x98), 0xFFFDu);  // unassigned
    EXPECT_EQ(UnicodeToCp1251(U'ж'), 0xE6);
    EXPECT_EQ(UnicodeToCp1251(U'ß'), -1);
    EXPECT_EQ(UnicodeToCp1251(0xFFFD), -1);
    EXPECT_EQ(Cp866ToUnicode(0x80), U'А');
    EXPECT_EQ(Cp866ToUnicode(0xF1), U'ё');
    EXPECT_EQ(Cp866ToUnicode(0xC4), U'─');
    EXPECT_EQ(UnicodeToCp866(U'я'), 0xEF);
    EXPECT_EQ(UnicodeToCp866(U'€'), -1);
    // Every assigned byte of either code page maps back to itself.
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        if (Cp1251ToUnicode(c) != 0xFFFD) {
            EXPECT_EQ(UnicodeToCp1251(Cp1251ToUnicode(c)), b);
        }
        EXPECT_EQ(UnicodeToCp866(Cp866ToUnicode(c)), b);
    }
}

// The DOS and Windows code pages of DBF files agree with the hand tables
// where they overlap, and each maps its own letters.
TEST(CodePage, SingleByteCodePagesOfDbfFiles) {
    const SingleByteCodePage* cp866 = SingleByteCodePage::Find(866);
    const SingleByteCodePage* cp1251 = SingleByteCodePage::Find(1251);
    ASSERT_TRUE(cp866 && cp1251);
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        EXPECT_EQ(cp866->ToUnicode(c), Cp866ToUnicode(c)) << b;
        if (b != 0x98) {
            EXPECT_EQ(cp1251->ToUnicode(c), Cp1251ToUnicode(c)) << b;
        }
    }
    EXPECT_EQ(SingleByteCodePage::Find(437)->Decode("\x82\xE1"), "éß");
    EXPECT_EQ(SingleByteCodePage::Find(850)->Decode("\x90\xA5"), "ÉÑ");
    EXPECT_EQ(SingleByteCodePage::Find(1252)->Decode("Caf\xE9 \x80"), "Café €");
    EXPECT_EQ(SingleByteCodePage::Find(1250), nullptr);
    EXPECT_EQ(SingleByteCodePage::Find(0), nullptr);

    size_t lost = 0;
    EXPECT_EQ(cp866->Encode("Ёж €漢", std::string_view::npos, &lost), "\xF0\xA6 ??");
    EXPECT_EQ(lost, 2u);
    // The length counts characters: three of them, whatever their bytes.
    lost = 0;
    EXPECT_EQ(cp866->Encode("Привет", 3, &lost), "\x8F\xE0\xA8");
    EXPECT_EQ(cp866->Encode("При", 3, &lost), "\x8F\xE0\xA8");
    EXPECT_EQ(lost, 0u);
    // An ill-formed byte cannot be told apart from a lost character.
    EXPECT_EQ(cp866->Encode("a\xFF", std::string_view::npos, &lost), "a?");
    EXPECT_EQ(lost, 1u);
}
