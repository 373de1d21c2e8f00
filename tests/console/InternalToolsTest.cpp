#include <gtest/gtest.h>

#include <filesystem>

#include "RecordingHost.h"
#include "base/Exception.h"
#include "console/InternalTools.h"
#include "console/TConsole.h"

namespace {

// Counts the output calls and keeps what the viewer was asked to show.
class ToolHost : public RecordingHost {
public:
    void PrintLine(std::string_view text) override {
        ++printCalls;
        RecordingHost::PrintLine(text);
    }
    void ShowTextSized(std::string_view title, std::string_view text, double w, double h) override {
        viewerTitle = title;
        viewerText = text;
        widthFactor = w;
        heightFactor = h;
    }
    int printCalls = 0;
    std::string viewerTitle, viewerText;
    double widthFactor = 0, heightFactor = 0;
};

class InternalTools : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tabulon-tools-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        console.Settings().ShowTime = false;
        console.Connect(":memory:");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    void Exec(const std::string& sql) { console.Session().ExecSQL(sql); }
    std::vector<std::string> Tool(int index) {
        host.lines.clear();
        host.printCalls = 0;
        RunInternalTool(console, index);
        return host.lines;
    }

    std::filesystem::path dir;
    ToolHost host;
    TConsole console{host};
};

using Lines = std::vector<std::string>;

}  // namespace

TEST_F(InternalTools, ItemsInTheirOrder) {
    EXPECT_EQ(InternalToolNames(),
              (Lines{"Get Table names", "Get View names", "Get Index names", "Get Trigger names", "Get Table Info",
                     "SQLite_Master", "Pragma", "Environment variables"}));
    EXPECT_EQ(ToolHeader("Tables: (", 3), "Tables: (3) ----------------------------");
    EXPECT_EQ(ToolHeader("Tables: (", 3).size(), 40u);
    // A header longer than 40 characters is cut.
    EXPECT_EQ(ToolHeader(std::string(39, 'x'), 12345), std::string(39, 'x') + "1");
}

TEST_F(InternalTools, NameListsOfEveryKind) {
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
    EXPECT_FALSE(console.CommandError());
    // Unknown indexes do nothing.
    EXPECT_TRUE(Tool(8).empty());
    EXPECT_TRUE(Tool(-1).empty());
}

TEST_F(InternalTools, TableInfoListsColumns) {
    Exec("create table t(id integer not null default 0, abcdefghijklmnopqrstuvwxy varchar(20), "
         "\"имя\" text default 'Жук', x decimal_number_type_longer)");
    const Lines out = Tool(4);
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[0], "Tables: (1) ----------------------------");
    EXPECT_EQ(out[1], "create table t (");
    // NOT NULL and the default; a column with neither ends in blanks.
    EXPECT_EQ(out[2], "   id                       INTEGER          NOT NULL  defaul 0");
    // A 25-character name is cut to 24.
    EXPECT_EQ(out[3], "  ,abcdefghijklmnopqrstuvwx varchar(20)       ");
    EXPECT_EQ(out[4], "  ,имя                      TEXT               defaul 'Жук'");
    EXPECT_EQ(out[5], "  ,x                        decimal_number_t  ");
    EXPECT_EQ(out[6], ");");
}

TEST_F(InternalTools, SchemaTableAndPragmas) {
    Exec("create table b(x); create table a(y)");
    const Lines master = Tool(5);
    ASSERT_GE(master.size(), 5u);
    EXPECT_EQ(master[0], "SQL: select * from sqlite_master order by type,name;");
    EXPECT_EQ(master[3].substr(0, 6), "table ");
    EXPECT_NE(master[3].find(" a "), std::string::npos);
    EXPECT_EQ(master.back(), "2 row selected...");

    Exec("pragma user_version = 7");
    const Lines pragma = Tool(6);
    // Eighteen lines in one output call.
    EXPECT_EQ(host.printCalls, 1);
    ASSERT_EQ(pragma.size(), 18u);
    EXPECT_EQ(pragma[0], "PRAGMA----------------------------------");
    EXPECT_EQ(pragma[1], " encoding                 = UTF-8");
    EXPECT_EQ(pragma[13], " synchronous(f=2 n=1 o=0) = 2");
    EXPECT_EQ(pragma[14], " temp_store(d=0 f=1 m=2)  = 0");
    // No directory set: the pragma returns no row and shows nothing.
    EXPECT_EQ(pragma[15], " temp_store_directory     = ");
    EXPECT_EQ(pragma[17], " user_version             = 7");
    for (const std::string& l : Lines(pragma.begin() + 1, pragma.end())) EXPECT_EQ(l.find(" = "), 25u) << l;
}

TEST_F(InternalTools, EnvironmentGoesToTheViewer) {
    console.LocalEnvironment().Add("TABULON_TOOL=значение");
    EXPECT_TRUE(Tool(7).empty());
    EXPECT_EQ(host.viewerTitle, "Environment variables");
    EXPECT_DOUBLE_EQ(host.widthFactor, 0.8);
    EXPECT_DOUBLE_EQ(host.heightFactor, 0.5);
    EXPECT_NE(host.viewerText.find("PATH="), std::string::npos);
    // The local list follows the process list.
    EXPECT_NE(host.viewerText.find("\nTABULON_TOOL=значение\n"), std::string::npos);
    EXPECT_GT(host.viewerText.find("TABULON_TOOL="), host.viewerText.find("PATH="));
}

TEST_F(InternalTools, FailuresReachTheCaller) {
    console.Session().Close();
    console.Session().SetDatabase("/nonexistent-dir-of-tabulon/x.db");
    EXPECT_THROW(Tool(0), std::exception);
    EXPECT_THROW(Tool(6), std::exception);
    EXPECT_FALSE(console.CommandError());
}
