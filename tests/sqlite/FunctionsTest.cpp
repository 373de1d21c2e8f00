#include <unistd.h>

#include "TestDatabase.h"
#include "base/Utf8.h"
#include "sqlite/SQLite3Functions.h"
#include "sqlite/SQLite3Text.h"

using Functions = MemoryDatabaseTest;

TEST_F(Functions, CodesAndHashes) {
    EXPECT_EQ(Str("select IntXxx(0)"), "0000");
    EXPECT_EQ(Str("select IntXxx(64)"), "0010");
    EXPECT_EQ(Str("select IntXxx(16777215)"), "}}}}");
    EXPECT_EQ(Str("select IntXxx(16777216 + 65)"), "0011");  // high bits are lost
    EXPECT_EQ(Int("select XxxInt('0000')"), 0);
    EXPECT_EQ(Int("select XxxInt('  0010 ')"), 64);
    EXPECT_EQ(Int("select XxxInt('}}}}')"), 16777215);
    EXPECT_EQ(Int("select XxxInt('1')"), 262144);        // missing places count 0
    EXPECT_EQ(Int("select XxxInt('1!!1zzz')"), 262145);  // unknown characters count 0
    EXPECT_EQ(Int("select XxxInt(IntXxx(123456))"), 123456);
    EXPECT_EQ(Int("select EqualInt(3, '3')"), 1);
    EXPECT_EQ(Int("select EqualInt(3, 4)"), 0);
    EXPECT_EQ(Int("select Hash('AB')"), 131);
    EXPECT_EQ(Int("select Hash('')"), 0);
    EXPECT_EQ(Int("select Hash(null)"), 0);
}

TEST_F(Functions, TextOperations) {
    EXPECT_EQ(Str("select ReplaceUpper(' Hello World ', 'world', ' there ')"), "HELLO THERE");
    EXPECT_EQ(Str("select ReplaceUpper('abc', '', 'x')"), "ABC");
    EXPECT_EQ(Int("select LikeAnsi('  Hello  ', 'ell')"), 2);
    EXPECT_EQ(Int("select LikeAnsi('Hello', 'xyz')"), 0);
    EXPECT_EQ(Str("select UpperAnsi('abc' || char(233))"), "ABC\xC3\x89");  // é becomes É
    EXPECT_EQ(Str("select LowerAnsi('AbC')"), "abc");
    EXPECT_EQ(Str("select '[' || TrimLeft(char(9) || ' x ') || ']'"), "[x ]");
    EXPECT_EQ(Str("select '[' || Trim(char(10) || ' x ' || char(13)) || ']'"), "[x]");
    EXPECT_EQ(Str("select '[' || TrimRight(' x ' || char(1)) || ']'"), "[ x]");
    EXPECT_EQ(Str("select PadLeft('abc', 5, '0')"), "00abc");
    EXPECT_EQ(Str("select PadLeft('abc', 2, '0')"), "bc");
    EXPECT_EQ(Str("select PadLeft('abc', 6, 'xy')"), "yxyabc");
    EXPECT_EQ(Str("select PadLeft('a', 3, null)"), "  a");
    EXPECT_EQ(Str("select PadRight('abc', 2, '0')"), "ab");
    EXPECT_EQ(Str("select PadRight('abc', 6, 'xy')"), "abcxyx");
    EXPECT_EQ(Str("select PadRight('a', 3, '')"), "a  ");
    EXPECT_EQ(Str("select '[' || PadRight('a', -4, '.') || ']'"), "[]");
    EXPECT_EQ(Str("select typeof(PadLeft('a', 9000000000000, 'x'))"), "null");
    EXPECT_EQ(Str("select Replace('aAaA', 'a', 'b')"), "bAbA");
    EXPECT_EQ(Str("select Replace('abc', '', 'b')"), "abc");
    EXPECT_EQ(Str("select Translate('abc', 'ab', 'xy')"), "xyc");
    EXPECT_EQ(Str("select Translate('abcab', 'abc', 'x')"), "xx");  // no counterpart: dropped
    EXPECT_EQ(Str("select Translate('aaa', 'aa', 'xy')"), "xxx");     // the first position counts
    EXPECT_EQ(Int("select Instr('abcabc', 'ca')"), 3);
    EXPECT_EQ(Int("select Instr('abc', 'B')"), 0);
}

TEST_F(Functions, LetterCaseOfEveryScript) {
    EXPECT_EQ(Str("select UpperAnsi('élan')"), "ÉLAN");
    EXPECT_EQ(Str("select LowerAnsi('ÉLAN')"), "élan");
    EXPECT_EQ(Str("select LowerAnsi('ПРИВЕТ, Мир')"), "привет, мир");
    EXPECT_EQ(Str("select UpperAnsi('ёжик і ґанок')"), "ЁЖИК І ҐАНОК");
    EXPECT_EQ(Str("select UpperAnsi('αθήνα')"), "ΑΘΉΝΑ");
    EXPECT_EQ(Str("select LowerAnsi('ΑΘΗΝΑ')"), "αθηνα");
    EXPECT_EQ(Str("select UpperAnsi('日本 😀 1')"), "日本 😀 1");  // no case: unchanged
    EXPECT_EQ(Str("select ReplaceUpper(' улица Ленина ', 'ленина', ' мира ')"), "УЛИЦА МИРА");
    EXPECT_EQ(Int("select LikeAnsi(' Привет ', 'РИВ')"), 2);
    EXPECT_EQ(Int("select LikeAnsi('Ёлка', 'ёл')"), 1);
    EXPECT_EQ(Int("select LikeAnsi('café CRÈME', 'crème')"), 6);
    EXPECT_EQ(Int("select LikeAnsi('Ωμέγα', 'ΜΈΓ')"), 2);
    EXPECT_EQ(Int("select LikeAnsi('Привет', 'пока')"), 0);
}

TEST_F(Functions, WidthsAndPositionsCountCharacters) {
    // Around the width of the text: one less, equal, one more.
    EXPECT_EQ(Str("select PadLeft('Жук', 2, '0')"), "ук");
    EXPECT_EQ(Str("select PadLeft('Жук', 3, '0')"), "Жук");
    EXPECT_EQ(Str("select PadLeft('Жук', 4, '0')"), "0Жук");
    EXPECT_EQ(Str("select PadLeft('Жук', 5, '0')"), "00Жук");
    EXPECT_EQ(Str("select PadRight('Жук', 2, '0')"), "Жу");
    EXPECT_EQ(Str("select PadRight('Жук', 3, '0')"), "Жук");
    EXPECT_EQ(Str("select PadRight('Жук', 4, '0')"), "Жук0");
    EXPECT_EQ(Str("select PadLeft('Жук', 1, '0') || PadRight('Жук', 1, '0')"), "кЖ");
    // A pad of several multi-byte characters is cut on the far side, whole
    // characters only.
    EXPECT_EQ(Str("select PadLeft('1', 4, 'аб')"), "баб1");
    EXPECT_EQ(Str("select PadRight('1', 4, 'аб')"), "1аба");
    EXPECT_EQ(Str("select PadLeft('1', 5, 'аб')"), "абаб1");
    EXPECT_EQ(Str("select PadLeft('x', 3, '日本語')"), "本語x");
    EXPECT_EQ(Str("select PadRight('x', 3, '日本語')"), "x日本");
    // East Asian characters and emoji are one character each, whatever
    // their bytes and cells.
    EXPECT_EQ(Str("select PadLeft('😀', 3, '·')"), "··😀");
    EXPECT_EQ(Str("select PadRight('日本語', 2, '')"), "日本");
    EXPECT_EQ(Str("select PadLeft('a😀b😀', 3, '')"), "😀b😀");
    EXPECT_EQ(Int("select Instr('naïve café', 'café')"), 7);
    EXPECT_EQ(Int("select Instr('日本語', '語')"), 3);
    EXPECT_EQ(Int("select Instr('😀😀x😀', 'x😀')"), 3);
    EXPECT_EQ(Int("select Instr('Ёж', 'ё')"), 0);  // letter case counts
    EXPECT_EQ(Int("select XxxInt(' Ж01')"), 64);   // Ж takes the first place
    EXPECT_EQ(Int("select XxxInt('1Ж😀')"), 262144);
    EXPECT_EQ(Int("select Hash('Ж')"), 0xD0 + 0x96);  // bytes, not characters
    EXPECT_EQ(Str("select '[' || Trim(char(9) || ' Жук ' || char(13)) || ']'"), "[Жук]");
    EXPECT_EQ(Str("select '[' || TrimLeft(' 日 ') || TrimRight(' 😀 ') || ']'"), "[日  😀]");
}

TEST_F(Functions, TranslateCharacterByCharacter) {
    EXPECT_EQ(Str("select Translate('абв', 'аб', 'xy')"), "xyв");
    EXPECT_EQ(Str("select Translate('abc', 'ab', 'эю')"), "эюc");
    EXPECT_EQ(Str("select Translate('привет', 'пв', 'ПВ')"), "ПриВет");
    EXPECT_EQ(Str("select Translate('a😀b', '😀b', '日β')"), "a日β");
    EXPECT_EQ(Str("select Translate('жaж', 'жa', 'я')"), "яя");  // a has no counterpart: dropped
    EXPECT_EQ(Str("select Translate('ёёё', 'ёё', 'xy')"), "xxx");
    EXPECT_EQ(Str("select Translate('Жук', '', 'xy')"), "Жук");
}

// Text that is not UTF-8 (a blob read as text, legacy bytes): a stray byte is
// a character of its own and never matches part of a well-formed character.
TEST_F(Functions, StrayBytesAreCharactersOfTheirOwn) {
    const std::string zhe = "cast(x'D096' as text)";    // Ж
    const std::string tail = "cast(x'96' as text)";     // Ж's second byte alone
    const std::string head = "cast(x'D0' as text)";     // Ж's first byte alone
    const std::string stray = "cast(x'41FF42' as text)";  // A, a stray byte, B
    EXPECT_EQ(Int("select Instr(" + zhe + ", " + tail + ")"), 0);
    EXPECT_EQ(Int("select Instr(" + zhe + ", " + head + ")"), 0);
    EXPECT_EQ(Int("select Instr(" + zhe + " || 'x' || " + tail + ", " + tail + ")"), 3);
    EXPECT_EQ(Int("select Instr(" + stray + ", 'B')"), 3);
    EXPECT_EQ(Int("select Instr(" + stray + ", " + "cast(x'FF' as text))"), 2);
    EXPECT_EQ(Str("select Replace(" + zhe + ", " + tail + ", 'x')"), "Ж");
    EXPECT_EQ(Str("select Replace(" + zhe + " || " + tail + ", " + tail + ", 'x')"), "Жx");
    EXPECT_EQ(Str("select Translate(" + zhe + ", " + tail + ", 'x')"), "Ж");
    EXPECT_EQ(Str("select Translate(" + stray + ", cast(x'FF' as text), 'я')"), "AяB");
    EXPECT_EQ(Str("select UpperAnsi(" + stray + " || 'ж')"), "A\xFF" "BЖ");
    EXPECT_EQ(Str("select PadLeft(" + stray + ", 2, '')"), "\xFF" "B");
    EXPECT_EQ(Str("select PadRight(" + stray + ", 2, '')"), "A\xFF");
    EXPECT_EQ(Str("select PadRight(" + tail + ", 3, " + head + ")"), "\x96\xD0\xD0");
    EXPECT_EQ(Int("select LikeAnsi(' ' || " + stray + " || 'ж', 'BЖ')"), 3);
}

TEST(TextFunctions, PadStopsAtTheLongestResult) {
    using sqlite_functions::kMaxResultLength;
    using sqlite_functions::PadText;
    // Two bytes a character: the width that just fits, and one more.
    const auto fits = PadText("", kMaxResultLength / 2, "ж", true);
    ASSERT_TRUE(fits);
    EXPECT_EQ(static_cast<int64_t>(fits->size()), kMaxResultLength);
    EXPECT_EQ(fits->substr(0, 4), "жж");
    EXPECT_FALSE(PadText("", kMaxResultLength / 2 + 1, "ж", true));
    EXPECT_FALSE(PadText("a", kMaxResultLength / 2 + 1, "ж", false));
    EXPECT_FALSE(PadText("a", INT64_MAX, "xyz", true));
    // A text already wider is only cut, however long.
    EXPECT_EQ(PadText("abc", 2, "ж", false), "ab");
}

TEST_F(Functions, ArithmeticAndBits) {
    EXPECT_EQ(Int("select Mod(7, 3)"), 1);
    EXPECT_EQ(Int("select Mod(-7, 3)"), -1);
    EXPECT_EQ(Int("select Div(-7, 2)"), -3);
    EXPECT_EQ(Int("select Div(9000000000, 3)"), 3000000000);
    EXPECT_EQ(Str("select typeof(Div(1, 0)) || typeof(Mod(1, 0))"), "nullnull");
    EXPECT_EQ(Str("select typeof(Div(-9223372036854775807 - 1, -1))"), "null");
    EXPECT_EQ(Int("select Mod(-9223372036854775807 - 1, -1)"), 0);
    EXPECT_EQ(Int("select Sign(-5) * 100 + Sign(0) * 10 + Sign(7)"), -99);
    EXPECT_EQ(Int("select BitSet(5, 1)"), 7);
    EXPECT_EQ(Int("select BitSet(0, 40)"), int64_t{1} << 40);
    EXPECT_EQ(Int("select BitSet(0, 63)"), INT64_MIN);  // the last bit, and 64 is past it
    EXPECT_EQ(Int("select BitClr(7, 0)"), 6);
    EXPECT_EQ(Int("select BitNot(5, 0)"), 4);
    EXPECT_EQ(Int("select BitTst(5, 2)"), 1);
    EXPECT_EQ(Int("select BitTst(5, 1)"), 0);
    EXPECT_EQ(Int("select BitSet(5, 64) + BitClr(5, -1) + BitNot(5, 100) + BitTst(-1, 64)"), 15);
    EXPECT_EQ(Int("select BitTst(-1, 63)"), 1);
    EXPECT_EQ(Str("select Int2Hex(255, 4)"), "00FF");
    EXPECT_EQ(Str("select Int2Hex(4096, 1)"), "1000");
    EXPECT_EQ(Int("select Hex2Int('ff')"), 255);
    EXPECT_EQ(Int("select Hex2Int('$1A')"), 26);
    EXPECT_EQ(Str("select typeof(Hex2Int('xyz')) || typeof(Hex2Int(''))"), "nullnull");
}

TEST_F(Functions, NamesOfTheMachineAndUser) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_EQ(Str("select NameComputer()"), host);
    EXPECT_FALSE(Str("select NameUser()").empty());
    EXPECT_EQ(Str("select NameUserNet()"), Str("select NameUser()"));
}

TEST_F(Functions, ServeTheLiveConnectionAfterTheLastRegisteredOneCloses) {
    {
        TQorSQLite3DB other;
        other.SetDatabase(":memory:");
        other.Open();
        EXPECT_EQ(other.SelectInt64("select Div(9, 2)", {}, true), 4);
        other.Close();
    }
    EXPECT_EQ(Int("select Div(9, 2)"), 4);
}

TEST(TextConverters, AnsiAndUtf8) {
    EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC"), "\x80");
    EXPECT_EQ(AnsiToUtf8("a\xE9\x81"), "a\xC3\xA9\xC2\x81");
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
    // Code points without a byte, four-byte sequences, stray continuation
    // bytes and truncated sequences each give one replacement byte.
    EXPECT_EQ(Utf8ToAnsi("x\xD0\x96y"), "x\xECy");
    EXPECT_EQ(Utf8ToAnsi("x\xF0\x9F\x98\x80y", '?'), "x?y");
    EXPECT_EQ(Utf8ToAnsi("x\x80\x80y", '?'), "x?y");
    EXPECT_EQ(Utf8ToAnsi("x\xE2\x82", '?'), "x?");
    EXPECT_EQ(Utf8ToAnsi("\xC3(", '?'), "?(");
    EXPECT_EQ(SQLiteTextToInt(""), kIntegerNullMarker);
    EXPECT_EQ(SQLiteTextToInt("$10"), 16);
    EXPECT_EQ(SQLiteTextToInt("-12"), -12);
    EXPECT_EQ(SQLiteTextToInt("abc"), 0);
}
