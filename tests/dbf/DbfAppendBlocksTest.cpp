// Appending with BufferAppends: the records live in memory until a block is
// full, another write needs the file, or Close; the file that results is the
// one record-by-record appending makes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DbfFiles.h"
#include "dataset/TField.h"
#include "dbf/TDbfTab.h"

namespace {

void Create(TDbfTab& t, const std::string& path) {
    t.SetFileName(path);
    t.AddField("name", 'C', 0, 20);
    t.AddField("sum", 'N', 2, 18);
    t.AddField("ok", 'L', 0, 0);
    t.CreateTable();
}

std::string NameOf(int i) { return "row " + std::to_string(i); }

void Append(TDbfTab& t, int i) {
    t.Append();
    t.FieldByName("NAME")->SetValue(Variant(NameOf(i)));
    t.FieldByName("SUM")->SetValue(Variant(i * 0.25));
    t.FieldByName("OK")->SetValue(Variant(i % 3 == 0));
    t.Post();
}

std::vector<std::string> Names(TDbfTab& t) {
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldByName("NAME")->AsString());
    return out;
}

std::vector<std::string> Expected(int from, int to) {
    std::vector<std::string> out;
    for (int i = from; i <= to; ++i) out.push_back(NameOf(i));
    return out;
}

// Each record is 40 bytes: 3000 of them fill one block and part of another.
constexpr int kRecordSize = 40;
constexpr int kHeaderSize = 32 + 3 * 32 + 1;

// The same rows and the same edits, with and without buffering; the bytes
// after the header's date must match.
std::string Made(const std::string& path, bool buffered, const std::function<void(TDbfTab&)>& edits) {
    TDbfTab t;
    Create(t, path);
    t.SetBufferAppends(buffered);
    t.Open();
    for (int i = 1; i <= 3000; ++i) Append(t, i);
    edits(t);
    t.Close();
    return ReadFile(path);
}

TEST(DbfAppendBlocks, FileMatchesRecordByRecordAppending) {
    TempDir dir;
    auto edits = [](TDbfTab& t) {
        t.SetRecNo(2999);
        t.Edit();
        t.FieldByName("NAME")->SetValue(Variant("edited late"));
        t.Post();
        t.SetRecNo(5);
        t.Delete();
        Append(t, 4000);
    };
    const std::string a = Made(dir / "a.dbf", false, edits);
    const std::string b = Made(dir / "b.dbf", true, edits);
    ASSERT_EQ(a.size(), static_cast<size_t>(kHeaderSize + 3001 * kRecordSize));
    ASSERT_EQ(b.size(), a.size());
    EXPECT_TRUE(a.compare(4, a.npos, b, 4) == 0);
    EXPECT_EQ(FileRecordCount(dir / "b.dbf"), 3001u);
}

TEST(DbfAppendBlocks, HeldRecordsReadBackWhileOpen) {
    TempDir dir;
    const std::string path = dir / "h.dbf";
    TDbfTab t;
    Create(t, path);
    t.SetBufferAppends(true);
    t.Open();
    for (int i = 1; i <= 3000; ++i) {
        Append(t, i);
        ASSERT_EQ(t.FieldByName("NAME")->AsString(), NameOf(i));
    }
    // The last block is not in the file yet.
    EXPECT_LT(ReadFile(path).size(), static_cast<size_t>(kHeaderSize + 3000 * kRecordSize));
    EXPECT_EQ(t.RecordCount(), 3000);
    EXPECT_EQ(Names(t), Expected(1, 3000));
    t.Last();
    EXPECT_EQ(t.FieldByName("NAME")->AsString(), NameOf(3000));
    t.Prior();
    EXPECT_EQ(t.FieldByName("NAME")->AsString(), NameOf(2999));
    t.SetFilterText("SUM > 749");  // rows 2997 and up
    EXPECT_EQ(Names(t), Expected(2997, 3000));
    t.SetFilterText("");
    t.Close();
    EXPECT_EQ(ReadFile(path).size(), static_cast<size_t>(kHeaderSize + 3000 * kRecordSize));
    t.Open();
    EXPECT_EQ(Names(t), Expected(1, 3000));
}

TEST(DbfAppendBlocks, WindowStaysTrueWhileRecordsAreHeld) {
    TempDir dir;
    const std::string path = dir / "w.dbf";
    {
        TDbfTab t;
        Create(t, path);
        t.Open();
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
    t.SetRecNo(13);
    t.Edit();
    t.FieldByName("NAME")->SetValue(Variant("thirteen"));
    t.Post();
    std::vector<std::string> want = Expected(1, 15);
    want[2] = "three";
    want[12] = "thirteen";
    EXPECT_EQ(Names(t), want);
    t.Close();
    t.Open();
    EXPECT_EQ(Names(t), want);
}

TEST(DbfAppendBlocks, AppendedRecordReadsBackUnbuffered) {
    TempDir dir;
    const std::string path = dir / "u.dbf";
    TDbfTab t;
    Create(t, path);
    t.Open();
    // More than one read-ahead window of records, each read back as posted
    // and each in the file at once.
    for (int i = 1; i <= 2000; ++i) {
        Append(t, i);
        ASSERT_EQ(t.FieldByName("NAME")->AsString(), NameOf(i));
    }
    EXPECT_EQ(ReadFile(path).size(), static_cast<size_t>(kHeaderSize + 2000 * kRecordSize));
    EXPECT_EQ(Names(t), Expected(1, 2000));
    t.Last();
    for (int i = 2000; i >= 1990; --i, t.Prior()) EXPECT_EQ(t.FieldByName("NAME")->AsString(), NameOf(i));
}

}  // namespace
