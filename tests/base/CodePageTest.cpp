#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/SingleByteCodePage.h"

// The hand tables of Windows-1251 and DOS 866, and the code pages of DBF
// files, which agree with them where they overlap; encoding counts the
// characters it could not write.
TEST(CodePage, PublishedMappingsOfDosAndWindowsCodePages) {
    EXPECT_EQ(Cp1251ToUnicode(0xA8), U'Ё');
    EXPECT_EQ(Cp1251ToUnicode(0x98), 0xFFFDu);  // unassigned
    EXPECT_EQ(Cp866ToUnicode(0xF1), U'ё');
    const SingleByteCodePage* cp866 = SingleByteCodePage::Find(866);
    const SingleByteCodePage* cp1251 = SingleByteCodePage::Find(1251);
    ASSERT_TRUE(cp866 && cp1251);
    // Every assigned byte maps back to itself.
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        if (b != 0x98) {
            EXPECT_EQ(UnicodeToCp1251(Cp1251ToUnicode(c)), b);
            EXPECT_EQ(cp1251->ToUnicode(c), Cp1251ToUnicode(c)) << b;
        }
        EXPECT_EQ(UnicodeToCp866(Cp866ToUnicode(c)), b);
        EXPECT_EQ(cp866->ToUnicode(c), Cp866ToUnicode(c)) << b;
    }
    EXPECT_EQ(SingleByteCodePage::Find(1252)->Decode("Caf\xE9 \x80"), "Café €");
    EXPECT_EQ(SingleByteCodePage::Find(1250), nullptr);

    size_t lost = 0;
    EXPECT_EQ(cp866->Encode("Ёж €漢", std::string_view::npos, &lost), "\xF0\xA6 ??");
    EXPECT_EQ(lost, 2u);
    // The length counts characters: three of them, whatever their bytes.
    lost = 0;
    EXPECT_EQ(cp866->Encode("Привет", 3, &lost), "\x8F\xE0\xA8");
    EXPECT_EQ(lost, 0u);
    // An ill-formed byte cannot be told apart from a lost character.
    EXPECT_EQ(cp866->Encode("a\xFF", std::string_view::npos, &lost), "a?");
    EXPECT_EQ(lost, 1u);
}
