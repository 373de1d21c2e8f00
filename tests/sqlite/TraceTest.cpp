#include <sys/stat.h>

#include <filesystem>

#include "TestDatabase.h"
#include "base/Exception.h"

using Trace = TempFolderTest;

TEST_F(Trace, BareNamesGoToTheTemporaryFolderAndEveryEventIsRecorded) {
    TQorSQLite3DB db;
    db.SetTrace(true);
    db.SetDatabase(":memory:");
    db.Open();
    db.ExecSQL("create table t(a); insert into t values(1); insert into t values(2)");
    db.StartTransaction("immediate");
    db.Commit();
    db.SetTransactionType("Deferred");
    db.StartTransaction();
    db.Rollback();
    db.StartTransaction("whatever");
    db.Rollback();
    try {
        db.ExecSQL("insert into nowhere values(1)");
    } catch (const EDatabaseError&) {
    }
    db.Close();

    // The compile position moves through the text: the whole text, the rest
    // from the second statement, then the third statement alone.
    std::string joined;
    for (const auto& l : TraceTexts(Path("QorSQLite.trc"))) joined += l + "\n";
    EXPECT_EQ(joined.substr(0, joined.find("begin")),
              "CONNECT :memory: SQLite3.dll\n"
              "create table t(a); insert into t values(1); insert into t values(2)\n"
              " insert into t values(1); insert into t values(2)\n"
              " insert into t values(2)\n");
    const std::string tail = joined.substr(joined.find("begin immediate transaction"));
    EXPECT_EQ(tail,
              "begin immediate transaction\n"
              "begin immediate transaction\n"
              "commit transaction\n"
              "COMMIT\n"
              "begin deferred transaction\n"
              "begin deferred transaction\n"
              "rollback transaction\n"
              "ROLLBACK\n"
              "begin transaction\n"
              "begin transaction\n"
              "rollback transaction\n"
              "ROLLBACK\n"
              "insert into nowhere values(1)\n"
              "no such table: nowhere\n"
              "DISCONNECT\n"
              "\n");
}

TEST_F(Trace, FullPathsAreKeptAndUnwritablePathsAreIgnored) {
    std::filesystem::create_directory(Path("logs"));
    TQorSQLite3DB db;
    db.SetTrace(true);
    db.SetTraceFile(Path("logs/my.trc"));
    db.SetDatabase(":memory:");
    db.Open();
    EXPECT_EQ(TraceTexts(Path("logs/my.trc")).at(0), "CONNECT :memory: SQLite3.dll");
    EXPECT_FALSE(std::filesystem::exists(Path("QorSQLite.trc")));

    // A folder that cannot be made, even by root: its parent is a file.
    db.SetTraceFile(Path("logs/my.trc/new.trc"));
    EXPECT_NO_THROW(db.WriteTrace("x", true));
    EXPECT_FALSE(std::filesystem::exists(Path("logs/my.trc/new.trc")));

    // Off, nothing is written.
    db.SetTrace(false);
    db.SetTraceFile("off.trc");
    db.ExecSQL("select 1");
    EXPECT_FALSE(std::filesystem::exists(Path("off.trc")));
}
