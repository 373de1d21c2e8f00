// Editing through the query: the generated UPDATE, INSERT and DELETE seen in
// the connection's trace, the database checked with its own statements.
#include <string>
#include <vector>

#include "TestDatabase.h"
#include "base/Exception.h"
#include "dataset/TField.h"
#include "sqlite/SQLWhereNames.h"
#include "sqlite/TQorSQLite3Query.h"

namespace {

class EditQuery : public QueryDatabaseTest {
protected:
    void SetUp() override {
        QueryDatabaseTest::SetUp();
        db.ExecSQL("create table t(a integer, b text, c text, d float, e date)");
        db.ExecSQL("insert into t values(1, 'one', 'uno', 1.5, '2024-05-17')");
        db.ExecSQL("insert into t values(2, 'two', 'dos', 2.5, null)");
        Show("t");
    }
    // What the grid page does for a table.
    void Show(const std::string& table, const std::string& rowid = "Rowid") {
        q->Close();
        q->SetSQLText("select *," + rowid + " from " + table);
        q->SetSQLTable(table);
        q->SetSQLWhere("Rowid=:Rowid");
        q->Open();
    }
    // Statements sent from now on.
    void StartTrace() {
        std::remove(Path("QorSQLite.trc").c_str());
        db.SetTraceFile(Path("QorSQLite.trc"));
        db.SetTrace(true);
    }
    std::vector<std::string> Sent() {
        db.SetTrace(false);
        return TraceTexts(Path("QorSQLite.trc"));
    }
};

}  // namespace

TEST_F(EditQuery, AnUpdateSetsOnlyTheChangedFieldsAndNothingChangedSendsNothing) {
    q->Next();
    StartTrace();
    q->Edit();
    q->FieldByName("C")->SetAsString("tres");
    q->Post();
    q->Edit();
    q->Post();  // nothing changed
    q->Edit();
    q->FieldByName("D")->SetAsFloat(2.5);  // the same value again
    q->Post();
    EXPECT_EQ(Sent(), std::vector<std::string>{"UPDATE t SET c=:v2 WHERE Rowid=:ROWID"});
    EXPECT_EQ(Str("select group_concat(c) from t"), "uno,tres");
    EXPECT_EQ(Column("C"), "uno;tres;");

    // Several fields, a NULL and a date: in field order, the date as SQL reads it.
    q->First();
    q->Edit();
    q->FieldByName("B")->Clear();
    q->FieldByName("E")->SetAsString("2025-01-02");
    q->FieldByName("A")->SetAsInteger(7);
    StartTrace();
    q->Post();
    EXPECT_EQ(Sent(), std::vector<std::string>{"UPDATE t SET a=:v0,b=:v1,e=:v4 WHERE Rowid=:ROWID"});
    EXPECT_EQ(Str("select quote(a)||quote(b)||quote(e) from t where rowid=1"), "7NULL'2025-01-02'");
}

TEST_F(EditQuery, AnInsertListsTheNonEmptyFieldsAndTakesTheNewRowid) {
    q->Last();
    StartTrace();
    q->Append();
    q->FieldByName("B")->SetAsString("Cássia Жар 漢字");
    q->FieldByName("D")->SetAsFloat(4.25);
    q->Post();
    EXPECT_EQ(Sent(), std::vector<std::string>{"INSERT INTO t (b,d) VALUES (:v1,:v3)"});
    EXPECT_EQ(Str("select b from t where rowid=3"), "Cássia Жар 漢字");

    // Above 2^31 the id is not cut to 32 bits.
    db.ExecSQL("insert into t(rowid, a) values(5000000000, 9)");
    q->Append();
    q->FieldByName("A")->SetAsInteger(10);
    q->Post();
    EXPECT_EQ(q->FieldByName("ROWID")->AsString(), "5000000001");
    // The row is now one the condition finds: editing it writes to it.
    q->Edit();
    q->FieldByName("C")->SetAsString("big");
    q->Post();
    EXPECT_EQ(Str("select c from t where rowid=5000000001"), "big");

    // Inserted before the current row, shown there.
    q->First();
    q->Insert();
    q->FieldByName("B")->SetAsString("zero");
    q->Post();
    EXPECT_EQ(Column("B"), "zero;one;two;Cássia Жар 漢字;<null>;");
    // No non-empty field: the statement does not compile, nothing changes.
    q->Append();
    EXPECT_THROW(q->Post(), EDatabaseError);
    EXPECT_EQ(q->State(), dsInsert);
    q->Cancel();
    EXPECT_EQ(q->RecordCount(), 5);
    EXPECT_EQ(Int("select count(*) from t"), 6);  // with the one inserted aside
}

TEST_F(EditQuery, DeletingRemovesTheRowFromTheDatabaseAndTheResult) {
    StartTrace();
    q->Delete();
    EXPECT_EQ(Sent(), std::vector<std::string>{"DELETE FROM t WHERE Rowid=:ROWID"});
    // The last row: the position moves back onto the row before.
    q->Last();
    q->Delete();
    EXPECT_TRUE(q->IsEmpty());
    EXPECT_EQ(Int("select count(*) from t"), 0);
}

TEST_F(EditQuery, AutoCommitBeginsBeforeEveryWriteAndTheSecondBeginFails) {
    q->SetAutoCommit(true);
    q->Edit();
    q->FieldByName("B")->SetAsString("first");
    q->Post();
    q->Edit();
    q->FieldByName("B")->SetAsString("second");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { q->Post(); }),
              "??? SQLite ERR-cannot start a transaction within a transaction");
    EXPECT_EQ(q->State(), dsEdit);
    db.Rollback();
    EXPECT_EQ(Str("select b from t where rowid=1"), "one");
}

TEST_F(EditQuery, TheConditionBindsEachNameOnceAndSkipsStringsAndComments) {
    EXPECT_EQ(SQLWhereNames("Rowid=:Rowid or (:ROWID is null and b=:b)"), (std::vector<std::string>{"ROWID", "B"}));
    q->SetSQLWhere("Rowid=:Rowid and :rowid>0 and b=:B");
    q->Edit();
    q->FieldByName("C")->SetAsString("x");
    q->Post();  // parameters 2 (ROWID, twice in the text) and 3 (B)
    EXPECT_EQ(Str("select c from t where rowid=1"), "x");
    EXPECT_EQ(Str("select c from t where rowid=2"), "dos");

    // The condition scanner skips strings and both comment kinds.
    EXPECT_EQ(SQLWhereNames("a=':x' and /* :y */ b=:b -- :z\n and c=:c$1#"),
              (std::vector<std::string>{"B", "C$1#"}));
    EXPECT_EQ(SQLWhereNames("имя=:имя and x=:Имя"), std::vector<std::string>{"ИМЯ"});
    EXPECT_EQ(SQLWhereNames("a=: and b='unclosed :x"), std::vector<std::string>{});
    std::string normalized;
    SQLWhereNames("x=:straße and y=':a' and z=:Жар", &normalized);
    EXPECT_EQ(normalized, "x=:STRAẞE and y=':a' and z=:ЖАР");
    EXPECT_EQ(SQLWhereNames("/* unclosed :a"), std::vector<std::string>{});
}

TEST_F(EditQuery, AReadOnlyQueryRefusesEveryWrite) {
    q->SetReadOnly(true);
    q->Edit();
    q->FieldByName("B")->SetAsString("changed");
    EXPECT_EQ(ErrorOf<SLError>([&] { q->Post(); }), "Cannot post into a read-only dataset");
    q->Cancel();
    EXPECT_EQ(ErrorOf<SLError>([&] { q->Delete(); }), "Cannot delete from a read-only dataset");
    EXPECT_EQ(ErrorOf<SLError>([&] { q->AppendRecord({Variant(3), Variant("three")}); }),
              "Cannot write to a read-only dataset");
    EXPECT_EQ(Int("select count(*) from t"), 2);
    EXPECT_EQ(Str("select b from t where rowid=1"), "one");
    EXPECT_EQ(q->RecordCount(), 2);
}

TEST_F(EditQuery, AFailingPostLeavesTheResultAndTheRecordInEdit) {
    db.ExecSQL("create table u(k integer unique, s text not null)");
    db.ExecSQL("insert into u values(1, 'a'); insert into u values(2, 'b')");
    Show("u");
    q->Next();
    q->Edit();
    q->FieldByName("K")->SetAsInteger(1);  // taken
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { q->Post(); }), "??? SQLite ERR-UNIQUE constraint failed: u.k");
    EXPECT_EQ(q->State(), dsEdit);
    EXPECT_EQ(q->FieldByName("K")->AsString(), "1");  // the user's value is kept
    q->Cancel();
    EXPECT_EQ(Column("K"), "1;2;");

    // Deleted meanwhile from elsewhere: the edit is not reported as kept.
    db.ExecSQL("delete from u where k=2");
    q->Last();
    q->Edit();
    q->FieldByName("S")->SetAsString("lost?");
    EXPECT_THROW(q->Post(), EDatabaseError);
    EXPECT_EQ(q->State(), dsEdit);
    q->Cancel();
    EXPECT_EQ(Column("S"), "a;b;");
    EXPECT_THROW(q->Delete(), EDatabaseError);
    EXPECT_EQ(q->RecordCount(), 2);

    // An integer key without a value cannot be read as a number.
    db.ExecSQL("insert into u values(null, 'n')");
    Show("u");
    q->SetSQLWhere("k=:k");
    q->Last();
    q->Edit();
    q->FieldByName("S")->SetAsString("m");
    EXPECT_THROW(q->Post(), EConvertError);
    q->Cancel();
    EXPECT_EQ(Str("select s from u where k is null"), "n");

    // Disconnected: refused, not silently dropped.
    q->Edit();
    q->FieldByName("S")->SetAsString("z");
    db.SetConnected(false);
    EXPECT_THROW(q->Post(), SLError);
}

TEST_F(EditQuery, UntypedAndOddlyNamedColumnsAreWritten) {
    db.ExecSQL("create table \"my t\"(x, \"Straße\" text, \"имя\" text)");
    db.ExecSQL("insert into \"my t\" values(1, 'a', 'b')");
    Show("\"my t\"");
    q->Edit();
    q->FieldByName("X")->SetAsString("2");
    q->FieldByName("имя")->SetAsString("Жар");
    q->Post();
    EXPECT_EQ(Str("select x||\"имя\" from \"my t\""), "2Жар");
    q->Append();
    q->FieldByName("Straße")->SetAsString("c");
    q->Post();
    EXPECT_EQ(Str("select group_concat(\"Straße\") from \"my t\""), "a,c");

    // A Windows-1251 database gets its own code page.
    db.SetCp1251Text(true);
    Show("t");
    q->Edit();
    q->FieldByName("B")->SetAsString("Жар");
    q->Post();
    db.SetCp1251Text(false);
    EXPECT_EQ(Str("select hex(b) from t where rowid=1"), "C6E0F0");
}

TEST_F(EditQuery, AnIntegerPrimaryKeyFollowsTheRowid) {
    db.ExecSQL("create table k(id integer primary key, s text)");
    db.ExecSQL("insert into k values(10, 'ten')");
    Show("k", "Rowid as Rowid");
    // Inserted without its key: the key shows the id the row got.
    q->Append();
    q->FieldByName("S")->SetAsString("new");
    q->Post();
    EXPECT_EQ(q->FieldByName("ID")->AsString(), "11");
    EXPECT_EQ(q->FieldByName("ROWID")->AsString(), "11");
    // A new key is the row's new id: the next edit still finds the row.
    q->Edit();
    q->FieldByName("ID")->SetAsInteger(20);
    q->Post();
    q->Edit();
    q->FieldByName("S")->SetAsString("twenty");
    q->Post();
    EXPECT_EQ(Str("select group_concat(id||s) from k"), "10ten,20twenty");
}
