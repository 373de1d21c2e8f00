// The data-set framework over an in-memory table: moving, bookmarks, Locate,
// Lookup, record filters, and editing with the events and checks around it.
#include <gtest/gtest.h>

#include "TestTable.h"

namespace {

TEST(Navigation, WalksBothWaysAndStopsAtTheEnds) {
    auto ds = People();
    ds->Open();
    EXPECT_TRUE(ds->Bof());
    std::vector<int> seen;
    for (; !ds->Eof(); ds->Next()) seen.push_back(Id(*ds));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Id(*ds), 5) << "a failed Next stays on the last record";

    seen.clear();
    ds->Last();
    // Bounded: a Prior that never reaches BOF must fail here, not hang.
    for (int guard = 0; !ds->Bof() && guard < 10; ++guard) {
        seen.push_back(Id(*ds));
        ds->Prior();
    }
    EXPECT_EQ(seen, (std::vector<int>{5, 4, 3, 2, 1}));

    // MoveBy stops at either end and tells how far it went.
    EXPECT_EQ(ds->MoveBy(3), 3);
    EXPECT_EQ(Id(*ds), 4);
    EXPECT_EQ(ds->MoveBy(10), 1);
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->MoveBy(-2), -2);
    EXPECT_EQ(Id(*ds), 3);
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->MoveBy(-10), -2);
    EXPECT_TRUE(ds->Bof());

    // A bookmark brings its record back and moves go on from there.
    ds->Next();
    const TBookmark second = ds->GetBookmark();
    ds->Last();
    ds->GotoBookmark(second);
    ds->Next();
    EXPECT_EQ(Id(*ds), 3);
    ds->Prior();
    ds->Delete();
    EXPECT_THROW(ds->GotoBookmark(second), EDatabaseError);
}

// Moves and writes on a closed, an empty and a read-only table.
TEST(Navigation, EmptyClosedAndReadOnlyTables) {
    ArrayDataSet ds;
    ds.AddColumn("ROWID", ftInteger, 0, true);
    ds.AddColumn("NAME", ftString, 10);
    EXPECT_EQ(DatabaseError([&] { ds.Next(); }), "Cannot perform this operation on a closed dataset");
    ds.Open();
    ds.Next();
    ds.Prior();
    ds.Last();
    EXPECT_TRUE(ds.Eof() && ds.Bof());
    EXPECT_TRUE(ds.FieldByName("NAME")->IsNull());
    EXPECT_THROW(ds.Delete(), EDatabaseError);
    EXPECT_TRUE(ds.GetBookmark().empty());
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 0) << "default fields go with the close";

    ds.AddRow({1, "a"});
    ds.Open();
    EXPECT_EQ(DatabaseError([&] { ds.FieldByName("NAME")->SetAsString("b"); }), "Dataset not in edit or insert mode");
    ds.Edit();
    EXPECT_THROW(ds.FieldByName("ROWID")->SetAsInteger(2), EDatabaseError);
    ds.Cancel();
    ds.Close();
    ds.SetReadOnly(true);
    ds.Open();
    for (auto op : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append, &TDataSet::Delete})
        EXPECT_EQ(DatabaseError([&] { (ds.*op)(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST(Search, LocateFindsTheFirstMatchLookupStaysPutAndFiltersSkipRows) {
    Log log;
    auto ds = People();
    ds->Open();
    ds->Next();
    EXPECT_FALSE(ds->Locate("NAME", "Smith", 0)) << "whole text must match";
    EXPECT_EQ(ds->RecNo(), 2) << "a failed Locate stays put";
    EXPECT_TRUE(ds->Locate("NAME", "smith", loCaseInsensitive | loPartialKey));
    EXPECT_EQ(Id(*ds), 1) << "Smithson comes first";
    EXPECT_TRUE(ds->Locate("NAME", "SMITH", loCaseInsensitive));
    EXPECT_EQ(Id(*ds), 3) << "without the partial option Smithson is passed";
    EXPECT_TRUE(ds->Locate("NAME;AGE", std::vector<Variant>{"Jones", 52}, 0));
    EXPECT_EQ(ds->RecNo(), 5);
    EXPECT_TRUE(ds->Locate("AGE", Variant::Null(), 0));
    EXPECT_EQ(Id(*ds), 4);
    EXPECT_FALSE(ds->Locate("NAME;AGE", std::vector<Variant>{"Jones"}, 0));
    LogEvents(*ds, log);
    ds->Locate("ID", 2, 0);
    EXPECT_EQ(log, (Log{"BeforeScroll", "AfterScroll"}));

    // Lookup answers without moving or telling anyone.
    log.clear();
    std::vector<Variant> values;
    ASSERT_TRUE(ds->Lookup("NAME;AGE", {"smith", 25}, "ID;NAME", values));
    EXPECT_EQ(values[0].ToInt32(), 3);
    EXPECT_EQ(values[1].ToString(), "smith");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Id(*ds), 2);

    // A filter skips rows both ways, and may reject them all without hanging.
    int calls = 0;
    int keep = 1;  // the remainder of ID / 2 accepted; -1 accepts nothing
    ds->OnFilterRecord = [&](TDataSet& d, bool& accept) {
        ++calls;
        accept = Id(d) % 2 == keep;
    };
    ds->SetFiltered(true);
    std::vector<int> ids;
    for (; !ds->Eof(); ds->Next()) ids.push_back(Id(*ds));
    EXPECT_EQ(ids, (std::vector<int>{1, 3, 5}));
    ds->Prior();
    EXPECT_EQ(Id(*ds), 3);
    EXPECT_FALSE(ds->Locate("ID", 2, 0)) << "filtered rows are not found";
    ds->SetFiltered(false);
    EXPECT_EQ(Id(*ds), 1) << "switching the filter starts over";

    keep = -1;
    ds->SetFiltered(true);
    EXPECT_TRUE(ds->Eof() && ds->Bof() && ds->IsEmpty());
    calls = 0;
    ds->Last();
    ds->Prior();
    ds->Refresh();
    EXPECT_TRUE(ds->FieldByName("NAME")->IsNull());
    EXPECT_FALSE(ds->Locate("ID", 1, 0));
    EXPECT_LT(calls, 100);
    keep = 0;
    ds->First();
    EXPECT_EQ(Id(*ds), 2) << "accepting again later shows the rows";
}

TEST(Editing, EditPostAndCancelWithTheirEventsAndPostErrors) {
    Log log;
    auto ds = People();
    LogEvents(*ds, log);
    ds->Open();
    EXPECT_EQ(log, (Log{"BeforeOpen", "AfterOpen", "AfterScroll"}));
    ds->Next();
    log.clear();

    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("Jonas");
    EXPECT_TRUE(ds->Modified());
    EXPECT_EQ(ds->FieldByName("NAME")->OldValue().ToString(), "Jones");
    ds->Post();
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "Jonas");
    EXPECT_EQ(log, (Log{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost"}));

    log.clear();
    ds->Edit();
    ds->FieldByName("AGE")->SetAsInteger(99);
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("AGE")->AsInteger(), 31);
    EXPECT_EQ(log, (Log{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));

    // Moving away posts a modified record and cancels an untouched one.
    ds->Edit();
    ds->FieldByName("AGE")->SetAsInteger(32);
    ds->Next();
    ds->Prior();
    EXPECT_EQ(ds->FieldByName("AGE")->AsInteger(), 32);
    log.clear();
    ds->Edit();
    ds->Next();
    EXPECT_EQ(log, (Log{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel", "BeforeScroll", "AfterScroll"}));

    // A failed post keeps the record in its state with what was typed.
    ds->FieldByName("ID")->SetRequired(true);
    ds->Append();
    ds->FieldByName("NAME")->SetAsString("x");
    EXPECT_EQ(DatabaseError([&] { ds->Post(); }), "Field 'ID' must have a value");
    EXPECT_EQ(ds->State(), dsInsert);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "x");
    ds->Cancel();

    int calls = 0;
    TDataAction answer = daRetry;
    ds->OnPostError = [&](TDataSet&, EDatabaseError& e, TDataAction& action) {
        EXPECT_STREQ(e.what(), "database is locked");
        ++calls;
        action = answer;
    };
    ds->Edit();
    ds->FieldByName("AGE")->SetAsInteger(41);
    ds->failPosts = 2;
    ds->Post();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->FieldByName("AGE")->AsInteger(), 41);

    ds->Edit();
    ds->FieldByName("AGE")->SetAsInteger(42);
    answer = daAbort;
    ds->failPosts = 1;
    EXPECT_THROW(ds->Post(), EAbort);
    answer = daFail;
    ds->failPosts = 1;
    EXPECT_THROW(ds->Post(), EDatabaseError);
    EXPECT_EQ(ds->State(), dsEdit) << "the edit survives failed posts";
    ds->Post();
    EXPECT_EQ(ds->FieldByName("AGE")->AsInteger(), 42);
}

TEST(Editing, InsertGoesBeforeTheCurrentRecordAppendAtTheEndAndDeleteMovesOn) {
    Log log;
    auto ds = People();
    ds->Open();
    ds->Next();
    LogEvents(*ds, log);
    ds->Insert();
    ds->FieldByName("NAME")->SetAsString("New");
    ds->Post();
    EXPECT_EQ(log, (Log{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll", "BeforePost",
                        "AfterPost"}));
    EXPECT_EQ(ds->RecNo(), 2);
    std::vector<std::string> names;
    for (ds->First(); !ds->Eof(); ds->Next()) names.push_back(ds->FieldByName("NAME")->AsString());
    EXPECT_EQ(names, (std::vector<std::string>{"Smithson", "New", "Jones", "smith", "Brown", "Jones"}));

    ds->First();
    ds->Append();
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 7);

    // Cancelling an insert returns to the record it started from.
    ds->MoveBy(-4);
    ds->Insert();
    ds->Cancel();
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "Jones");
    EXPECT_EQ(ds->RecordCount(), 7);

    // The record forms fill the fields by position; a failed one adds nothing.
    ds->InsertRecord({7, "Seven", Variant::Null()});
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_THROW(ds->AppendRecord({"not a number"}), Exception);
    EXPECT_EQ(ds->RecordCount(), 8);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "Seven") << "a failed add leaves the record it started on";

    // Delete moves to the next record, or back from the last.
    log.clear();
    ds->Delete();
    EXPECT_EQ(log, (Log{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(Id(*ds), 2);
    ds->Last();
    ds->Delete();
    EXPECT_EQ(Id(*ds), 5);
    EXPECT_FALSE(ds->Eof());
    while (!ds->IsEmpty()) ds->Delete();
    EXPECT_TRUE(ds->Eof() && ds->Bof());
    // Edit on an empty table inserts.
    ds->Edit();
    EXPECT_EQ(ds->State(), dsInsert);
}


}  // namespace
