#include "ConsoleTestBase.h"
#include "console/InternalTools.h"

namespace {

using Lines = std::vector<std::string>;

class InternalTools : public ConsoleTest {
protected:
    Lines Tool(int index) {
        host.lines.clear();
        host.printCalls = 0;
        RunInternalTool(console, index);
        return host.lines;
    }
    void Exec(const std::string& sql) { console.Session().ExecSQL(sql); }
};

}  // namespace

TEST_F(InternalTools, ItemsInTheirOrder) {
    EXPECT_EQ(InternalToolNames(), (Lines{"Get Table names", "Get View names", "Get Index names", "Get Trigger names",
                                          "Get Table Info", "SQLite_Master", "Pragma", "Environment variables"}));
    // Headers are 40 characters: filled with dashes, or cut.
    EXPECT_EQ(ToolHeader("Tables: (", 3), "Tables: (3) ----------------------------");
    EXPECT_EQ(ToolHeader(std::string(39, 'x'), 12345), std::string(39, 'x') + "1");
    // An empty database: the header and one empty line.
    EXPECT_EQ(Tool(0), (Lines{"Tables: (0) ----------------------------", ""}));
    Exec("create table zeta(a); create table alpha(b); create table \"Жёлтый\"(c)");
    Exec("create view v1 as select * from alpha; create index ix_a on alpha(b)");
    Exec("create trigger tr after insert on zeta begin select 1; end");
    EXPECT_EQ(Tool(0), (Lines{"Tables: (3) ----------------------------", "alpha", "zeta", "Жёлтый"}));
    EXPECT_EQ(host.printCalls, 2);
    EXPECT_EQ(Tool(1), (Lines{"Views: (1) -----------------------------", "v1"}));
    EXPECT_EQ(Tool(2), (Lines{"Indexes: (1) ---------------------------", "alpha.ix_a"}));
    EXPECT_EQ(Tool(3), (Lines{"Triggers: (1) --------------------------", "zeta.tr"}));
    // The schema table, as a query shows it.
    const Lines master = Tool(5);
    EXPECT_EQ(master[0], "SQL: select * from sqlite_master order by type,name;");
    EXPECT_EQ(master.back(), "6 row selected...");
    // Eighteen pragmas in one output call, the values lined up.
    Exec("pragma user_version = 7");
    const Lines pragma = Tool(6);
    EXPECT_EQ(host.printCalls, 1);
    ASSERT_EQ(pragma.size(), 18u);
    EXPECT_EQ(pragma[0], "PRAGMA----------------------------------");
    // No directory set: the pragma returns no row and shows nothing.
    EXPECT_EQ(pragma[15], " temp_store_directory     = ");
    EXPECT_EQ(pragma[17], " user_version             = 7");
    for (size_t i = 1; i < pragma.size(); ++i) EXPECT_EQ(pragma[i].find(" = "), 25u) << pragma[i];
    // Unknown indexes do nothing.
    EXPECT_TRUE(Tool(8).empty());
    EXPECT_TRUE(Tool(-1).empty());
}

TEST_F(InternalTools, TableInfoListsColumns) {
    Exec("create table t(id integer not null default 0, abcdefghijklmnopqrstuvwxy varchar(20), "
         "\"имя\" text default 'Жук', x decimal_number_type_longer)");
    EXPECT_EQ(Tool(4), (Lines{"Tables: (1) ----------------------------", "create table t (",
                              // NOT NULL and the default; a column with neither ends in blanks.
                              "   id                       INTEGER          NOT NULL  defaul 0",
                              // A 25-character name is cut to 24.
                              "  ,abcdefghijklmnopqrstuvwx varchar(20)       ",
                              "  ,имя                      TEXT               defaul 'Жук'",
                              "  ,x                        decimal_number_t  ", ");"}));
}

TEST_F(InternalTools, EnvironmentGoesToTheViewerAndFailuresToTheCaller) {
    console.LocalEnvironment().Add("TABULON_TOOL=значение");
    EXPECT_TRUE(Tool(7).empty());
    EXPECT_TRUE(host.viewer.starts_with("Environment variables|0.800000|0.500000\n")) << host.viewer;
    // The local list follows the process list.
    const size_t local = host.viewer.find("\nTABULON_TOOL=значение\n");
    EXPECT_NE(local, std::string::npos);
    EXPECT_GT(local, host.viewer.find("PATH="));

    console.Session().Close();
    console.Session().SetDatabase("/nonexistent-dir-of-tabulon/x.db");
    EXPECT_THROW(Tool(0), std::exception);
    EXPECT_THROW(Tool(6), std::exception);
    EXPECT_FALSE(console.CommandError());
}
