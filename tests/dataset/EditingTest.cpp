#include <gtest/gtest.h>

#include "TestTable.h"

namespace {

std::vector<std::string> Names(TDataSet& ds) {
    std::vector<std::string> out;
    TBookmark keep = ds.GetBookmark();
    ds.First();
    for (; !ds.Eof(); ds.Next()) out.push_back(ds.FieldByName("NAME")->AsString());
    ds.GotoBookmark(keep);
    return out;
}

TEST(Editing, EditPostAndCancelWithTheirEvents) {
    Log log;  // outlives the data set, whose close is logged
    auto ds = People();
    LogEvents(*ds, log);
    ds->Open();
    EXPECT_EQ(log, (Log{"BeforeOpen", "AfterOpen", "AfterScroll"}));
    ds->Next();
    log.clear();

    ds->Edit();
    EXPECT_EQ(ds->State(), dsEdit);
    ds->FieldByName("NAME")->SetAsString("Jonas");
    EXPECT_TRUE(ds->Modified());
    EXPECT_EQ(ds->FieldByName("NAME")->OldValue().ToString(), "Jones");
    ds->Post();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "Jonas");
    EXPECT_EQ(ds->RecNo(), 2);
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
    EXPECT_EQ(log, (Log{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel", "BeforeScroll",
                        "AfterScroll"}));
}

TEST(Editing, InsertGoesBeforeTheCurrentRecordAndAppendAtTheEnd) {
    Log log;  // outlives the data set, whose close is logged
    auto ds = People();
    ds->Open();
    ds->Next();
    LogEvents(*ds, log);

    ds->Insert();
    EXPECT_EQ(ds->State(), dsInsert);
    EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
    ds->FieldByName("ID")->SetAsInteger(10);
    ds->FieldByName("NAME")->SetAsString("New");
    ds->Post();
    EXPECT_EQ(log, (Log{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll",
                        "BeforePost", "AfterPost"}));
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "New");
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_EQ(Names(*ds), (std::vector<std::string>{"Smithson", "New", "Jones", "smith", "Brown", "Jones"}));

    ds->First();
    ds->Append();
    ds->FieldByName("NAME")->SetAsString("Last");
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 7);
    ds->Next();
    EXPECT_TRUE(ds->Eof());

    // Cancelling an insert returns to the record it started from.
    ds->SetRecNo(3);
    ds->Insert();
    ds->FieldByName("NAME")->SetAsString("Gone");
    log.clear();
    ds->Cancel();
    EXPECT_EQ(log, (Log{"BeforeCancel", "AfterCancel"}));
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "Jones");
    ds->Next();
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "smith");
    EXPECT_EQ(ds->RecordCount(), 7);
}

TEST(Editing, DeleteMovesToTheNextRecordOrBackAtTheEnd) {
    Log log;  // outlives the data set, whose close is logged
    auto ds = People();
    ds->Open();
    ds->SetRecNo(2);
    LogEvents(*ds, log);
    ds->Delete();
    EXPECT_EQ(log, (Log{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
    ds->Last();
    ds->Delete();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
    EXPECT_FALSE(ds->Eof());
    while (!ds->IsEmpty()) ds->Delete();
    EXPECT_TRUE(ds->Eof() && ds->Bof());
    EXPECT_EQ(ds->RecordCount(), 0);

    // Edit on an empty table inserts.
    ds->Edit();
    EXPECT_EQ(ds->State(), dsInsert);
    ds->Cancel();
    EXPECT_TRUE(ds->IsEmpty());
}

TEST(Editing, WritesAreCheckedAgainstStateAndReadOnly) {
    ArrayDataSet ds;
    ds.AddColumn("ROWID", ftInteger, 0, true);
    ds.AddColumn("NAME", ftString, 10);
    ds.AddRow({1, "a"});
    ds.Open();
    try {
        ds.FieldByName("NAME")->SetAsString("b");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
    }
    ds.Edit();
    EXPECT_TRUE(ds.FieldByName("ROWID")->ReadOnly());
    EXPECT_THROW(ds.FieldByName("ROWID")->SetAsInteger(2), EDatabaseError);
    ds.Cancel();
    EXPECT_THROW(ds.Post(), EDatabaseError);

    ds.Close();
    ds.SetReadOnly(true);
    ds.Open();
    for (auto op : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append, &TDataSet::Delete}) {
        try {
            (ds.*op)();
            FAIL();
        } catch (const EDatabaseError& e) {
            EXPECT_STREQ(e.what(), "Cannot modify a read-only dataset");
        }
    }
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST(Editing, RequiredFieldsAndPostErrorsKeepTheRecordInEditState) {
    auto ds = People();
    ds->Open();
    ds->FieldByName("ID")->SetRequired(true);
    ds->Append();
    ds->FieldByName("NAME")->SetAsString("x");
    try {
        ds->Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Field 'ID' must have a value");
    }
    EXPECT_EQ(ds->State(), dsInsert);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "x");

    ds->BeforePost = [](TDataSet&) { throw EDatabaseError("busy"); };
    ds->FieldByName("ID")->SetAsInteger(6);
    EXPECT_THROW(ds->Post(), EDatabaseError);
    EXPECT_EQ(ds->State(), dsInsert);
    ds->BeforePost = nullptr;
    ds->Post();
    EXPECT_EQ(ds->RecordCount(), 6);
}

TEST(Editing, PostErrorHandlersRetryAbortOrFail) {
    auto ds = People();
    ds->Open();
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
    ds->failPosts = 1;
    answer = daAbort;
    EXPECT_THROW(ds->Post(), EAbort);
    EXPECT_EQ(ds->State(), dsEdit) << "the edit survives a failed post";
    answer = daFail;
    ds->failPosts = 1;
    EXPECT_THROW(ds->Post(), EDatabaseError);
    EXPECT_EQ(ds->FieldByName("AGE")->AsInteger(), 42);
    ds->Post();
    EXPECT_EQ(ds->FieldByName("AGE")->AsInteger(), 42);
}

TEST(Editing, InsertRecordAndAppendRecordFillFieldsByPosition) {
    auto ds = People();
    ds->Open();
    ds->SetRecNo(3);
    ds->InsertRecord({7, "Seven", Variant::Null()});
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "Seven");
    EXPECT_TRUE(ds->FieldByName("AGE")->IsNull());
    ds->AppendRecord({8, "Eight", 80});
    EXPECT_EQ(ds->RecNo(), 7);
    EXPECT_EQ(ds->FieldByName("AGE")->AsInteger(), 80);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_THROW(ds->AppendRecord({"not a number"}), Exception);
    EXPECT_EQ(ds->RecordCount(), 7);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "Eight") << "a failed add leaves the record it started on";
}

}  // namespace
