#include <string>

#include "TestDatabase.h"
#include "base/Exception.h"
#include "sqlite/TQorSQLite3Statement.h"

using Statement = MemoryDatabaseTest;

TEST_F(Statement, EveryKindOfValueIsBoundByPosition) {
    db.ExecSQL("create table t(a, b, c, d, e, f, g, h, i)");
    TQorSQLite3Statement insert(db, "insert into t values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    EXPECT_EQ(insert.ParameterCount(), 9);
    std::string text("x\0y", 3);  // the length counts, not the terminator
    insert.Bind(1, int32_t{-7});
    insert.Bind(2, int64_t{1} << 40);
    insert.Bind(3, 0.25);
    insert.Bind(4, Currency{125000});
    insert.Bind(5, 'q');
    insert.Bind(6, text);
    insert.Bind(7, "plain");
    insert.Bind(8, std::string());  // empty text is NULL, as in ExecSQLArgs
    insert.Bind(9, true);           // a boolean binds nothing but NULL
    text = "changed";               // the engine copied the text
    insert.Execute();
    EXPECT_EQ(Str("select typeof(a)||typeof(b)||typeof(c)||typeof(d)||typeof(e)||typeof(f)||typeof(g)"
                  "||typeof(h)||typeof(i) from t"),
              "integerintegerrealrealtexttexttextnullnull");
    EXPECT_EQ(Str("select a||'|'||b||'|'||c||'|'||d||'|'||e||'|'||hex(f)||'|'||g from t"),
              "-7|1099511627776|0.25|12.5|q|780079|plain");

    // A position outside the statement is the engine's complaint, not a crash.
    try {
        insert.BindNull(10);
        FAIL() << "position 10 of 9 was bound";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "??? SQLite ERR-column index out of range");
    }
}

TEST_F(Statement, OneStatementRunsForManyRowsAndSurvivesAFailedRow) {
    db.ExecSQL("create table t(id integer primary key, name text not null)");
    TQorSQLite3Statement insert(db, "insert into t(id, name) values (?, ?)");
    for (int i = 1; i <= 1000; ++i) {
        insert.Bind(1, int32_t{i});
        insert.Bind(2, "n" + std::to_string(i));
        insert.Execute();
    }
    EXPECT_EQ(Int("select count(*) from t"), 1000);
    EXPECT_EQ(Str("select name from t where id = 777"), "n777");

    // The specific message of the failing row; the statement runs on after it.
    insert.Bind(1, int32_t{5});
    insert.Bind(2, "again");
    try {
        insert.Execute();
        FAIL() << "a duplicate key was inserted";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "??? SQLite ERR-UNIQUE constraint failed: t.id");
    }
    insert.Bind(1, int32_t{1001});
    insert.BindNull(2);
    try {
        insert.Execute();
        FAIL() << "a NULL name was inserted";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "??? SQLite ERR-NOT NULL constraint failed: t.name");
    }
    insert.Reset();
    insert.Bind(2, "last");
    insert.Execute();
    EXPECT_EQ(Int("select count(*) from t"), 1001);
    EXPECT_EQ(Str("select name from t where id = 1001"), "last");

    // Rows of a statement run for its effect are stepped over.
    TQorSQLite3Statement select(db, "select id from t");
    select.Execute();
    select.Execute();
}

TEST_F(Statement, TextsThatDoNotCompileRaiseTheEnginesMessage) {
    try {
        TQorSQLite3Statement bad(db, "insert into missing values (?)");
        FAIL() << "a missing table compiled";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "??? SQLite ERR-no such table: missing");
    }
    EXPECT_THROW(TQorSQLite3Statement(db, "  -- only a comment"), SLError);

    TQorSQLite3DB closed;
    EXPECT_THROW(TQorSQLite3Statement(closed, "select 1"), SLError);
}
