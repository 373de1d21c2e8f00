// CSV exports checked byte for byte, JSON ones against the sqlite3 shell's
// JSON through Python's json module, exports longer than the block they are
// written in, and exports that fail midway.
#include <sys/resource.h>

#include <csignal>

#include "ConsoleTestBase.h"

using TextExport = ConsoleTest;

TEST_F(TextExport, CsvIsWrittenExactlyAndJsonReadsBackAsTheShellsJson) {
    Run("create table t(a integer, b real, c text, d blob, e);"
        "insert into t values(1, 0.1 + 0.2, 'x,\"y\"' || char(10) || 'z;', x'00ff', null);"
        "insert into t values(-3, 3.0, 'Жук 漢 😀', null, 'plain');"
        "insert into t values(9007199254740993, 1e300, '', x'', ' lead');");
    Run("--$CSVE out.csv -select=\"select * from t order by rowid\"\n");
    ASSERT_FALSE(console.CommandError()) << host.Text();
    EXPECT_TRUE(Has(host.Text(), "Save 3 records to CSV from SQLite table: select * from t order by rowid"));
    // Quoted only where needed; NULL empty; numbers whole; blobs hexadecimal.
    EXPECT_EQ(ReadAll(dir / "out.csv"),
              "a,b,c,d,e\n"
              "1,0.30000000000000004,\"x,\"\"y\"\"\nz;\",00FF,\n"
              "-3,3.0,Жук 漢 😀,,plain\n"
              "9007199254740993,1e+300,,, lead\n");

    // Another delimiter, ';' even, which otherwise ends a command (the import
    // reads -Delim= the same way), and no header.
    Run("--$CSVE semi.csv -select=\"select a, c from t order by rowid\" -Delim=; -Header=0\n");
    EXPECT_EQ(ReadAll(dir / "semi.csv"), "1;\"x,\"\"y\"\"\nz;\"\n-3;Жук 漢 😀\n9007199254740993;\n");

    Run("--$JSNE out.json -select=\"select a, b, c, e from t order by rowid\"\n");
    ASSERT_FALSE(console.CommandError()) << host.Text();
    // The same rows through the shell, from a copy of the database.
    console.Session().ExecSQL("vacuum into 'shell.db'");
    ASSERT_EQ(std::system("sqlite3 -json shell.db \"select a, b, c, e from t order by rowid\" > shell.json"), 0);
    EXPECT_EQ("True\n", Python("import json, sys\nprint(json.load(open(sys.argv[1], encoding='utf-8')) == "
                               "json.load(open('shell.json', encoding='utf-8')))\n", "out.json"));
    // Blobs as hexadecimal text; no rows give an empty array.
    Run("--$JSNE blob.json -select=\"select d from t order by rowid\"\n"
        "--$JSNE none.json -select=\"select * from t where 0\"\n");
    EXPECT_EQ(ReadAll(dir / "blob.json"), "[{\"d\":\"00FF\"}\n,{\"d\":null}\n,{\"d\":\"\"}\n]\n");
    EXPECT_EQ(ReadAll(dir / "none.json"), "[]\n");
}

// 5000 rows of Cyrillic, CJK and markup, about 200 KB of XML; one row in 1000
// holds a byte that is not UTF-8 (legacy text, read as Windows-1251).
TEST_F(TextExport, LongMarkupIsTheWholeDocument) {
    Run("create table t(id integer, name text);"
        "with recursive c(x) as (select 1 union all select x + 1 from c where x < 5000) "
        "insert into t select x, 'Жук漢<&>\"' || x || char(13) || char(10) || 'b' || "
        "case when x % 1000 = 0 then cast(x'CF' as text) else '' end from c");
    Run("--$XMLE t.xml -select=\"select id, name from t order by id\"\n"
        "--$HTME t.html -select=\"select id, name, '' as e from t order by id\"\n");
    ASSERT_FALSE(console.CommandError());
    std::string xml = "<?xml version = \"1.0\" ?>\n<RecordSet SQL=\"select id, name from t order by id\">\n";
    std::string html =
        "<html>\n<head> <meta charset=\"utf-8\"> <title> DataSet </title> </head>\n"
        "<meta name=\"description\" content=\"select id, name, '' as e from t order by id\">\n<body>\n"
        "<table border = \"1\" rows = \"5000\" bordercolor=\"#000000\" cellspacing=\"0\" cellpadding=\"2\">\n"
        "<tr>\n<th  >ID </th>\n<th  >NAME </th>\n<th  >E </th>\n</tr>\n";
    for (int i = 1; i <= 5000; ++i) {
        const std::string n = std::to_string(i), legacy = i % 1000 == 0 ? "П" : "";
        xml += "<Record>\n<ID>" + n + "</ID>\n<NAME>Жук漢&lt;&amp;&gt;&quot;" + n + "<br/>b" + legacy +
               "</NAME>\n</Record>\n";
        html += "<tr>\n<td nowrap  >" + n + " </td>\n<td nowrap  >Жук漢&lt;&amp;&gt;&quot;" + n + "\r\nb" + legacy +
                " </td>\n<td nowrap  >&nbsp </td>\n</tr>\n";
    }
    ASSERT_GT(xml.size(), 3u * 64 * 1024);
    EXPECT_TRUE(ReadAll(dir / "t.xml") == xml + "</RecordSet>\n");
    EXPECT_TRUE(ReadAll(dir / "t.html") == html + "</table>\n</body></html>\n");
}

// An export that fails midway leaves the older file byte for byte: a
// statement error on a later row, Ctrl+C, and a file-size limit reached.
TEST_F(TextExport, AFailedExportLeavesTheOlderFile) {
    Run("create table big(x)");
    Run("with recursive c(n) as (select 1 union all select n + 1 from c where n < 200000) "
        "insert into big select 'row ' || n from c");
    const std::string old = "the older file\n";
    const char* names[] = {"old.csv", "old.json", "old.xml", "old.html", "old.dbf"};
    for (const char* name : names) WriteFile(name, old);
    host.answerYes = true;
    // abs() of the smallest integer fails on the last row only.
    const std::string failing = " -select=\"select x, case when rowid = 200000 then abs(-9223372036854775807 - 1) end from big\"\n";
    for (const char* d : {"--$CSVE old.csv", "--$JSNE old.json", "--$XMLE old.xml", "--$HTME old.html"}) {
        EXPECT_TRUE(Has(Run(d + failing), "integer overflow")) << d;
        EXPECT_TRUE(console.CommandError()) << d;
    }
    // Ctrl+C after a thousand rows.
    for (const char* d : {"--$CSVE old.csv", "--$JSNE old.json"}) {
        host.interrupt = true;
        host.interruptAfter = 1000;
        host.polls = 0;
        Run(d + std::string(" -select=\"select x from big\"\n"));
        host.interrupt = false;
        EXPECT_TRUE(console.CommandError()) << d;
    }
    // A full disk: the process may write no more than 64 KiB to a file.
    struct rlimit before {};
    getrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    Run("--$CSVE old.csv -select=\"select x from big\"\n");
    const bool failed = console.CommandError();
    Run("--$DBFE old.dbf -select=\"select x from big\"\n");
    const bool dbfFailed = console.CommandError();
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(dbfFailed);
    // And the question: No keeps the file.
    host.answerYes = false;
    Run("--$CSVE old.csv -select=\"select 1\"\n");
    for (const char* name : names) EXPECT_EQ(ReadAll(dir / name), old) << name;
    // Nothing is left beside them.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) files += e.path().filename().string().starts_with("old.");
    EXPECT_EQ(files, 5);
}
