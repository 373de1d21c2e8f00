// Appending with BufferAppends: the records live in memory until a block is
// full, another write needs the file, or Close; the file that results is the
// one record-by-record appending makes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DbfFiles.h"
#include "dataset/TField.h"
#include "dbf/TDbfTab.h"

namespace {

std::string NameOf(int i) { return "row " + std::to_string(i); }

void Append(TDbfTab& t, int i) { t.AppendRecord({NameOf(i), Variant::Null(), i * 0.25, i % 3 == 0}); }

std::vector<std::string> Expected(int from, int to) {
    std::vector<std::string> out;
    for (int i = from; i <= to; ++i) out.push_back(NameOf(i));
    return out;
}

// Each record is 48 bytes: 3000 of them fill two blocks and part of a third.
constexpr int kRecordSize = 48;
constexpr int kHeaderSize = 32 + 4 * 32 + 1;

// The names the edits of Made leave.
std::vector<std::string> Edited() {
    std::vector<std::string> want = Expected(1, 3000);
    want[2998] = "edited late";
    want.erase(want.begin() + 4);
    want.push_back(NameOf(4000));
    return want;
}

// Appends 3000 rows, each read back as posted, reads them all while the
// last block may still be held, edits records in the file and held ones,
// reads them all again, and returns the file as closed.
std::string Made(const std::string& path, bool buffered) {
    TDbfTab t;
    t.SetBufferAppends(buffered);
    CreateSample(t, path);
    for (int i = 1; i <= 3000; ++i) {
        Append(t, i);
        if (t.FieldByName("NAME")->AsString() != NameOf(i)) {
            ADD_FAILURE() << "row " << i << " reads back as " << t.FieldByName("NAME")->AsString();
            break;
        }
    }
    // Unbuffered, every record is in the file at once; buffered, the last
    // block is not yet.
    const size_t full = kHeaderSize + 3000 * kRecordSize;
    EXPECT_EQ(ReadFile(path).size() < full, buffered);
    EXPECT_EQ(t.RecordCount(), 3000);
    EXPECT_EQ(Names(t), Expected(1, 3000));
    t.Last();
    for (int i = 3000; i >= 2990; --i, t.Prior()) EXPECT_EQ(t.FieldByName("NAME")->AsString(), NameOf(i));
    t.SetFilterText("SUM > 749");  // rows 2997 and up
    EXPECT_EQ(Names(t), Expected(2997, 3000));
    t.SetFilterText("");

    t.SetRecNo(2999);
    t.Edit();
    t.FieldByName("NAME")->SetValue(Variant("edited late"));
    t.Post();
    t.SetRecNo(5);
    t.Delete();
    Append(t, 4000);
    EXPECT_EQ(Names(t), Edited());
    t.Close();
    return ReadFile(path);
}

// The file that buffered appending makes is the one record-by-record
// appending makes, byte for byte after the header's date.
TEST(DbfAppendBlocks, HeldRecordsReadBackAndTheFileMatchesRecordByRecordAppending) {
    TempDir dir;
    const std::string a = Made(dir / "a.dbf", false);
    const std::string b = Made(dir / "b.dbf", true);
    ASSERT_EQ(a.size(), static_cast<size_t>(kHeaderSize + 3001 * kRecordSize));
    ASSERT_EQ(b.size(), a.size());
    EXPECT_TRUE(a.compare(4, a.npos, b, 4) == 0);
    EXPECT_EQ(FileRecordCount(dir / "b.dbf"), 3001u);
    OpenTab t(dir / "b.dbf");
    EXPECT_EQ(Names(t), Edited());
}

TEST(DbfAppendBlocks, WindowStaysTrueWhileRecordsAreHeld) {
    TempDir dir;
    const std::string path = dir / "w.dbf";
    {
        TDbfTab t;
        CreateSample(t, path);
        for (int i = 1; i <= 10; ++i) Append(t, i);
    }
    TDbfTab t;
    t.SetFileName(path);
    t.SetBufferAppends(true);
    t.Open();
    EXPECT_EQ(Names(t), Expected(1, 10));  // fills the read-ahead window
    for (int i = 11; i <= 15; ++i) Append(t, i);
    t.SetRecNo(3);  // in the file, while 11-15 are held
    t.Edit();
    t.FieldByName("NAME")->SetValue(Variant("three"));
    t.Post();
    std::vector<std::string> want = Expected(1, 15);
    want[2] = "three";
    EXPECT_EQ(Names(t), want);
    t.Close();
    t.Open();
    EXPECT_EQ(Names(t), want);
}

}  // namespace
