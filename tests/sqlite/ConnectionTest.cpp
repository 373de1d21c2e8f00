#include <filesystem>
#include <string>

#include "TestDatabase.h"
#include "base/AnsiString.h"
#include "base/Exception.h"
#include "base/Platform.h"
#include "base/TStrings.h"
#include "sqlite/TQorSQLite3Query.h"

using Connection = TempFolderTest;
using Executors = MemoryDatabaseTest;

TEST_F(Connection, PathsAreResolvedAndCheckedBeforeTheLibraryLoads) {
    TQorSQLite3DB db;
    EXPECT_EQ(ErrorOf<SLError>([&] { db.Open(); }), "Missing database property");

    db.SetDBMustExist(true);
    db.SetDatabase("  nofile.db \t");
    EXPECT_EQ(db.Database(), "nofile.db");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { db.Open(); }), "Database " + CurrentDir() + "/nofile.db does not exist");
    EXPECT_FALSE(db.Connected());
    EXPECT_FALSE(db.LibraryLoaded());

    // Upper-case :MEMORY: needs no file, even when files must exist.
    db.SetDatabase(":MEMORY:");
    db.Open();
    EXPECT_TRUE(db.Connected());
    EXPECT_FALSE(std::filesystem::exists(Path(":MEMORY:")));
}

TEST_F(Connection, EventsRunInOrderAndAFailedOpenLeavesNothingBehind) {
    TQorSQLite3DB db;
    std::string log;
    db.BeforeConnect = [&](TQorSQLite3DB* s) { log += s == &db ? "bc " : "?? "; };
    db.AfterConnect = [&](TQorSQLite3DB* s) { log += s->Connected() ? "ac " : "ac-off "; };
    db.BeforeDisconnect = [&](TQorSQLite3DB*) { log += "bd "; };
    db.AfterDisconnect = [&](TQorSQLite3DB* s) { log += s->Connected() ? "ad-on " : "ad "; };
    db.SetDatabase(":memory:");
    db.Open();
    db.Open();  // already connected: the same database stays open
    db.Close();
    db.Close();  // nothing more to disconnect
    EXPECT_EQ(log, "bc ac bd ad ");

    log.clear();
    db.SetDatabase(Path("no/such/folder/x.db"));
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { db.Open(); }), "??? SQLite ERR-unable to open database file");
    EXPECT_EQ(log, "bc ");
    EXPECT_FALSE(db.Connected());
    EXPECT_FALSE(db.LibraryLoaded());
    // Nothing unbound is called once the connection is gone.
    EXPECT_EQ(db.RowsAffected(), -1);
    db.Interrupt();
    EXPECT_THROW(db.ExecSQL("select 1"), SLError);
    EXPECT_THROW(db.TableExists("x"), SLError);
}

TEST_F(Executors, EveryStatementRunsAndTheEnginesOwnMessageIsRaised) {
    db.ExecSQL("create table t(id integer primary key, v text);");
    db.ExecSQL("insert into t values(1,'a'); insert into t values(2,'b'); -- both done\n  ");
    EXPECT_EQ(db.RowsAffected(), 1);

    const auto insert = [&] { db.ExecSQL("insert into t values(3,'c'); insert into t values(1,'dup')"); };
    EXPECT_EQ(ErrorOf<EDatabaseError>(insert), "??? SQLite ERR-UNIQUE constraint failed: t.id");
    EXPECT_EQ(Int("select count(*) from t"), 3);  // the first statement ran
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { db.ExecSQL("selec 1"); }), "??? SQLite ERR-near \"selec\": syntax error");

    // Statements returning rows are stepped to the end.
    db.ExecSQL("select * from t; update t set v = 'x'");
    EXPECT_EQ(Str("select group_concat(v, '') from t"), "xxx");
    EXPECT_EQ(db.ExecSQL("  /* only a comment */ "), 0);
}

TEST_F(Executors, ArgumentsAndBlobsAreBoundByPositionInEveryStatement) {
    db.ExecSQL("create table p(a, b, c, d, e, f, g)");
    std::string text = "text";
    db.ExecSQLArgs("insert into p values(?,?,?,?,?,?,?); insert into p values(?,?,?,?,?,?,?)",
                   {int32_t{7}, int64_t{3000000000}, 2.5, Currency::FromScaled(12345), 'z', text, true});
    text = "changed";  // the engine copied the text
    EXPECT_EQ(Str("select count(*) || '|' || a || '|' || b || '|' || c || '|' || d || '|' || e || '|' || f || "
                  "'|' || typeof(g) from p"),
              "2|7|3000000000|2.5|1.2345|z|text|null");
    db.ExecSQLArgs("delete from p; insert into p(a,b) values(?, ?)", {std::string(), static_cast<const char*>(nullptr)});
    EXPECT_EQ(Str("select typeof(a) || typeof(b) from p"), "nullnull");

    const std::vector<std::string> blobs{std::string("\x00\x01\x02", 3), "xyz"};
    db.ExecSQL("insert into p(a, b) values(\x02, \x02)", &blobs);
    EXPECT_EQ(Str("select hex(a) || ',' || hex(b) from p where a is not null"), "000102,78797A");
}

TEST_F(Executors, ValueQueriesReuseTheirStatementAndRaiseFailures) {
    db.ExecSQL("create table t(n integer, s text); insert into t values(5, 'five'), (6, null)");
    std::string s;
    db.SelectString("  select s from t where n = ?  ", {Variant(5)}, false, s);
    EXPECT_EQ(s, "five");
    db.SelectString("select s from t where n = ?", {Variant(6)}, false, s);
    EXPECT_EQ(s, "");
    db.SelectString("select s from t where n = ?", {Variant(7)}, true, s);
    EXPECT_EQ(s, "");  // no row
    EXPECT_EQ(db.SelectInt64("select ? + ?", {Variant(int64_t{4000000000}), Variant(1.5)}, true), 4000000001);
    EXPECT_EQ(db.SelectInt64("select ? is null", {Variant::Null()}, true), 1);

    // A step that fails is an error, not an empty answer.
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { db.SelectInt64("select abs(-9223372036854775807 - 1)", {}, true); }),
              "??? SQLite ERR-integer overflow");
    EXPECT_EQ(db.SelectInt64("select 42", {}, false), 42);
    db.Close();  // the open value statement does not keep the database busy
    EXPECT_FALSE(db.Connected());
}

TEST_F(Executors, SchemaListsAndTableInfo) {
    db.ExecSQL("create table b(x); create table a(y integer not null default 5, z varchar(10) primary key);"
               "create table Name(q); create table \"we\"\"ird\"(k); create view v as select 1; create index ia on a(y)");
    TStringList list;
    list.Add("stale");
    db.GetObjectNames("TABLE", list, false);
    EXPECT_EQ(list.Text(), "Name\na\nb\nwe\"ird\n");
    db.GetObjectNames("index", list, true);
    ASSERT_EQ(list.Count(), 2);  // ia and the primary key's automatic index
    EXPECT_EQ(list[0], "a.ia");

    EXPECT_TRUE(db.TableExists("A"));
    EXPECT_TRUE(db.TableExists("v"));
    EXPECT_FALSE(db.TableExists("c"));

    // Each column as "cid name type notnull default pk", the type in either case.
    const auto columns = [&](const std::string& table) {
        std::vector<std::unique_ptr<TQorQLite3Field>> info;
        db.GetTableInfo(table, info);
        std::string out;
        for (const auto& f : info)
            out += std::to_string(f->cid) + " " + f->name + " " + AnsiUpperCase(f->type) + " " +
                   std::to_string(f->notnull) + " " + f->dflt_value + " " + std::to_string(f->pk) + ";";
        return out;
    };
    EXPECT_EQ(columns("we\"ird"), "0 k  0  0;");
    EXPECT_EQ(columns("a"), "0 y INTEGER 1 5 0;1 z VARCHAR(10) 0  1;");
    EXPECT_EQ(columns("missing"), "");
}

TEST_F(Connection, ALockedDatabaseIsAnErrorNotAFreeze) {
    TQorSQLite3DB first, second;
    first.SetDatabase(Path("shared.db"));
    second.SetDatabase(Path("shared.db"));
    first.Open();
    second.Open();
    first.ExecSQL("create table t(a)");
    first.StartTransaction("exclusive");
    first.ExecSQL("insert into t values(1)");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { second.ExecSQL("insert into t values(2)"); }),
              "??? SQLite ERR-database is locked");
    first.Rollback();
    second.ExecSQL("insert into t values(2)");
    EXPECT_EQ(first.SelectInt64("select sum(a) from t", {}, true), 2);
}

// Database always names the file the connection works on: naming another
// file while connected disconnects (with the events and every query of the
// connection's owner closed, whatever connection it uses), and the next
// Open connects to the new file.
TEST_F(Connection, NamingAnotherDatabaseWhileConnectedSwitchesFiles) {
    TComponent owner;
    auto* db = new TQorSQLite3DB(&owner);
    auto* query = new TQorSQLite3Query(&owner);
    auto* other = new TQorSQLite3DB(&owner);
    auto* grid = new TQorSQLite3Query(&owner);
    other->SetDatabase(":memory:");
    grid->SetConnection(other);
    grid->SetSQLText("select 2");
    grid->Open();
    std::string log;
    db->AfterConnect = [&](TQorSQLite3DB* s) { log += "connect " + s->Database() + ";"; };
    db->AfterDisconnect = [&](TQorSQLite3DB* s) { log += "disconnect " + s->Database() + ";"; };
    db->SetDatabase("first.db");
    db->Open();
    query->SetConnection(db);
    query->SetSQLText("select 1");
    query->Open();
    db->ExecSQL("create table only_in_first(a)");
    db->SetDatabase(" first.db ");  // the same name: nothing happens
    EXPECT_TRUE(db->Connected());
    EXPECT_TRUE(query->Active());

    db->SetDatabase("second.db");
    EXPECT_FALSE(db->Connected());
    EXPECT_FALSE(query->Active());
    EXPECT_FALSE(grid->Active());
    EXPECT_TRUE(other->Connected());
    db->Open();
    EXPECT_FALSE(db->TableExists("only_in_first"));
    EXPECT_TRUE(std::filesystem::exists(Path("second.db")));  // a bare name is a file in the current folder
    EXPECT_EQ(log, "connect first.db;disconnect first.db;connect second.db;");

    // A destroyed connection leaves its queries without one, not dangling.
    grid->Open();
    delete other;
    EXPECT_FALSE(grid->Active());
    EXPECT_EQ(grid->Connection(), nullptr);
}
