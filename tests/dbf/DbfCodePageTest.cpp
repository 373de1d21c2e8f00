// Text in DBF files: each file's code page on disk, UTF-8 in the program.
// The expected bytes are written out by hand from the code page charts, so
// the tests do not lean on the conversion they check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DbfFiles.h"
#include "base/DateTime.h"
#include "base/SingleByteCodePage.h"
#include "dataset/TField.h"
#include "dbf/TDbfTab.h"

namespace {

// "Привет" in the two Russian code pages.
const std::string kPrivet866 = "\x8F\xE0\xA8\xA2\xA5\xE2";
const std::string kPrivet1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";

std::string Padded(const std::string& text, size_t length) { return text + std::string(length - text.size(), ' '); }

// A one-field table NAME C(length) holding `bytes`, marked with `driver`.
void WriteOneText(const std::string& path, unsigned char driver, const std::string& bytes, int length = 8) {
    WriteFile(path, WithDriver(DbfImage({{"NAME", 'C', length}}, {" " + Padded(bytes, static_cast<size_t>(length))}),
                               driver));
}

// The bytes of the first record's first field.
std::string FirstFieldBytes(const std::string& path, size_t length) {
    const std::string s = ReadFile(path);
    return s.substr(Le16(s, 8) + 1u, length);
}

// Each case writes `text` over "old" in a file marked with `driver`: the
// file then holds `bytes`, and reopened reads back the text (or `readBack`
// where the code page lacks some of its characters).
TEST(DbfCodePage, TheLanguageDriverByteNamesTheCodePage) {
    struct Case {
        unsigned char driver;
        bool oemAnsi;
        std::string text;
        std::string bytes;
        int codePage;
        int unmapped = 0;
        std::string readBack = "";
    };
    const std::vector<Case> cases{
        {0x00, true, "Привет", kPrivet866, 866},  // no mark: DOS Russian, as always
        {0x65, true, "Ёлка", "\xF0\xAB\xAA\xA0", 866},
        {0xC9, true, "Привет", kPrivet1251, 1251},
        {0xC9, true, "Ёлка", "\xA8\xEB\xEA\xE0", 1251},
        {0x03, true, "Ñandú", "\xD1\x61\x6E\x64\xFA", 1252},
        {0x01, true, "Café¢", "Caf\x82\x9B", 437},
        {0x02, true, "Caféø", "Caf\x82\x9B", 850},
        {0xC8, true, "Привет", kPrivet866, 866},  // a code page not converted here
        // -Ansi=1 of the import: Windows-1251, whatever the mark says.
        {0x65, false, "ЏаЁўҐв", kPrivet866, 1251},
        // Characters the code page lacks become '?', and the value is counted.
        {0x03, true, "Привет", "??????", 1252, 1, "??????"},
        {0x65, true, "€ 漢字", "? ??", 866, 1, "? ??"},
        {0x65, true, "a😀b", "a?b", 866, 1, "a?b"},
        // A byte that is not UTF-8 is legacy text: its Windows-1251 letter.
        {0x65, true, "\xC4\xE0", "\x84\xA0", 866, 0, "Да"},
    };
    TempDir dir;
    const std::string path = dir / "t.dbf";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "driver " << int{c.driver} << (c.oemAnsi ? " " : ", Ansi ") << c.text);
        WriteOneText(path, c.driver, "old");
        TDbfTab t;
        t.SetFileName(path);
        t.SetOemAnsi(c.oemAnsi);
        t.Open();
        EXPECT_EQ(t.CodePage().Number(), c.codePage);
        t.Edit();
        t.FieldByName("NAME")->SetAsString(c.text);
        t.Post();
        t.Close();
        EXPECT_EQ(t.UnmappedValues(), c.unmapped);  // still there for the caller's report
        EXPECT_EQ(FirstFieldBytes(path, 8), Padded(c.bytes, 8));
        EXPECT_EQ(static_cast<unsigned char>(ReadFile(path)[29]), c.driver);  // the mark stays
        t.Open();
        EXPECT_EQ(t.UnmappedValues(), 0);  // counted afresh for each opening
        EXPECT_EQ(t.FieldByName("NAME")->AsString(), c.readBack.empty() ? c.text : c.readBack);
    }

    // Field names are text of the same code page.
    WriteFile(dir / "n.dbf",
              WithDriver(DbfImage({{"\x88\x8C\x9F", 'C', 3}, {"\xC8\xCC\xDF", 'C', 3}}, {" abcdef"}), 0x65));
    OpenTab t(dir / "n.dbf");
    EXPECT_EQ(t.Fields()[0]->FieldName(), "ИМЯ");
    EXPECT_EQ(t.Fields()[1]->FieldName(), "╚╠▀");  // Windows-1251 bytes, read as CP866
    EXPECT_EQ(t.FieldByName("имя")->AsString(), "abc");  // found without letter case
}

TEST(DbfCodePage, FieldLengthCountsCharacters) {
    TempDir dir;
    const std::string path = dir / "c.dbf";
    TDbfTab t;
    t.SetFileName(path);
    t.AddField("S", 'C', 0, 5);
    t.AddField("W", 'C', 0, 255);
    t.CreateTable();
    t.Open();
    std::string zh255;
    for (int i = 0; i < 255; ++i) zh255 += "Ж";
    const std::vector<std::string> written{
        "Прив",          // one below the length
        "Приве",         // exactly the length: whole
        "Привет",        // one above: cut after the fifth character
        "ab漢字c€",      // cut counts characters, not the bytes of either side
        "😀😀😀😀😀😀",
    };
    for (const std::string& text : written) t.AppendRecord({text, zh255 + "Ж"});
    t.Close();
    EXPECT_EQ(t.UnmappedValues(), 2);

    const std::string s = ReadFile(path);
    ASSERT_EQ(s.size(), 32u * 3 + 1 + 5 * 261u);  // one byte per character in the file
    EXPECT_EQ(s.substr(97 + 1, 5), "\x8F\xE0\xA8\xA2 ");
    EXPECT_EQ(s.substr(97 + 261 + 1, 5), "\x8F\xE0\xA8\xA2\xA5");
    EXPECT_EQ(s.substr(97 + 2 * 261 + 1, 5), "\x8F\xE0\xA8\xA2\xA5");

    t.Open();
    EXPECT_EQ(Names(t, "S"), (std::vector<std::string>{"Прив", "Приве", "Приве", "ab??c", "?????"}));
    EXPECT_EQ(Names(t, "W"), std::vector<std::string>(5, zh255));  // 255 characters, 510 bytes

    // The filter sees the whole text of the longest field, in characters.
    t.SetFilterText("length(W) = 255 and substr(W, 255, 1) = 'Ж' and length(S) = 5");
    EXPECT_EQ(Names(t, "S").size(), 4u);
    t.SetFilterText("S = 'При%' and upper(S) = 'ПРИВЕ'");
    EXPECT_EQ(Names(t, "S").size(), 2u);
}

// ---- Independent peers ----

TEST(DbfCodePagePeers, TablesWrittenByPythonDbfReadAsTheSameValues) {
    struct Case {
        const char* codePage;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases{
        {"cp866", {"Привет", "Ёжик", "Щука-ЖЭЮ"}},
        {"cp1251", {"Привет", "Ёжик", "Щука-ЖЭЮ"}},
        {"cp1252", {"Café", "naïve", "Ñandú€"}},
        {"cp437", {"Café", "naïve"}},
        {"cp850", {"Café", "naïve", "Ørsted"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        const std::string path = dir / (std::string(c.codePage) + ".dbf");
        std::string args = "write-text " + path + " " + c.codePage;
        for (const std::string& text : c.texts) args += " " + text;
        const int rc = Peer(args);
        if (rc == 3) GTEST_SKIP() << "python3-dbf is not installed";
        ASSERT_EQ(rc, 0);
        OpenTab t(path, true);
        EXPECT_EQ(Names(t), c.texts);
    }
    // A table of every field kind, in CP866.
    ASSERT_EQ(Peer("write " + (dir / "py.dbf")), 0);
    OpenTab t(dir / "py.dbf");
    ASSERT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(Row(t), "Иван Петров|31.01.2024|3.14|42|True");
    t.Next();
    EXPECT_EQ(Row(t), "<null>|<null>|<null>|<null>|<null>");
    t.Next();
    EXPECT_EQ(Row(t), "x|01.12.1999|-12345.50|-7|False");
}

// A new table is marked with its code page, its field names are text of
// that code page too, and dbfread finds the code page in the mark and reads
// the same values back.
TEST(DbfCodePagePeers, NewTablesAreMarkedAndDbfreadReadsTheSameValues) {
    TempDir dir;
    const std::string path = dir / "ours.dbf";
    for (const bool oem : {true, false}) {
        SCOPED_TRACE(oem ? "CP866" : "Windows-1251");
        TDbfTab t;
        t.SetFileName(path);
        t.SetOemAnsi(oem);
        t.AddField("имя", 'C', 0, 13);
        t.AddField("ДлинноеИмяПоля", 'C', 0, 1);  // cut to ten characters, not bytes
        t.AddField("漢字", 'N', 2, 18);
        t.AddField("??", 'N', 0, 5);  // made unique against the name above
        t.AddField("born", 'D', 0, 0);
        t.AddField("ok", 'L', 0, 0);
        EXPECT_EQ(t.DbfField(2).Name, "??");
        EXPECT_EQ(t.DbfField(3).Name, "??1");
        t.CreateTable();
        const std::string s = ReadFile(path);
        EXPECT_EQ(static_cast<unsigned char>(s[29]), oem ? 0x65 : 0xC9);
        EXPECT_EQ(s.substr(32, 4), oem ? std::string("\x88\x8C\x9F\0", 4) : std::string("\xC8\xCC\xDF\0", 4));
        EXPECT_EQ(s.substr(64, 11), oem ? "\x84\x8B\x88\x8D\x8D\x8E\x85\x88\x8C\x9F" + std::string(1, '\0')
                                        : "\xC4\xCB\xC8\xCD\xCD\xCE\xC5\xC8\xCC\xDF" + std::string(1, '\0'));
        t.Open();
        t.AppendRecord({"Ёжик в тумане", "Ж", 1234.567, 12, Variant::FromDate(EncodeDate(2024, 2, 29)), true});
        t.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
                        Variant::Null()});
        // CP866 lacks both 漢 and €, Windows-1251 has the euro.
        t.AppendRecord({"漢€x", "Ж", -0.5, -9999, Variant::FromDate(EncodeDate(1, 1, 1)), false});
        t.AppendRecord({"gone", "Ж", 1.0, 1, Variant::Null(), true});
        t.Delete();
        t.Close();
        EXPECT_EQ(t.UnmappedValues(), 1);

        // The peer finds the code page in the mark, as the table does when
        // it opens a marked file.
        std::string out;
        const int rc = Peer("read " + path + " auto", &out);
        if (rc == 3) GTEST_SKIP() << "python3-dbfread is not installed";
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(out, "ИМЯ|ДЛИННОЕИМЯ|??|??1|BORN|OK\n"
                       "Ёжик в тумане|Ж|1234.57|12|2024-02-29|T\n"
                       "||NULL|NULL|NULL|NULL\n" +
                           std::string(oem ? "??x" : "?€x") + "|Ж|-0.5|-9999|0001-01-01|F\n");
    }
}

}  // namespace
