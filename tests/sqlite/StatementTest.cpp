#include <string>

#include "TestDatabase.h"
#include "base/Exception.h"
#include "sqlite/TQorSQLite3Statement.h"

using Statement = MemoryDatabaseTest;

// Values bind as in ExecSQLArgs (checked kind by kind there); the statement
// adds running one compiled text for many rows.
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
    insert.Bind(2, std::string("x\0y", 3));  // the length counts, not the terminator
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { insert.Execute(); }), "??? SQLite ERR-UNIQUE constraint failed: t.id");
    insert.Reset();
    insert.Bind(1, int32_t{1001});
    insert.Execute();
    EXPECT_EQ(Int("select count(*) from t"), 1001);
    EXPECT_EQ(Str("select hex(name) from t where id = 1001"), "780079");
    // A position outside the statement is the engine's complaint, not a crash.
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { insert.BindNull(3); }), "??? SQLite ERR-column index out of range");

    // Texts that do not compile raise the engine's message.
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { TQorSQLite3Statement(db, "insert into missing values (?)"); }),
              "??? SQLite ERR-no such table: missing");
    EXPECT_THROW(TQorSQLite3Statement(db, "  -- only a comment"), SLError);
    TQorSQLite3DB closed;
    EXPECT_THROW(TQorSQLite3Statement(closed, "select 1"), SLError);
}
