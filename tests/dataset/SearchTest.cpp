#include <gtest/gtest.h>

#include "TestTable.h"

namespace {

TEST(Search, LocateWithPartialAndCaseInsensitiveKeys) {
    Log log;  // outlives the data set, whose close is logged
    auto ds = People();
    ds->Open();
    EXPECT_FALSE(ds->Locate("NAME", "Smith", 0)) << "whole text must match";
    EXPECT_EQ(ds->RecNo(), 1) << "a failed Locate stays put";
    ds->Next();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2) << "and moves on from there";

    EXPECT_TRUE(ds->Locate("NAME", "smith", loCaseInsensitive | loPartialKey));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1) << "Smithson comes first";
    EXPECT_TRUE(ds->Locate("NAME", "SMITH", loCaseInsensitive));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3) << "without the partial option Smithson is passed";
    EXPECT_TRUE(ds->Locate("name", "SMITHSON", loCaseInsensitive));
    EXPECT_FALSE(ds->Locate("NAME", "smithsonian", loPartialKey | loCaseInsensitive));

    EXPECT_TRUE(ds->Locate("NAME;AGE", std::vector<Variant>{"Jones", 52}, 0));
    EXPECT_EQ(ds->RecNo(), 5);
    ds->Prior();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
    EXPECT_TRUE(ds->Locate("AGE", Variant::Null(), 0));
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "Brown");
    EXPECT_FALSE(ds->Locate("NAME;AGE", std::vector<Variant>{"Jones"}, 0));
    EXPECT_THROW(ds->Locate("NOPE", 1, 0), EDatabaseError);

    LogEvents(*ds, log);
    ds->Locate("ID", 2, 0);
    EXPECT_EQ(log, (Log{"BeforeScroll", "AfterScroll"}));
}

TEST(Search, LookupLeavesThePositionAlone) {
    Log log;  // outlives the data set, whose close is logged
    auto ds = People();
    ds->Open();
    ds->SetRecNo(3);
    LogEvents(*ds, log);
    EXPECT_EQ(ds->Lookup("ID", 5, "AGE").ToInt32(), 52);
    EXPECT_TRUE(ds->Lookup("ID", 42, "AGE").IsNull());
    std::vector<Variant> values;
    ASSERT_TRUE(ds->Lookup("NAME;AGE", {"Jones", 31}, "ID;NAME", values));
    EXPECT_EQ(values[0].ToInt32(), 2);
    EXPECT_EQ(values[1].ToString(), "Jones");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
    EXPECT_EQ(ds->RecNo(), 3);
    ds->Next();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
    ds->Prior();
    ds->Prior();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
}

TEST(Search, FilterRecordSkipsRowsInBothDirections) {
    auto ds = People();
    ds->OnFilterRecord = [](TDataSet& d, bool& accept) {
        accept = d.FieldByName("ID")->AsInteger() % 2 == 1;
    };
    ds->SetFiltered(true);
    ds->Open();
    std::vector<int> ids;
    for (; !ds->Eof(); ds->Next()) ids.push_back(ds->FieldByName("ID")->AsInteger());
    EXPECT_EQ(ids, (std::vector<int>{1, 3, 5}));
    ds->Last();
    ds->Prior();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
    EXPECT_FALSE(ds->Locate("ID", 2, 0)) << "filtered rows are not found";

    ds->SetFiltered(false);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1) << "switching the filter starts over";
    ds->Last();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 5);
}

TEST(Search, FilterRejectingEveryRecordEndsAtEof) {
    auto ds = People();
    int calls = 0;
    ds->OnFilterRecord = [&](TDataSet&, bool& accept) {
        ++calls;
        accept = false;
    };
    ds->SetFiltered(true);
    ds->Open();
    EXPECT_TRUE(ds->Eof());
    EXPECT_TRUE(ds->Bof());
    EXPECT_TRUE(ds->IsEmpty());
    ds->Last();
    ds->Next();
    ds->Prior();
    ds->SetRecNo(3);
    ds->Refresh();
    EXPECT_TRUE(ds->IsEmpty());
    EXPECT_TRUE(ds->FieldByName("NAME")->IsNull());
    EXPECT_FALSE(ds->Locate("ID", 1, 0));
    EXPECT_LT(calls, 100);

    // Accepting again later shows the rows.
    ds->OnFilterRecord = [](TDataSet&, bool& accept) { accept = true; };
    ds->First();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
}

}  // namespace
