#include <string>
#include <vector>

#include "TestDatabase.h"
#include "base/Exception.h"
#include "dataset/TDataSource.h"
#include "dataset/TField.h"
#include "sqlite/TQorSQLite3Query.h"

using Queries = QueryDatabaseTest;

TEST_F(Queries, FieldsAreNamedTypedAndSizedFromTheStatement) {
    db.ExecSQL("create table t(id integer, s varchar(3), w nchar(2), f numeric(10,2), b boolean, "
               "d date, tm time, dt datetime, m memo, rowid_alias text)");
    db.ExecSQL("insert into t values(1, 'éé漢😀', 'xyzw', 2.5, 'no', '2024-05-17', '12:30:15', "
               "'2024-05-17 08:09:10.250', 'memo text', 'r')");
    Run("select 1, 1, id, s, w, f, b, d, tm, dt, m, rowid from t");
    ASSERT_EQ(q->FieldCount(), 12);
    EXPECT_EQ(q->Fields()[0]->FieldName() + "," + q->Fields()[1]->FieldName(), "1,1_1");
    EXPECT_EQ(q->FieldDefs()[0].DataType(), ftString);
    EXPECT_TRUE(q->FieldDefs()[0].InternalCalcField());  // no declared type
    EXPECT_EQ(q->FieldDefs()[2].DataType(), ftLargeint);
    EXPECT_EQ(q->FieldDefs()[5].DataType(), ftFloat);
    EXPECT_EQ(q->FieldDefs()[5].Precision(), 2);
    // S cut to its three characters whatever their bytes, W (wide) read as text.
    EXPECT_EQ(Row(), "1|1|1|éé漢|xyzw|2.5|False|17.05.2024|12:30:15|17.05.2024 08:09:10|memo text|1");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", q->FieldByName("DT")->AsDateTime()),
              "2024-05-17 08:09:10.250");
    EXPECT_EQ(q->FieldDefs()[11].Name(), "ROWID");
    EXPECT_TRUE(q->FieldDefs()[11].Attributes() & faReadonly);

    q->SetTypeLess(true);
    Run("select id, d, m, 5 from t");
    const int sizes[] = {12, 10, 4, 512};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(q->FieldDefs()[i].DataType(), ftString) << i;
        EXPECT_EQ(q->FieldDefs()[i].Size(), sizes[i]) << i;
    }
    EXPECT_EQ(q->FieldByName("M")->AsString(), "memo");
}

TEST_F(Queries, StoredValuesAndNullMarkers) {
    db.ExecSQL("create table n(i integer, d date, tm time, dt datetime)");
    db.ExecSQL("insert into n values(null, '1899-12-30', '00:00:00', '2024-01-02T03:04:05');"
               "insert into n values('abc', '30.12.1899', '', '17.05.2024 10:11:12');"
               "insert into n values(3000000000, '', '23:59:59', 'garbage');"
               "insert into n values(0, '01.02.2003', null, '')");
    Run("select * from n");
    EXPECT_EQ(Column("I"), "<null>;0;3000000000;0;");  // a stored 0 is a value
    EXPECT_EQ(Column("D"), "<null>;<null>;<null>;01.02.2003;");
    EXPECT_EQ(Column("TM"), "<null>;<null>;23:59:59;<null>;");
    EXPECT_EQ(Column("DT"), "02.01.2024 03:04:05;17.05.2024 10:11:12;<null>;<null>;");

    // The general reading for date-times when the fixed positions are off.
    q->SetSQLiteDateFormat(false);
    Run("select dt from n");
    EXPECT_EQ(Column("DT"), "02.01.2024 03:04:05;17.05.2024 10:11:12;01.01.1900;<null>;");
}

TEST_F(Queries, StatementTextLimitsAndParameters) {
    db.ExecSQL("create table t(a text)");
    q->SetMaxResults(10);
    q->SetStartResult(20);
    Run("select a from t where a = :v or a = :v or '?' = :w", {Variant("a?'b"), Variant(""), Variant(5)});
    EXPECT_EQ(q->StatementText(),
              "select a from t where a = 'a?''b' or a = NULL or '?' = '5'\n limit 10 offset 20");
    q->Close();
    q->SetMaxResults(0);
    q->SetStartResult(5);
    q->Open();
    EXPECT_NE(q->StatementText().find(" limit -1 offset 5"), std::string::npos);
    EXPECT_EQ(q->MaxResults(), -1);

    q->Close();
    q->SetMaxResults(0);
    q->SetStartResult(0);
    q->SetSQLText("select :d as d, :t as t, :dt as dt, :x as x");
    q->Params()[0].SetAsDate(EncodeDate(2024, 5, 17));
    q->Params()[1].SetAsTime(EncodeTime(8, 9, 10, 0));
    q->Params()[2].SetAsDateTime(EncodeDate(2024, 5, 17) + EncodeTime(8, 9, 10, 0));
    q->Open();
    EXPECT_EQ(q->StatementText(), "select '2024-05-17' as d, '08:09:10' as t, '2024-05-17 08:09:10' as dt, '' as x\n");

    q->SetRawSQL(true);
    q->SetSQLText("select ':not_a_param' as p");
    q->Open();
    EXPECT_EQ(q->FieldByName("P")->AsString(), ":not_a_param");
}

TEST_F(Queries, FailuresRaiseTheirMessages) {
    auto expectMessage = [&](const std::string& sql, const std::string& message) {
        EXPECT_EQ(ErrorOf<std::exception>([&] { Run(sql); }), message) << sql;
        EXPECT_FALSE(q->Active());
    };
    expectMessage("-- only a comment", "no query specified");
    expectMessage("select * from nowhere", "??? SQLite ERR-no such table: nowhere");
    db.ExecSQL("create table v(a \"varchar(max)\")");
    expectMessage("select a from v", "'max' is not a valid integer value");

    TQorSQLite3Query lone;
    lone.SetSQLText("select 1");
    EXPECT_EQ(ErrorOf<SLError>([&] { lone.Open(); }), "no database connection");
}

TEST_F(Queries, FetchReportsEveryStepAndCanBeInterrupted) {
    db.ExecSQL("create table t(a); insert into t values(1),(2),(3)");
    int calls = 0;
    db.OnFetchRows = [&](TDataSet* ds, int32_t rows) {
        EXPECT_EQ(ds, q);
        EXPECT_EQ(rows, 0);
        ++calls;
    };
    Run("select a from t");
    EXPECT_EQ(calls, 4);

    db.OnFetchRows = [&](TDataSet*, int32_t) {
        if (++calls > 100) db.Interrupt();
    };
    EXPECT_EQ(ErrorOf<EDatabaseError>(
                  [&] { Run("with recursive c(x) as (select 1 union all select x + 1 from c) select x from c"); }),
              "??? SQLite ERR-interrupted");
    db.OnFetchRows = nullptr;
    Run("select count(*) as n from t");
    EXPECT_EQ(q->FieldByName("N")->AsInteger(), 3);
}

TEST_F(Queries, NavigationBookmarksAndFilters) {
    db.ExecSQL("create table p(id integer, name text); insert into p values(1, 'Adams'), (2, 'Smithson'),"
               "(3, 'Jones'), (4, 'Smith')");
    Run("select id, name from p order by id");
    q->SetRecNo(3);
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "Jones");
    const TBookmark third = q->GetBookmark();
    q->SetRecNo(6);  // beyond count + 1: nothing happens
    EXPECT_EQ(q->RecNo(), 3);
    q->First();
    const TBookmark first = q->GetBookmark();
    EXPECT_EQ(q->CompareBookmarks(third, first), 1);
    EXPECT_EQ(q->CompareBookmarks(TBookmark(), first), -1);
    q->GotoBookmark(third);
    EXPECT_EQ(q->RecNo(), 3);
    TBookmark bogus(4, '\x7f');
    EXPECT_FALSE(q->BookmarkValid(bogus));
    EXPECT_THROW(q->GotoBookmark(bogus), EDatabaseError);

    // A filter that rejects every row ends at the end.
    q->OnFilterRecord = [](TDataSet&, bool& accept) { accept = false; };
    q->SetFiltered(true);
    q->First();
    EXPECT_TRUE(q->Eof());
}

TEST_F(Queries, BlobsAreReadAndWrittenBackThroughStreams) {
    db.ExecSQL("create table b(id integer, data blob)");
    db.ExecSQL("insert into b values(1, x'00FF10')");
    q->SetSQLTable("b");
    q->SetSQLWhere("Rowid=:Rowid");
    Run("select *, Rowid from b");
    TField* data = q->FieldByName("DATA");
    EXPECT_EQ(data->AsString(), std::string("\x00\xFF\x10", 3));
    // Cancel brings the row's bytes back, whichever way they were written.
    for (bool byStream : {true, false}) {
        q->Edit();
        if (byStream)
            q->CreateBlobStream(data, bmWrite)->WriteString("gone");
        else
            data->SetAsString("gone");
        q->Cancel();
        EXPECT_EQ(data->AsString(), std::string("\x00\xFF\x10", 3)) << byStream;
    }
    // Bytes written through a stream reach the file.
    q->Edit();
    q->CreateBlobStream(data, bmWrite)->WriteString("new bytes");
    q->Post();
    EXPECT_EQ(Str("select data from b"), "new bytes");
    EXPECT_EQ(data->AsString(), "new bytes");
    q->Edit();
    data->SetAsString(std::string("\x01\x00", 2));
    q->Post();
    EXPECT_EQ(Str("select typeof(data) || hex(data) from b"), "blob0100");
    q->Edit();
    data->Clear();
    q->Post();
    EXPECT_EQ(Str("select typeof(data) from b"), "null");
    // A deleted row frees its blob (the sanitizer build reports a leak
    // otherwise).
    db.ExecSQL("insert into b values(2, x'AB')");
    Run("select *, Rowid from b");
    q->Last();
    EXPECT_EQ(q->FieldByName("DATA")->AsString(), "\xAB");
    q->Delete();
    EXPECT_EQ(Int("select count(*) from b"), 1);
}

TEST_F(Queries, DetailQueriesFollowTheirMaster) {
    db.ExecSQL("create table m(id integer, name text); insert into m values(1, 'a'), (2, 'b');"
               "create table d(mid integer, v text); insert into d values(1, 'x'), (1, 'y'), (2, 'z')");
    Run("select * from m order by id");
    auto* source = new TDataSource(&owner);
    source->SetDataSet(q);
    auto* detail = new TQorSQLite3Query(&owner);
    detail->SetConnection(&db);
    detail->SetMasterSource(source);
    detail->SetMasterFields(" MID = ID ");
    detail->SetSQLText("select mid, v from d order by v");
    detail->Open();
    EXPECT_EQ(detail->RecordCount(), 3);
    q->First();
    q->RecNo();  // the master's position refreshes its details
    EXPECT_EQ(detail->RecordCount(), 2);
    q->Next();
    q->RecNo();
    EXPECT_EQ(detail->RecordCount(), 1);
    EXPECT_EQ(detail->FieldByName("V")->AsString(), "z");

    auto* own = new TDataSource(&owner);
    own->SetDataSet(detail);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { detail->SetMasterSource(own); }), "circular references are not allowed");
    detail->SetMasterFields("MID");
    EXPECT_EQ(ErrorOf<SLError>([&] { q->RecNo(); }), "Syntax error: Masterfields not build of a=b;... pairs");
}

// A database written by an 8-bit console holds Windows-1251 bytes; with the
// switch on, statements and parameters go there in that code page and its
// text comes back as UTF-8.
TEST_F(Queries, Windows1251DatabaseBehindTheSwitch) {
    db.SetCp1251Text(true);
    db.ExecSQL("create table w(s varchar(4))");
    db.ExecSQL("insert into w values('Ёжик')");
    db.SetCp1251Text(false);
    EXPECT_EQ(Str("select hex(s) from w"), "A8E6E8EA");
    db.SetCp1251Text(true);
    Run("select s from w where s = :p", {Variant("Ёжик")});
    EXPECT_EQ(Column("S"), "Ёжик;");
    EXPECT_EQ(db.SelectInt64("select count(*) from w where s = ?", {Variant(std::string("Ёжик"))}, true), 1);
    // Names of tables and columns cross the same way.
    db.ExecSQL("create table Склад(Цена integer)");
    EXPECT_TRUE(db.TableExists("склад"));
    Run("select * from Склад");
    EXPECT_EQ(q->Fields()[0]->FieldName(), "ЦЕНА");
    db.SetCp1251Text(false);
    EXPECT_FALSE(db.TableExists("склад"));  // the name is Windows-1251 bytes
}

// A unidirectional query frees a row's texts and blobs once no record holds
// the row any more; the current record keeps its own whatever a search or a
// filter read after it (the sanitizer build reports a use after free
// otherwise). Enough rows pass for the query to free some on the way.
TEST_F(Queries, UnidirectionalCurrentRecordKeepsItsBlobs) {
    db.ExecSQL("create table t(a integer, b blob, s text)");
    db.ExecSQL("insert into t with recursive c(x) as (select 1 union all select x + 1 from c where x < 100) "
               "select x, cast(x + 100 as blob), printf('text %d', x) from c");
    const auto expectRow = [&](int a) {
        EXPECT_EQ(Row(), std::to_string(a) + "|" + std::to_string(a + 100) + "|text " + std::to_string(a));
    };
    q->SetUniDirectional(true);

    // Rows stream forward only, none kept in the result.
    Run("select a, b, s from t order by a");
    EXPECT_EQ(q->Result()->Count(), 0);
    while (!q->Eof()) q->Next();
    EXPECT_EQ(ErrorOf<SLError>([&] { q->Prior(); }), "operation PRIOR not allowed on unidirectional dataset");
    q->First();  // does not run the statement again
    EXPECT_TRUE(q->Eof());

    // A search that finds nothing reads every remaining row.
    Run("select a, b, s from t order by a");
    q->Next();
    expectRow(2);
    EXPECT_FALSE(q->Locate("A", Variant(999), 0));
    expectRow(2);

    // A filter that rejects a long run between accepted rows, and every row
    // after the last accepted one: the move ends at the end on that row.
    q->OnFilterRecord = [](TDataSet& ds, bool& accept) {
        const int a = ds.FieldByName("A")->AsInteger();
        accept = a == 1 || a == 50;
    };
    q->SetFiltered(true);
    Run("select a, b, s from t order by a");
    expectRow(1);
    q->Next();
    expectRow(50);
    q->Next();
    EXPECT_TRUE(q->Eof());
    expectRow(50);
    auto stream = q->CreateBlobStream(q->FieldByName("B"), bmRead);
    EXPECT_EQ(stream->Size(), 3);
}

// A question mark in a comment or a quoted name is text: it takes no value,
// and the placeholders after it get theirs.
TEST_F(Queries, ParameterSubstitutionSkipsCommentsAndQuotedNames) {
    Run("select :a as a -- is it ?\n, :b as b /* or ? */, :c as `c?`, :d as d",
        {Variant(1), Variant(2), Variant(3), Variant(4)});
    EXPECT_EQ(q->Fields()[2]->FieldName(), "C?");
    EXPECT_EQ(Row(), "1|2|3|4");
    // A comment that runs to the end of the text, with and without its end.
    Run("select :a as a, '?' as q /* ? :b", {Variant("x")});
    EXPECT_EQ(Row(), "x|?");
    Run("select :a as a -- ?", {Variant("y")});
    EXPECT_EQ(Row(), "y");
    // A lone dash or slash is an operator, not a comment.
    Run("select 7 - :a as a, 8 / :b as b", {Variant(2), Variant(4)});
    EXPECT_EQ(Row(), "5|2");
    // Values sent reach the engine as they are.
    Run("select :p as p, length(:p) as n", {Variant("Жук漢"), Variant("Жук漢")});
    EXPECT_EQ(Row(), "Жук漢|4");
}

// Room for a text follows the text, not the size its column declares; the
// declared size still ends a longer value, as it always did.
TEST_F(Queries, StringRoomFollowsTheDataNotTheDeclaredSize) {
    db.ExecSQL("create table big(s varchar(200000000), n integer)");
    db.ExecSQL("insert into big values('hi', 1)");
    Run("select s, n from big");
    EXPECT_EQ(q->FieldByName("S")->AsString(), "hi");
    EXPECT_EQ(q->FieldDefs()[0].Size(), 200000000);  // what widths and exports go by
    EXPECT_LT(q->Result()->RecordSize(), 64);
    EXPECT_LT(q->Result()->PackedBytes(), 64u);
    Run("select s, n from big where n = 0");  // no row: no value, and no room for one
    EXPECT_TRUE(q->FieldByName("S")->IsNull());
    // The largest size a declaration can name.
    db.ExecSQL("create table huge(s varchar(2147483647)); insert into huge values('x')");
    Run("select s from huge");
    EXPECT_EQ(q->FieldByName("S")->AsString(), "x");
    EXPECT_GT(q->FieldByName("S")->DataSize(), 0);

    // A long value of such a column is read whole, and written whole.
    const std::string longText(300000, 'x');
    db.ExecSQL("update big set s = '" + longText + "'");
    Run("select s, n from big");
    EXPECT_EQ(q->FieldByName("S")->AsString(), longText);
    q->Edit();
    q->FieldByName("S")->SetAsString(longText + "yz");
    EXPECT_EQ(q->FieldByName("S")->AsString().size(), longText.size() + 2);
    q->Cancel();

    // Both sides of a declared size: a value of that many characters is
    // kept, one character more is cut, the same for every representation.
    db.ExecSQL("create table c(s varchar(9000), t varchar(9000))");
    db.ExecSQL("insert into c values('" + std::string(9000, 'a') + "', '" + std::string(9001, 'b') + "')");
    db.ExecSQL("insert into c values('" + std::string(8999, 'a') + "é', '" + std::string(9000, 'b') + "é')");
    for (const bool typeLess : {false, true}) {
        q->SetTypeLess(typeLess);
        Run("select s, t from c");
        EXPECT_EQ(q->FieldByName("S")->AsString(), std::string(9000, 'a'));
        EXPECT_EQ(q->FieldByName("T")->AsString(), std::string(9000, 'b'));
        q->Next();
        EXPECT_EQ(q->FieldByName("S")->AsString(), std::string(8999, 'a') + "é");
        EXPECT_EQ(q->FieldByName("T")->AsString(), std::string(9000, 'b'));
        // A written value is cut at the same place.
        q->Edit();
        q->FieldByName("S")->SetAsString(std::string(9001, 'c'));
        EXPECT_EQ(q->FieldByName("S")->AsString(), std::string(9000, 'c'));
        q->Cancel();
    }
}
