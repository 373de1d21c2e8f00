#include <gtest/gtest.h>

#include "TestTable.h"

namespace {

int Id(TDataSet& ds) { return ds.FieldByName("id")->AsInteger(); }

TEST(Navigation, WalksBothWaysAndStopsAtTheEnds) {
    auto ds = People();
    ds->Open();
    EXPECT_TRUE(ds->Bof());
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(Id(*ds), 1);
    EXPECT_EQ(ds->RecordCount(), 5);

    std::vector<int> seen;
    while (!ds->Eof()) {
        seen.push_back(Id(*ds));
        ds->Next();
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Id(*ds), 5) << "a failed Next stays on the last record";
    EXPECT_FALSE(ds->Bof());

    seen.clear();
    ds->Last();
    EXPECT_TRUE(ds->Eof());
    // Bounded: a Prior that never reaches BOF must fail here, not hang.
    for (int guard = 0; !ds->Bof() && guard < 10; ++guard) {
        seen.push_back(Id(*ds));
        ds->Prior();
    }
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(seen, (std::vector<int>{5, 4, 3, 2, 1}));
    EXPECT_EQ(Id(*ds), 1);

    ds->First();
    EXPECT_EQ(ds->MoveBy(3), 3);
    EXPECT_EQ(Id(*ds), 4);
    EXPECT_EQ(ds->MoveBy(10), 1);
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->MoveBy(-2), -2);
    EXPECT_EQ(Id(*ds), 3);
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->MoveBy(-10), -2);
    EXPECT_TRUE(ds->Bof());
}

TEST(Navigation, EmptyTableIsAtBothEnds) {
    ArrayDataSet ds;
    ds.AddColumn("A", ftInteger);
    ds.Open();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    ds.Next();
    ds.Prior();
    ds.Last();
    EXPECT_TRUE(ds.Eof() && ds.Bof());
    EXPECT_TRUE(ds.FieldByName("A")->IsNull());
    EXPECT_THROW(ds.Delete(), EDatabaseError);
    EXPECT_TRUE(ds.GetBookmark().empty());
}

TEST(Navigation, RecNoFollowsTheCursorAndSetRecNoIgnoresBadNumbers) {
    auto ds = People();
    ds->Open();
    EXPECT_EQ(ds->RecNo(), 1);
    ds->Next();
    ds->Next();
    EXPECT_EQ(ds->RecNo(), 3);
    ds->SetRecNo(5);
    EXPECT_EQ(Id(*ds), 5);
    EXPECT_FALSE(ds->Eof());
    ds->Next();
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->RecNo(), 5);
    ds->SetRecNo(2);
    EXPECT_EQ(Id(*ds), 2);
    ds->SetRecNo(0);
    ds->SetRecNo(7);
    EXPECT_EQ(ds->RecNo(), 2);
    ds->Prior();
    EXPECT_EQ(Id(*ds), 1);
}

TEST(Navigation, BookmarksReturnAndCompareAndGoStale) {
    auto ds = People();
    ds->Open();
    ds->Next();
    TBookmark second = ds->GetBookmark();
    ds->Last();
    TBookmark fifth = ds->GetBookmark();
    EXPECT_LT(ds->CompareBookmarks(second, fifth), 0);
    EXPECT_GT(ds->CompareBookmarks(fifth, second), 0);
    EXPECT_EQ(ds->CompareBookmarks(second, second), 0);
    EXPECT_EQ(ds->CompareBookmarks(TBookmark(), TBookmark()), 0);
    EXPECT_LT(ds->CompareBookmarks(TBookmark(), second), 0);
    EXPECT_GT(ds->CompareBookmarks(second, TBookmark()), 0);

    ds->GotoBookmark(second);
    EXPECT_EQ(Id(*ds), 2);
    EXPECT_FALSE(ds->Eof());
    ds->Next();
    EXPECT_EQ(Id(*ds), 3) << "moves continue from the bookmarked record";

    ds->GotoBookmark(second);
    ds->Delete();
    EXPECT_FALSE(ds->BookmarkValid(second));
    EXPECT_TRUE(ds->BookmarkValid(fifth));
    EXPECT_THROW(ds->GotoBookmark(second), EDatabaseError);
}

TEST(Navigation, ClosedDataSetRefusesMovesAndFieldsComeAndGo) {
    auto ds = People();
    EXPECT_THROW(ds->First(), EDatabaseError);
    try {
        ds->Next();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Cannot perform this operation on a closed dataset");
    }
    ds->Open();
    EXPECT_EQ(ds->FieldCount(), 3);
    ds->Close();
    EXPECT_EQ(ds->FieldCount(), 0) << "default fields go with the close";
    ds->SetActive(true);
    EXPECT_TRUE(ds->Active());
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "Smithson");
}

}  // namespace
