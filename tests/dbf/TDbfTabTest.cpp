#include "dbf/TDbfTab.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DbfFiles.h"
#include "base/DateTime.h"
#include "dataset/TField.h"
#include "dbf/EDBFError.h"

namespace {

TEST(DbfTab, NewTablesHaveTheHeaderAndRecordsOtherProgramsExpect) {
    TempDir dir;
    TDbfTab t;
    CreateSample(t, dir / "t.dbf");
    const std::string s = ReadFile(dir / "t.dbf");
    ASSERT_EQ(s.size(), 161u);  // no end-of-file byte, no records
    EXPECT_EQ(s[0], 3);
    EXPECT_EQ(Le16(s, 8), 161);
    EXPECT_EQ(Le16(s, 10), 48);
    EXPECT_EQ(FileRecordCount(dir / "t.dbf"), 0u);
    EXPECT_EQ(s[160], '\r');
    // Name, type, length and decimals of each descriptor.
    EXPECT_EQ(s.substr(32, 12), std::string("NAME\0\0\0\0\0\0\0C", 12));
    const std::string lengths{s[32 + 16], s[64 + 11], s[64 + 16], s[96 + 16], s[96 + 17], s[128 + 16]};
    EXPECT_EQ(lengths, std::string({20, 'D', 8, 18, 2, 1}));
    int y, m, d;
    DecodeDate(Date(), y, m, d);
    EXPECT_EQ(s.substr(1, 3), std::string({static_cast<char>(y - 1900), static_cast<char>(m), static_cast<char>(d)}));

    // The field list is the file's own once opened, and empty after close.
    ASSERT_EQ(t.FieldCount(), 4);
    EXPECT_EQ(t.Fields()[0]->Size(), 20);
    EXPECT_EQ(t.Fields()[2]->DisplayFormat(), "0.00");

    // Values in the file's format.
    t.AppendRecord({"abc", Variant::FromDate(EncodeDate(2024, 1, 31)), 3.14159, true});
    t.AppendRecord({Variant::Null(), Variant::Null(), -0.001, false});
    t.AppendRecord({std::string(30, 'z'), Variant::Null(), Variant::Null(), Variant::Null()});
    t.Close();
    EXPECT_EQ(t.DbfFieldCount(), 0);
    const std::string w = ReadFile(dir / "t.dbf");
    ASSERT_EQ(w.size(), 161u + 3 * 48);
    EXPECT_EQ(w.substr(161, 48), " abc                 20240131              3.14T");
    EXPECT_EQ(w.substr(161 + 48, 48), std::string(43, ' ') + "0.00F");  // never "-0.00"
    EXPECT_EQ(w.substr(161 + 96, 48), " zzzzzzzzzzzzzzzzzzzz                           ");
}

TEST(DbfTab, AddFieldRefusesWhatTheFileCannotHold) {
    TempDir dir;
    TDbfTab t;
    EXPECT_EQ(Message([&] { t.AddField("NOTES", 'M', 0, 10); }), "Неопределенный тип: M");
    EXPECT_NE(Message([&] { t.AddField("WIDE", 'C', 0, 256); }), "(no EDBFError)");
    EXPECT_NE(Message([&] { t.AddField("NONE", 'C', 0, 0); }), "(no EDBFError)");
    EXPECT_NE(Message([&] { t.AddField("ROOM", 'N', 5, 5); }), "(no EDBFError)");
    EXPECT_EQ(t.DbfFieldCount(), 0);

    // Long names are cut to the ten characters a descriptor holds, and a cut
    // that collides gets a digit instead of silently naming two fields alike.
    t.AddField("description", 'C', 0, 10);
    t.AddField("descriptions", 'C', 0, 10);
    t.AddField("Descriptio", 'C', 0, 10);
    EXPECT_EQ(t.DbfField(0).Name, "DESCRIPTIO");
    EXPECT_EQ(t.DbfField(1).Name, "DESCRIPTI1");
    EXPECT_EQ(t.DbfField(2).Name, "DESCRIPTI2");
    t.SetFileName(dir / "n.dbf");
    t.CreateTable();
    t.Open();
    EXPECT_NE(t.FindField("DESCRIPTI2"), nullptr);
    t.Close();  // the field list goes with the file
    // Asked before replacing when ReCreate is off; no handler means No.
    t.SetReCreate(false);
    t.AddField("OTHER", 'C', 0, 5);
    t.CreateTable();
    EXPECT_EQ(ReadFile(dir / "n.dbf").size(), 32u * 3 + 33);
    std::string asked;
    t.OnConfirm = [&](const std::string& q) {
        asked = q;
        return true;
    };
    t.CreateTable();
    EXPECT_EQ(asked, "File " + (dir / "n.dbf") + " already exists. OK to override?");
    EXPECT_EQ(ReadFile(dir / "n.dbf").size(), 32u * 1 + 33);
}

TEST(DbfTab, EmptyAndDeletedRecordsAndASpareHeaderByte) {
    TempDir dir;
    WriteFile(dir / "e.dbf", DbfImage({{"NAME", 'C', 10}}, {}));
    OpenTab e(dir / "e.dbf");
    EXPECT_TRUE(e.Eof() && e.Bof());
    EXPECT_EQ(e.RecordCount(), 0);
    EXPECT_TRUE(e.FieldByName("NAME")->IsNull());
    e.Last();
    EXPECT_TRUE(e.Eof() && e.Bof());

    // The header length may count one byte more than the descriptors need.
    for (int extra : {0, 1}) {
        WriteFile(dir / "h.dbf", DbfImage({{"A", 'C', 3}, {"B", 'N', 4}}, {" abc  12", " xyz   7"}, extra));
        OpenTab t(dir / "h.dbf");
        EXPECT_EQ(Row(t), "abc|12") << extra;
        t.Last();
        EXPECT_EQ(Row(t), "xyz|7") << extra;
    }

    // Deleted records are skipped but counted.
    WriteFile(dir / "d.dbf", DbfImage({{"N", 'C', 1}}, {" a", "*b", " c", "*d"}));
    OpenTab t(dir / "d.dbf");
    EXPECT_EQ(t.RecordCount(), 4);
    EXPECT_EQ(Names(t, "N"), (std::vector<std::string>{"a", "c"}));
    t.Last();
    EXPECT_EQ(t.FieldByName("N")->AsString(), "c");
    EXPECT_EQ(t.RecNo(), 3);
    t.Prior();
    EXPECT_EQ(t.FieldByName("N")->AsString(), "a");
    // Asking for the deleted record by number lands on the next live one.
    t.SetRecNo(2);
    EXPECT_EQ(t.RecNo(), 3);
    EXPECT_EQ(t.FieldByName("N")->AsString(), "c");
}

TEST(DbfTab, FieldsDecodeAsStored) {
    TempDir dir;
    const std::vector<RawField> fields{{"C", 'C', 7}, {"D", 'D', 8}, {"L", 'L', 1}, {"N", 'N', 8, 2}, {"F", 'F', 6, 1}};
    // Each piece is exactly its field's length.
    auto row = [](std::string c, std::string d, std::string l, std::string n, std::string f) {
        EXPECT_EQ(c.size() + d.size() + l.size() + n.size() + f.size(), 30u) << c;
        return " " + c + d + l + n + f;
    };
    WriteFile(dir / "v.dbf", DbfImage(fields, {
        row("       ", "20240131", "T", "    3.14", "   1.5"),  // all blank text
        row("  abc  ", "00000000", "Y", "   -2.50", "  -0.5"),  // text with blanks around
        row("\tab\x01   ", "        ", "N", "        ", "******"),  // eight blank digits; overflow stars
        row(std::string("x\0yz   ", 7), "00000000", "t", "     1,5", "     7"),  // NUL ends a text; ',' as point
        row("       ", " 1900101", "?", "  12.3e1", "   +.5"),
    }));
    OpenTab t(dir / "v.dbf");
    const std::vector<std::string> shown{
        "<null>|31.01.2024|True|3.14|1.5",
        "abc|<null>|True|-2.50|-0.5",
        "ab|<null>|False|<null>|<null>",  // dBase's overflow stars: the value is unknown
        "x|<null>|True|1.50|7.0",
    };
    for (const std::string& expected : shown) {
        EXPECT_EQ(Row(t), expected);
        t.Next();
    }
    EXPECT_TRUE(t.FieldByName("L")->IsNull());  // '?': never set
    EXPECT_DOUBLE_EQ(t.FieldByName("N")->AsFloat(), 123.0);
    EXPECT_DOUBLE_EQ(t.FieldByName("F")->AsFloat(), 0.5);
    // A date that is no date names the file, the field, the record and the
    // text instead of inventing a value.
    const std::string bad = Message([&] { t.FieldByName("D")->AsDateTime(); });
    EXPECT_NE(bad.find(dir / "v.dbf"), std::string::npos) << bad;
    EXPECT_NE(bad.find(" 5"), std::string::npos) << bad;
    EXPECT_NE(bad.find("1900101"), std::string::npos) << bad;
}

// N(6,2): 999.99 fits; storing the first six characters of 1000.00 would
// store 1000.0, so the value is refused.
TEST(DbfTab, ANumberTooWideForItsFieldIsRefused) {
    TempDir dir;
    TDbfTab u;
    u.SetFileName(dir / "n6.dbf");
    u.AddField("X", 'N', 2, 6);
    u.CreateTable();
    u.Open();
    u.AppendRecord({999.99});
    u.Append();
    const std::string m = Message([&] { u.FieldByName("X")->SetAsFloat(1000); });
    EXPECT_NE(m.find("1000"), std::string::npos) << m;
    EXPECT_NE(m.find(" X "), std::string::npos) << m;
    EXPECT_NE(m.find("записи 2"), std::string::npos) << m;
    EXPECT_NE(Message([&] { u.FieldByName("X")->SetAsFloat(1.0 / 0.0); }), "(no EDBFError)");
    u.Cancel();
    EXPECT_EQ(u.RecordCount(), 1);
    u.Close();
    EXPECT_EQ(ReadFile(dir / "n6.dbf").substr(65, 7), " 999.99");
}

// Appends, an edit, deletes and bookmarks on one table: the header's count
// lags until close, deleted records keep their place.
TEST(DbfTab, EditsAppendsAndDeletesReachTheFile) {
    TempDir dir;
    const std::string path = dir / "e.dbf";
    TDbfTab t;
    CreateSample(t, path);
    for (int i = 1; i <= 5; ++i) t.AppendRecord({"r" + std::to_string(i), Variant::Null(), i * 1.5, i % 2 == 0});
    EXPECT_EQ(t.RecordCount(), 5);
    EXPECT_EQ(FileRecordCount(path), 0u);  // the header lags until close

    t.SetRecNo(2);
    TBookmark second = t.GetBookmark();
    t.Edit();
    t.FieldByName("SUM")->SetAsFloat(99.5);
    EXPECT_DOUBLE_EQ(t.FieldByName("SUM")->OldValue().ToDouble(), 3.0);
    t.Post();
    t.Last();
    EXPECT_LT(t.CompareBookmarks(second, t.GetBookmark()), 0);
    t.GotoBookmark(second);
    EXPECT_EQ(Row(t), "r2|<null>|99.50|True");
    const TBookmark far{7, 0, 0, 0};
    EXPECT_FALSE(t.BookmarkValid(far));
    EXPECT_EQ(Message([&] { t.GotoBookmark(far); }), "Bookmark 7 not found");
    t.SetRecNo(5);  // the last record; one past it is ignored
    EXPECT_EQ(t.RecNo(), 5);
    t.SetRecNo(6);
    EXPECT_EQ(t.RecNo(), 5);

    // Delete marks the record, moves on to the one that followed, and
    // rewrites the header.
    t.SetRecNo(3);
    t.Delete();
    EXPECT_EQ(t.FieldByName("NAME")->AsString(), "r4");
    EXPECT_EQ(FileRecordCount(path), 5u);
    EXPECT_EQ(ReadFile(path)[161 + 2 * 48], '*');
    t.Last();
    t.Delete();
    EXPECT_EQ(t.FieldByName("NAME")->AsString(), "r4");  // the new last one
    t.Close();
    t.Open();
    EXPECT_EQ(Names(t), (std::vector<std::string>{"r1", "r2", "r4"}));
    t.SetRecNo(2);
    EXPECT_EQ(Row(t), "r2|<null>|99.50|True");
}

TEST(DbfTab, FilterSeesEachRecordsValues) {
    TempDir dir;
    TDbfTab t;
    CreateSample(t, dir / "f.dbf");
    t.AppendRecord({"Bob", Variant::FromDate(EncodeDate(1990, 5, 1)), 2.5, true});
    t.AppendRecord({"Bill", Variant::FromDate(EncodeDate(2001, 1, 1)), 10.25, false});
    t.AppendRecord({Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null()});
    t.AppendRecord({"Ann", Variant::FromDate(EncodeDate(1985, 2, 3)), 7.0, true});

    t.SetFilterText("NAME = 'B%'");
    EXPECT_EQ(Names(t), (std::vector<std::string>{"Bob", "Bill"}));
    t.SetFilterText("SUM > 2.5 and OK = 1");
    EXPECT_EQ(Names(t), (std::vector<std::string>{"Ann"}));
    t.SetFilterText("isnull(NAME) or SUM = 10.25");
    EXPECT_EQ(Names(t), (std::vector<std::string>{"Bill", ""}));
    t.SetFilterText("BORN > strtodate('01.01.1989')");
    EXPECT_EQ(Names(t), (std::vector<std::string>{"Bob", "Bill"}));
    t.SetFilterText("");
    EXPECT_FALSE(t.Filtered());

    // The evaluator's message, with the record it failed on.
    const std::string m = Message([&] { t.SetFilterText("upper NAME = 'X'"); });
    EXPECT_EQ(m, "ОШИБКА фильтра: Должна быть скобка ( (строка 1)\n");
    // A mistake on one filter does not haunt the next.
    t.SetFilterText("OK = 0");
    EXPECT_EQ(Names(t), (std::vector<std::string>{"Bill"}));
}

// Searches start from the first record. With the partial-key option only
// the last key field matches by prefix; numbers, dates and logicals compare
// as values, whatever the options.
TEST(DbfTab, LocateMatchesTextByPrefixAndOtherKindsByValue) {
    TempDir dir;
    TDbfTab t;
    CreateSample(t, dir / "p.dbf");
    t.AppendRecord({"Smith", Variant::Null(), 12.0, true});
    t.AppendRecord({"smithers", Variant::Null(), 1.5, false});
    t.AppendRecord({"Jones", Variant::Null(), 1.0, true});
    t.AppendRecord({"Smi", Variant::Null(), 100.0, true});
    const auto at = [&](const char* fields, std::vector<Variant> keys, TLocateOptions o) {
        t.Last();
        return t.Locate(fields, keys, o) ? t.RecNo() : 0;
    };
    const TLocateOptions partial = loPartialKey, both = loPartialKey | loCaseInsensitive;
    EXPECT_EQ(at("NAME;OK", {Variant("Jones"), Variant(true)}, 0), 3);
    // A text key before the last one matches whole.
    EXPECT_EQ(at("NAME;OK", {Variant("Smi"), Variant(true)}, partial), 4);
    EXPECT_EQ(at("NAME;SUM", {Variant("smi"), Variant(1.5)}, both), 0);
    EXPECT_EQ(at("NAME;SUM", {Variant("SMITHERS"), Variant(1.5)}, both), 2);
    // The last one matches by prefix, of any length up to its own.
    EXPECT_EQ(at("OK;NAME", {Variant(true), Variant("Smi")}, partial), 1);
    EXPECT_EQ(at("OK;NAME", {Variant(true), Variant("smi")}, partial), 0);
    EXPECT_EQ(at("OK;NAME", {Variant(true), Variant("smi")}, both), 1);
    EXPECT_EQ(at("OK;NAME", {Variant(true), Variant("Smithe")}, partial), 0);
    EXPECT_EQ(at("OK;NAME", {Variant(false), Variant("")}, partial), 2);  // an empty key: any text
    // Numbers compare as numbers: 1 is not a prefix of 12 or 100, and 1.00
    // is 1.
    EXPECT_EQ(at("SUM", {Variant(1)}, both), 3);
    EXPECT_EQ(at("NAME;SUM", {Variant("Smi"), Variant(1)}, partial), 0);
    EXPECT_EQ(at("NAME;SUM", {Variant("Smi"), Variant(100)}, partial), 4);
}

TEST(DbfTab, ReadOnlyTableRefusesChanges) {
    TempDir dir;
    const std::string path = dir / "r.dbf";
    WriteFile(path, DbfImage({{"N", 'C', 2}}, {" ab"}));
    OpenTab t(path, true);
    EXPECT_FALSE(t.CanModify());
    EXPECT_THROW(t.Edit(), EDatabaseError);
    EXPECT_EQ(t.FieldByName("N")->AsString(), "ab");
    t.Close();
    // A second writer is kept out while the first holds the file.
    TDbfTab w1, w2;
    w1.SetFileName(path);
    w2.SetFileName(path);
    w1.Open();
    EXPECT_NE(Message([&] { w2.Open(); }), "(no EDBFError)");
    EXPECT_FALSE(w2.Active());
}

}  // namespace
