// Text in DBF files: each file's code page on disk, UTF-8 in the program.
// The expected bytes are written out by hand from the code page charts, so
// the tests do not lean on the conversion they check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DbfFiles.h"
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
    const size_t headerLength = static_cast<unsigned char>(s[8]) | static_cast<unsigned char>(s[9]) << 8;
    return s.substr(headerLength + 1, length);
}

TEST(DbfCodePage, TheLanguageDriverByteNamesTheCodePage) {
    struct Case {
        unsigned char driver;
        bool oemAnsi;
        std::string bytes;
        std::string text;
        int codePage;
    };
    const std::vector<Case> cases{
        {0x00, true, kPrivet866, "Привет", 866},   // no mark: DOS Russian, as always
        {0x65, true, kPrivet866, "Привет", 866},
        {0x26, true, kPrivet866, "Привет", 866},
        {0xC9, true, kPrivet1251, "Привет", 1251},
        {0x03, true, "Caf\xE9", "Café", 1252},
        {0x57, true, "na\xEFve", "naïve", 1252},
        {0x01, true, "Caf\x82\x9B", "Café¢", 437},
        {0x02, true, "Caf\x82\x9B", "Caféø", 850},
        {0xC8, true, kPrivet866, "Привет", 866},   // a code page not converted here
        // -Ansi=1 of the import: Windows-1251, whatever the mark says.
        {0x65, false, kPrivet866, "ЏаЁўҐв", 1251},
        {0x00, false, kPrivet1251, "Привет", 1251},
        {0x03, false, kPrivet1251, "Привет", 1251},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "driver " << int{c.driver} << (c.oemAnsi ? "" : ", Ansi"));
        const std::string path = dir / "t.dbf";
        WriteOneText(path, c.driver, c.bytes);
        TDbfTab t;
        t.SetFileName(path);
        t.SetOemAnsi(c.oemAnsi);
        t.SetReadOnly(true);
        t.Open();
        EXPECT_EQ(t.CodePage().Number(), c.codePage);
        EXPECT_EQ(t.FieldByName("NAME")->AsString(), c.text);
        EXPECT_EQ(t.Fields()[0]->Size(), 8);
    }

    // Field names are text of the same code page.
    std::string image = WithDriver(DbfImage({{"\x88\x8C\x9F", 'C', 3}, {"\xC8\xCC\xDF", 'C', 3}}, {" abcdef"}), 0x65);
    WriteFile(dir / "n.dbf", image);
    TDbfTab t;
    t.SetFileName(dir / "n.dbf");
    t.Open();
    EXPECT_EQ(t.Fields()[0]->FieldName(), "ИМЯ");
    EXPECT_EQ(t.Fields()[1]->FieldName(), "╚╠▀");  // Windows-1251 bytes, read as CP866
    ASSERT_NE(t.FindField("имя"), nullptr);  // found without letter case
    EXPECT_EQ(t.FieldByName("имя")->AsString(), "abc");
}

TEST(DbfCodePage, WritingUsesTheFilesOwnCodePage) {
    struct Case {
        unsigned char driver;
        bool oemAnsi;
        std::string text;
        std::string bytes;
        int unmapped;
    };
    const std::vector<Case> cases{
        {0x65, true, "Ёлка", "\xF0\xAB\xAA\xA0", 0},
        {0x00, true, "Ёлка", "\xF0\xAB\xAA\xA0", 0},
        {0xC9, true, "Ёлка", "\xA8\xEB\xEA\xE0", 0},
        {0x65, false, "Ёлка", "\xA8\xEB\xEA\xE0", 0},
        {0x03, true, "Ñandú", "\xD1\x61\x6E\x64\xFA", 0},
        {0x01, true, "½ñ", "\xAB\xA4", 0},
        // Characters the code page lacks become '?', and the value is counted.
        {0x03, true, "Привет", "??????", 1},
        {0x65, true, "€ 漢字", "? ??", 1},
        {0x65, true, "a😀b", "a?b", 1},
        {0xC9, true, "Café", "Caf?", 1},
        // A byte that is not UTF-8 is legacy text: its Windows-1251 letter.
        {0x65, true, "\xC4\xE0", "\x84\xA0", 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "driver " << int{c.driver} << " " << c.text);
        const std::string path = dir / "t.dbf";
        WriteOneText(path, c.driver, "old");
        TDbfTab t;
        t.SetFileName(path);
        t.SetOemAnsi(c.oemAnsi);
        t.Open();
        t.Edit();
        t.FieldByName("NAME")->SetAsString(c.text);
        t.Post();
        EXPECT_EQ(t.UnmappedValues(), c.unmapped);
        t.Close();
        EXPECT_EQ(t.UnmappedValues(), c.unmapped);  // still there for the caller's report
        EXPECT_EQ(FirstFieldBytes(path, 8), Padded(c.bytes, 8));
        EXPECT_EQ(static_cast<unsigned char>(ReadFile(path)[29]), c.driver);  // the mark stays
        t.Open();
        EXPECT_EQ(t.UnmappedValues(), 0);  // counted afresh for each opening
    }
}

TEST(DbfCodePage, NewTablesAreMarkedWithTheirCodePageAndNamesAreTextToo) {
    TempDir dir;
    const std::string path = dir / "n.dbf";
    for (const bool oem : {true, false}) {
        SCOPED_TRACE(oem ? "CP866" : "Windows-1251");
        TDbfTab t;
        t.SetFileName(path);
        t.SetOemAnsi(oem);
        t.AddField("имя", 'C', 0, 6);
        t.AddField("ДлинноеИмяПоля", 'C', 0, 1);  // cut to ten characters, not bytes
        t.AddField("漢字", 'N', 0, 5);
        t.AddField("??", 'N', 0, 5);            // made unique against the name above
        EXPECT_EQ(t.DbfField(0).Name, "ИМЯ");
        EXPECT_EQ(t.DbfField(1).Name, "ДЛИННОЕИМЯ");
        EXPECT_EQ(t.DbfField(2).Name, "??");
        EXPECT_EQ(t.DbfField(3).Name, "??1");
        t.CreateTable();
        const std::string s = ReadFile(path);
        EXPECT_EQ(static_cast<unsigned char>(s[29]), oem ? 0x65 : 0xC9);
        EXPECT_EQ(s.substr(32, 4), oem ? std::string("\x88\x8C\x9F\0", 4) : std::string("\xC8\xCC\xDF\0", 4));
        EXPECT_EQ(s.substr(64, 11), oem ? "\x84\x8B\x88\x8D\x8D\x8E\x85\x88\x8C\x9F" + std::string(1, '\0')
                                        : "\xC4\xCB\xC8\xCD\xCD\xCE\xC5\xC8\xCC\xDF" + std::string(1, '\0'));
        // Reopened without being told, the table finds its code page in the mark.
        TDbfTab u;
        u.SetFileName(path);
        u.Open();
        EXPECT_EQ(u.CodePage().Number(), oem ? 866 : 1251);
        EXPECT_EQ(u.Fields()[1]->FieldName(), "ДЛИННОЕИМЯ");
        u.AppendRecord({"Привет", "Ж", 1, 2});
        u.Close();
        u.Open();
        EXPECT_EQ(u.FieldByName("ИМЯ")->AsString(), "Привет");
        EXPECT_EQ(u.FieldByName("ДЛИННОЕИМЯ")->AsString(), "Ж");
    }
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
    EXPECT_EQ(t.Fields()[0]->Size(), 5);
    const std::string zh255 = [] {
        std::string s;
        for (int i = 0; i < 255; ++i) s += "Ж";
        return s;
    }();
    struct Row {
        std::string in;
        std::string stored;  // what reads back
    };
    const std::vector<Row> rows{
        {"Прив", "Прив"},      // one below the length
        {"Приве", "Приве"},    // exactly the length: whole
        {"Привет", "Приве"},   // one above: cut after the fifth character
        {"ab漢字c€", "ab??c"}, // cut counts characters, not the bytes of either side
        {"😀😀😀😀😀😀", "?????"},
    };
    for (const Row& r : rows) t.AppendRecord({r.in, zh255 + "Ж"});
    t.Close();
    EXPECT_EQ(t.UnmappedValues(), 2);

    const std::string s = ReadFile(path);
    ASSERT_EQ(s.size(), 32u * 3 + 1 + 5 * 261u);  // one byte per character in the file
    EXPECT_EQ(s.substr(97 + 1, 5), "\x8F\xE0\xA8\xA2 ");
    EXPECT_EQ(s.substr(97 + 261 + 1, 5), "\x8F\xE0\xA8\xA2\xA5");
    EXPECT_EQ(s.substr(97 + 2 * 261 + 1, 5), "\x8F\xE0\xA8\xA2\xA5");

    t.Open();
    std::vector<std::string> read;
    for (t.First(); !t.Eof(); t.Next()) {
        read.push_back(t.FieldByName("S")->AsString());
        EXPECT_EQ(t.FieldByName("W")->AsString(), zh255);  // 255 characters, 510 bytes
    }
    ASSERT_EQ(read.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(read[i], rows[i].stored) << rows[i].in;

    // The filter sees the whole text of the longest field, in characters.
    t.SetFilterText("length(W) = 255 and substr(W, 255, 1) = 'Ж' and length(S) = 5");
    int accepted = 0;
    for (t.First(); !t.Eof(); t.Next()) ++accepted;
    EXPECT_EQ(accepted, 4);
    t.SetFilterText("S = 'При%' and upper(S) = 'ПРИВЕ'");
    accepted = 0;
    for (t.First(); !t.Eof(); t.Next()) ++accepted;
    EXPECT_EQ(accepted, 2);
}

// ---- Independent peers ----

TEST(DbfCodePagePeers, PythonDbfTablesInEachCodePageReadAsTheSameText) {
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
        TDbfTab t;
        t.SetFileName(path);
        t.SetReadOnly(true);
        t.Open();
        std::vector<std::string> read;
        for (t.First(); !t.Eof(); t.Next()) read.push_back(t.FieldByName("NAME")->AsString());
        EXPECT_EQ(read, c.texts);
    }
}

TEST(DbfCodePagePeers, DbfreadReadsOurTablesAsTheSameText) {
    TempDir dir;
    for (const bool oem : {true, false}) {
        SCOPED_TRACE(oem ? "CP866" : "Windows-1251");
        const std::string path = dir / "ours.dbf";
        TDbfTab t;
        t.SetFileName(path);
        t.SetOemAnsi(oem);
        t.AddField("Имя", 'C', 0, 5);
        t.AddField("N", 'N', 0, 3);
        t.CreateTable();
        t.Open();
        t.AppendRecord({"Привет", 1});
        t.AppendRecord({"Ёж", 2});
        t.AppendRecord({"漢€x", 3});  // CP866 lacks both, Windows-1251 has the euro
        t.AppendRecord({"Приве", 4});
        t.Close();
        EXPECT_EQ(t.UnmappedValues(), 1);
        // dbfread finds the code page in the mark on its own.
        std::string out;
        const int rc = Peer("read " + path + " auto", &out);
        if (rc == 3) GTEST_SKIP() << "python3-dbfread is not installed";
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(out, "ИМЯ|N\n"
                       "Приве|1\n"
                       "Ёж|2\n" +
                           std::string(oem ? "??x" : "?€x") + "|3\n"
                  "Приве|4\n");
    }
}

}  // namespace
