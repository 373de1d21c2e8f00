// CSV and JSON exports checked with independent readers (Python's csv and
// json modules, the sqlite3 shell), and exports that fail midway.
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "ConsoleTestBase.h"

namespace {

class TextExport : public ConsoleTest {
protected:
    // What a Python snippet prints about a file (the file is argv[1]).
    std::string Python(const std::string& code, const std::filesystem::path& file) {
        WriteFile("peer.py", code);
        const std::string out = (dir / "peer.out").string();
        const std::string cmd = "/usr/bin/python3 " + (dir / "peer.py").string() + " " + file.string() + " > " + out + " 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << ReadAll(out);
        return ReadAll(out);
    }
    void Rows() {
        Run("create table t(a integer, b real, c text, d blob, e);"
            "insert into t values(1, 0.1 + 0.2, 'x,\"y\"' || char(10) || 'z;', x'00ff', null);"
            "insert into t values(-3, 3.0, 'Жук 漢 😀', null, 'plain');"
            "insert into t values(9007199254740993, 1e300, '', x'', ' lead');");
        ASSERT_FALSE(console.CommandError());
    }
};

}  // namespace

TEST_F(TextExport, CsvReadsBackAsTheRowsWithPythonAndTheShell) {
    Rows();
    Run("--$CSVE out.csv -select=\"select * from t order by rowid\"\n");
    ASSERT_FALSE(console.CommandError()) << host.Text();
    EXPECT_NE(host.Text().find("Save 3 records to CSV from SQLite table: select * from t order by rowid"), std::string::npos);
    // Quoted only where needed; NULL empty; numbers whole; blobs hexadecimal.
    EXPECT_EQ(ReadAll(dir / "out.csv"),
              "a,b,c,d,e\n"
              "1,0.30000000000000004,\"x,\"\"y\"\"\nz;\",00FF,\n"
              "-3,3.0,Жук 漢 😀,,plain\n"
              "9007199254740993,1e+300,,, lead\n");
    EXPECT_EQ(Python("import csv, sys\nfor r in csv.reader(open(sys.argv[1], newline='', encoding='utf-8')): print(r)\n",
                     dir / "out.csv"),
              "['a', 'b', 'c', 'd', 'e']\n"
              "['1', '0.30000000000000004', 'x,\"y\"\\nz;', '00FF', '']\n"
              "['-3', '3.0', 'Жук 漢 😀', '', 'plain']\n"
              "['9007199254740993', '1e+300', '', '', ' lead']\n");
    // The shell's own import reads the same texts.
    ASSERT_EQ(std::system(("sqlite3 " + (dir / "peer.db").string() + " \".import --csv " + (dir / "out.csv").string() +
                           " r\" > /dev/null 2>&1")
                              .c_str()),
              0);
    console.Session().ExecSQL("attach '" + (dir / "peer.db").string() + "' as peer");
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from peer.r where c = 'Жук 漢 😀' or c like 'x,%'", {}, true), 2);

    // Another delimiter (';' too, which otherwise ends a command) and no header.
    Run("--$CSVE semi.csv -select=\"select a, c from t order by rowid\" -Delim=; -Header=0\n");
    EXPECT_EQ(ReadAll(dir / "semi.csv"), "1;\"x,\"\"y\"\"\nz;\"\n-3;Жук 漢 😀\n9007199254740993;\n");
    Run("--$CSVE tab.csv -select=\"select a, e from t order by rowid\" -Delim=tab\n");
    EXPECT_EQ(ReadAll(dir / "tab.csv"), "a\te\n1\t\n-3\tplain\n9007199254740993\t lead\n");
    Run("--$CSVE bad.csv -select=\"select 1\" -Delim=ab\n");
    EXPECT_TRUE(console.CommandError());
}

TEST_F(TextExport, JsonEqualsTheShellsRows) {
    Rows();
    Run("--$JSNE out.json -select=\"select a, b, c, e from t order by rowid\"\n");
    ASSERT_FALSE(console.CommandError()) << host.Text();
    // The same rows through the shell, from a copy of the table.
    console.Session().ExecSQL("attach '" + (dir / "shell.db").string() + "' as s");
    console.Session().ExecSQL("create table s.t as select * from main.t");
    console.Session().ExecSQL("detach s");
    const std::string shell = (dir / "shell.json").string();
    ASSERT_EQ(std::system(("sqlite3 -json " + (dir / "shell.db").string() +
                           " \"select a, b, c, e from t order by rowid\" > " + shell)
                              .c_str()),
              0);
    EXPECT_EQ(Python("import json, sys\nprint(json.load(open(sys.argv[1], encoding='utf-8')) == "
                     "json.load(open(sys.argv[1].replace('out.json', 'shell.json'), encoding='utf-8')))\n",
                     dir / "out.json"),
              "True\n");
    // Blobs as hexadecimal text; no rows give an empty array.
    Run("--$JSNE blob.json -select=\"select d from t order by rowid\"\n");
    EXPECT_EQ(ReadAll(dir / "blob.json"), "[{\"d\":\"00FF\"}\n,{\"d\":null}\n,{\"d\":\"\"}\n]\n");
    Run("--$JSNE none.json -select=\"select * from t where 0\"\n");
    EXPECT_EQ(ReadAll(dir / "none.json"), "[]\n");
}

// An export that fails midway leaves the older file byte for byte: a
// statement error on a later row, and a file-size limit reached.
TEST_F(TextExport, AFailedExportLeavesTheOlderFile) {
    Run("create table big(x)");
    Run("with recursive c(n) as (select 1 union all select n + 1 from c where n < 200000) "
        "insert into big select 'row ' || n from c");
    const std::string old = "the older file\n";
    for (const char* name : {"old.csv", "old.json", "old.xml", "old.html"}) WriteFile(name, old);
    host.answerYes = true;
    // abs() of the smallest integer fails on the last row only.
    const std::string failing = " -select=\"select x, case when rowid = 200000 then abs(-9223372036854775807 - 1) end from big\"\n";
    for (const char* d : {"--$CSVE old.csv", "--$JSNE old.json", "--$XMLE old.xml", "--$HTME old.html"}) {
        const std::string out = Run(d + failing);
        EXPECT_TRUE(console.CommandError()) << d;
        EXPECT_NE(out.find("integer overflow"), std::string::npos) << out;
    }
    for (const char* name : {"old.csv", "old.json", "old.xml", "old.html"}) EXPECT_EQ(ReadAll(dir / name), old) << name;

    // Ctrl+C after a thousand rows.
    for (const char* d : {"--$CSVE old.csv", "--$JSNE old.json"}) {
        host.interrupt = true;
        host.interruptAfter = 1000;
        host.polls = 0;
        Run(d + std::string(" -select=\"select x from big\"\n"));
        host.interrupt = false;
        EXPECT_TRUE(console.CommandError()) << d;
    }
    EXPECT_EQ(ReadAll(dir / "old.csv"), old);
    EXPECT_EQ(ReadAll(dir / "old.json"), old);

    // A full disk: the process may write no more than 64 KiB to a file.
    struct rlimit before {};
    getrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    WriteFile("old.dbf", old);
    Run("--$CSVE old.csv -select=\"select x from big\"\n");
    const bool failed = console.CommandError();
    Run("--$DBFE old.dbf -select=\"select x from big\"\n");
    const bool dbfFailed = console.CommandError();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(dbfFailed);
    EXPECT_EQ(ReadAll(dir / "old.csv"), old);
    EXPECT_EQ(ReadAll(dir / "old.dbf"), old);
    // Nothing is left beside them.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) files += e.path().filename().string().rfind("old.", 0) == 0;
    EXPECT_EQ(files, 4 + 1);
    // And the question: No keeps the file.
    host.answerYes = false;
    Run("--$CSVE old.csv -select=\"select 1\"\n");
    EXPECT_EQ(ReadAll(dir / "old.csv"), old);
}
