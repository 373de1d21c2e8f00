#include <unistd.h>

#include "TestDatabase.h"
#include "base/Utf8.h"
#include "sqlite/SQLite3Functions.h"
#include "sqlite/SQLite3Text.h"

namespace {

// An expression of the functions the connection registers, and the text
// the engine gives for its value.
struct Call {
    std::string expr;
    std::string expected;
};

class Functions : public MemoryDatabaseTest {
protected:
    void ExpectAll(const std::vector<Call>& calls) {
        for (const Call& c : calls) EXPECT_EQ(Str("select " + c.expr), c.expected) << c.expr;
    }
};

}  // namespace

TEST_F(Functions, ArithmeticAndBits) {
    ExpectAll({
        {"Mod(7, 3)", "1"}, {"Mod(-7, 3)", "-1"}, {"Div(-7, 2)", "-3"}, {"Div(9000000000, 3)", "3000000000"},
        {"typeof(Div(1, 0)) || typeof(Mod(1, 0))", "nullnull"},
        {"typeof(Div(-9223372036854775807 - 1, -1))", "null"}, {"Mod(-9223372036854775807 - 1, -1)", "0"},
        {"Sign(-5) * 100 + Sign(0) * 10 + Sign(7)", "-99"}, {"BitSet(5, 1)", "7"},
        {"BitSet(0, 63)", "-9223372036854775808"},  // the last bit, and 64 is past it
        {"BitTst(-1, 63)", "1"}, {"BitSet(5, 64) + BitClr(5, -1) + BitNot(5, 100) + BitTst(-1, 64)", "15"},
        {"BitClr(7, 0) || BitNot(5, 0) || BitTst(5, 2) || BitTst(5, 1)", "6410"}, {"Int2Hex(255, 4)", "00FF"},
        {"Int2Hex(4096, 1)", "1000"}, {"Hex2Int('ff') || ',' || Hex2Int('$1A')", "255,26"},
        {"typeof(Hex2Int('xyz')) || typeof(Hex2Int(''))", "nullnull"},
        // Codes of four characters, six bits each.
        {"IntXxx(0)", "0000"}, {"IntXxx(64)", "0010"}, {"XxxInt('  0010 ')", "64"}, {"XxxInt('}}}}')", "16777215"},
        {"IntXxx(16777215)", "}}}}"}, {"IntXxx(16777216 + 65)", "0011"},  // high bits are lost
        {"XxxInt('1')", "262144"},         // missing places count 0
        {"XxxInt('1!!1zzz')", "262145"},   // unknown characters count 0
        {"XxxInt(IntXxx(123456))", "123456"}, {"EqualInt(3, '3') || EqualInt(3, 4)", "10"}, {"Hash('AB')", "131"},
        {"Hash('') || Hash(null)", "00"},
    });
}

TEST_F(Functions, TextOperationsInEveryScript) {
    ExpectAll({
        {"ReplaceUpper('abc', '', 'x')", "ABC"}, {"LikeAnsi('  Hello  ', 'ell')", "2"},
        {"'[' || TrimLeft(char(9) || ' x ') || ']'", "[x ]"}, {"Replace('abc', '', 'b')", "abc"},
        {"'[' || Trim(char(10) || ' x ' || char(13)) || ']'", "[x]"},
        {"'[' || TrimRight(' x ' || char(1)) || ']'", "[ x]"}, {"PadLeft('a', 3, null)", "  a"},
        {"PadRight('a', 3, '')", "a  "}, {"'[' || PadRight('a', -4, '.') || ']'", "[]"},
        {"typeof(PadLeft('a', 9000000000000, 'x'))", "null"}, {"Replace('aAaA', 'a', 'b')", "bAbA"},
        // Letter case of every script; characters without case stay.
        {"UpperAnsi('abc' || char(233))", "ABCÉ"}, {"LowerAnsi('ÉLAN')", "élan"},
        {"LowerAnsi('ПРИВЕТ, Мир')", "привет, мир"}, {"UpperAnsi('ёжик і ґанок')", "ЁЖИК І ҐАНОК"},
        {"UpperAnsi('αθήνα')", "ΑΘΉΝΑ"}, {"LowerAnsi('ΑΘΗΝΑ')", "αθηνα"}, {"UpperAnsi('日本 😀 1')", "日本 😀 1"},
        {"ReplaceUpper(' улица Ленина ', 'ленина', ' мира ')", "УЛИЦА МИРА"}, {"LikeAnsi('Ёлка', 'ёл')", "1"},
        {"LikeAnsi('café CRÈME', 'crème')", "6"}, {"LikeAnsi('Привет', 'пока')", "0"},
    });
}

TEST_F(Functions, WidthsAndPositionsCountCharacters) {
    ExpectAll({
        // Around the width of the text: one less, equal, one more.
        {"PadLeft('Жук', 2, '0')", "ук"}, {"PadLeft('Жук', 3, '0')", "Жук"}, {"PadLeft('Жук', 4, '0')", "0Жук"},
        {"PadRight('Жук', 2, '0')", "Жу"}, {"PadRight('Жук', 3, '0')", "Жук"}, {"PadRight('Жук', 4, '0')", "Жук0"},
        // A pad of several multi-byte characters is cut on the far side,
        // whole characters only.
        {"PadLeft('1', 4, 'аб')", "баб1"}, {"PadRight('1', 4, 'аб')", "1аба"},
        // East Asian characters and emoji are one character each, whatever
        // their bytes and cells.
        {"PadLeft('😀', 3, '·')", "··😀"}, {"PadRight('日本語', 2, '')", "日本"}, {"PadLeft('a😀b😀', 3, '')", "😀b😀"},
        {"Instr('naïve café', 'café')", "7"},
        {"Instr('😀😀x😀', 'x😀')", "3"}, {"Instr('Ёж', 'ё')", "0"},  // letter case counts
        {"XxxInt(' Ж01')", "64"},   // Ж takes the first place
        {"XxxInt('1Ж😀')", "262144"}, {"Hash('Ж')", std::to_string(0xD0 + 0x96)},  // bytes, not characters
        {"'[' || TrimLeft(' 日 ') || TrimRight(' 😀 ') || ']'", "[日  😀]"},
        {"Translate('a😀b', '😀b', '日β')", "a日β"}, {"Translate('ёёё', 'ёё', 'xy')", "xxx"},
        {"Translate('Жук', '', 'xy')", "Жук"}, {"Translate('жaж', 'жa', 'я')", "яя"},  // a has no counterpart: dropped
    });
}

// Text that is not UTF-8 (a blob read as text, legacy bytes): a stray byte is
// a character of its own and never matches part of a well-formed character.
TEST_F(Functions, StrayBytesAreCharactersOfTheirOwn) {
    const std::string zhe = "cast(x'D096' as text)";    // Ж
    const std::string tail = "cast(x'96' as text)";     // Ж's second byte alone
    const std::string head = "cast(x'D0' as text)";     // Ж's first byte alone
    const std::string stray = "cast(x'41FF42' as text)";  // A, a stray byte, B
    ExpectAll({
        {"Instr(" + zhe + ", " + tail + ")", "0"}, {"Instr(" + zhe + ", " + head + ")", "0"},
        {"Instr(" + zhe + " || 'x' || " + tail + ", " + tail + ")", "3"}, {"Instr(" + stray + ", 'B')", "3"},
        {"Instr(" + stray + ", cast(x'FF' as text))", "2"},
        {"Replace(" + zhe + " || " + tail + ", " + tail + ", 'x')", "Жx"},
        {"Translate(" + zhe + ", " + tail + ", 'x')", "Ж"},
        {"Translate(" + stray + ", cast(x'FF' as text), 'я')", "AяB"},
        {"UpperAnsi(" + stray + " || 'ж')", "A\xFF" "BЖ"}, {"PadLeft(" + stray + ", 2, '')", "\xFF" "B"},
        {"PadRight(" + stray + ", 2, '')", "A\xFF"}, {"PadRight(" + tail + ", 3, " + head + ")", "\x96\xD0\xD0"},
        {"LikeAnsi(' ' || " + stray + " || 'ж', 'BЖ')", "3"},
    });
}

TEST(TextFunctions, PadStopsAtTheLongestResult) {
    using sqlite_functions::kMaxResultLength;
    using sqlite_functions::PadText;
    // Two bytes a character: the width that just fits, and one more.
    const auto fits = PadText("", kMaxResultLength / 2, "ж", true);
    ASSERT_TRUE(fits);
    EXPECT_EQ(static_cast<int64_t>(fits->size()), kMaxResultLength);
    EXPECT_FALSE(PadText("", kMaxResultLength / 2 + 1, "ж", true));
    EXPECT_FALSE(PadText("a", kMaxResultLength / 2 + 1, "ж", false));
    EXPECT_FALSE(PadText("a", INT64_MAX, "xyz", true));
    // A text already wider is only cut, however long.
    EXPECT_EQ(PadText("abc", 2, "ж", false), "ab");
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
    EXPECT_EQ(SQLiteTextToInt("abc"), 0);
}
