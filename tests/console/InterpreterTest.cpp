#include "ConsoleTestBase.h"
#include "base/Exception.h"
#include "base/Utf8.h"

using Interpreter = ConsoleTest;

TEST_F(Interpreter, CommandsAreClassifiedByTheirFirstCharacters) {
    EXPECT_EQ(Run("create table t(a integer);\r\ninsert into t values(1);insert\r\ninto t values(2);"
                  "select a from t; Select count(*) as n from t"),
              "SQL: create table t(a integer);\nprocessed...\n"
              "SQL: insert into t values(1);\nprocessed...\n1 row inserted...\n"
              // No blank after INSERT: a plain statement.
              "SQL: insert\ninto t values(2);\nprocessed...\n"
              "SQL: select a from t;\nA              \n-------------- \n             1 \n             2 \n"
              "2 row selected...\n"
              "SQL: Select count(*) as n from t;\nN                                                  \n"
              "-------------------------------------------------- \n2                                                  \n"
              "1 row selected...\n");
    EXPECT_EQ(Run("update t set a = a where a > 5;\r\ndelete from t where a = 2;\r\n"),
              "SQL: update t set a = a where a > 5;\nprocessed...\n0 row updated...\n"
              "SQL: delete from t where a = 2;\nprocessed...\n1 row deleted...\n");
    // Rows of other statements are not printed; only semicolons print nothing.
    EXPECT_EQ(Run("pragma table_info(t);;;\r\n/\r\n  /* a; block comment */ -- note; here\r\nwith x as (select 1) select * from x"),
              "SQL: pragma table_info(t);\nprocessed...\n-- note; here\n"
              "SQL: with x as (select 1) select * from x;\nprocessed...\n");
    EXPECT_FALSE(console.CommandError());
}

TEST_F(Interpreter, BlocksExecAndConnectionCommands) {
    // Block lines are numbered whatever ends them: LF, CR LF or a lone CR.
    console.Settings().NumPLSQL = true;
    EXPECT_EQ(Run("create table log(x);\r\nCREATE   TRIGGER\r\n  trg after insert on log begin\n"
                  "select 1;\rend;\r\n/\r\ninsert into log values(1);"),
              "SQL: create table log(x);\nprocessed...\n"
              "SQL: CREATE   TRIGGER\n   2   trg after insert on log begin\n   3 select 1;\n   4 end;\nprocessed...\n"
              "SQL: insert into log values(1);\nprocessed...\n1 row inserted...\n");
    // EXEC wraps the call; the engine has no such block, so it fails with its message.
    const std::string exec = Run("EXEC proc(1)");
    EXPECT_EQ(exec.substr(0, exec.find('\n')), "SQL: begin proc(1); end;");
    EXPECT_TRUE(console.CommandError());

    EXPECT_EQ(Run("DISCONNECT now"), "SQL: DISCONNECT now\n");
    EXPECT_FALSE(console.Session().Connected());
    console.Connect(":memory:");
    EXPECT_EQ(Run("CONNECT somewhere else"), "");
    EXPECT_FALSE(console.Session().Connected());
}

TEST_F(Interpreter, LocalEnvironmentAndScripts) {
    WriteFile("inner.sql", "select 'inner' as w;\nselect * from missing_table;\n");
    WriteFile("outer.sql", "@inner.sql\nselect 'outer' as w;\n");
    setenv("TABULON_TEST_DIR", dir.c_str(), 1);
    console.ProcessEnvironment().Add(std::string("TABULON_TEST_DIR=") + dir.c_str());
    std::string out = Run("--%SCRIPTS=" + dir.string() + "\r\n@%scripts%/outer.sql;\r\n@%nothing%/x.sql");
    for (const char* part : {"--%SCRIPTS=", "inner", "outer", "??? SQLite ERR-no such table: missing_table",
                             "File not exist%nothing%/x.sql"})
        EXPECT_TRUE(Has(out, part)) << part << "\n" << out;
    ASSERT_EQ(console.LocalEnvironment().Count(), 1);
    EXPECT_EQ(console.LocalEnvironment()[0], "SCRIPTS=" + dir.string());
    // The process list wins; doubled slashes after the second character fold.
    EXPECT_TRUE(Has(Run("@%tabulon_test_dir%//inner.sql"), "inner"));
    Run("--%scripts=");
    EXPECT_EQ(console.LocalEnvironment().Count(), 0);

    // StopErr: the failure inside the inner script ends the outer run too.
    console.Settings().StopErr = true;
    out = Run("@outer.sql\r\nselect 'after' as w;");
    EXPECT_FALSE(Has(out, "outer") || Has(out, "after")) << out;
    console.Settings().StopErr = false;

    // Script calls nest 64 deep, not 65: d1 calls d2 ... d65 selects.
    for (int k = 1; k <= 65; ++k)
        WriteFile("d" + std::to_string(k) + ".sql",
                  k < 65 ? "@d" + std::to_string(k + 1) + ".sql\n" : std::string("select 'bottom' as w;\n"));
    out = Run("@d2.sql");
    EXPECT_TRUE(Has(out, "bottom")) << out;
    EXPECT_FALSE(console.CommandError());
    out = Run("@d1.sql");
    EXPECT_FALSE(Has(out, "bottom")) << out;
    EXPECT_TRUE(Has(out, "??? Script calls nested more than 64 deep")) << out;
    EXPECT_TRUE(console.CommandError());

    // Scripts reach the engine as the sqlite3 shell reads them: a literal that
    // spans lines keeps an LF or a lone CR, a CR LF pair is read as LF, and all
    // three end lines.
    WriteFile("lf.sql", "create table a(s);\ninsert into a values('one\ntwo');\n-- note\nselect 'x' as x;\n");
    WriteFile("crlf.sql", "insert into a values('three\r\nfour');\r\n--#CLS\r\n");
    WriteFile("cr.sql", "insert into a values('five\rsix');\r-- note\rselect 'y' as y;\r");
    // A file that is not UTF-8 is read as Windows-1251; a byte-order mark is skipped.
    WriteFile("cp1251.sql", "insert into a values('\xCF\xF0\xE8\xE2\xE5\xF2');\n");
    WriteFile("bom.sql", "\xEF\xBB\xBFinsert into a values('Ёжик 漢');\n");
    // The call's file name is UTF-8 as the file system names it.
    WriteFile("отчёт.sql", "insert into a values('done');\n");
    Run("@lf.sql\n@crlf.sql\n@cr.sql\n@cp1251.sql\n@bom.sql\n@отчёт.sql");
    EXPECT_FALSE(console.CommandError());
    EXPECT_EQ(6, Count("select count(*) from a where s in ('one' || char(10) || 'two', 'three' || char(10) || "
                       "'four', 'five' || char(13) || 'six', 'Привет', 'Ёжик 漢', 'done')"));
}

TEST_F(Interpreter, VariablesAreDeclaredAssignedAndListed) {
    EXPECT_EQ(Run("VARIABLE n NUMBER;\r\nvariable d DATE\r\n--:s:='it''s'\r\n--:q:='\r\n--:when:={17.05.2024}\r\n"
                  "--:raw:=12.5;\r\n--:"),
              "VARIABLE n NUMBER;\nvariable d DATE\n--:s:='it''s'\n--:q:='\n--:when:={17.05.2024}\n--:raw:=12.5;\n--:\n"
              "D=01.01.0001\nN=0\nQ=\nRAW=12.5\nS=it''s\nWHEN=17.05.2024\n");
    Run("--:raw:=\r\nVARIABLE n VARCHAR2");
    EXPECT_EQ(Run("PRINT"), "PRINT\nD=01.01.0001\nN=\nQ=\nS=it''s\nWHEN=17.05.2024\n");
    // A date that does not parse ends the whole run with the error.
    EXPECT_THROW(console.RunCommandText("--:bad:={32.13.2024}\r\nselect 1;"), EConvertError);
}

TEST_F(Interpreter, ClearStartUpAndInterrupt) {
    host.lines = {"old"};
    console.RunCommandText("--#CLS\r\nselect 1 as one;");
    EXPECT_EQ(host.lines.front(), "SQL: select 1 as one;");
    EXPECT_EQ(host.clears, 1);

    console.Settings().StartSQL = "create table s(a); insert into s values(7); select a from s;";
    host.lines.clear();
    console.Connect(":memory:");
    // Start-up results come without their header.
    EXPECT_EQ(host.Text(), "SQL: create table s(a);\nprocessed...\nSQL: insert into s values(7);\nprocessed...\n"
                           "1 row inserted...\nSQL: select a from s;\n7                                                  \n"
                           "1 row selected...\n");
    EXPECT_TRUE(console.Settings().HeaderOn);
    EXPECT_EQ(host.marks.substr(0, 4), "1+1-");

    // A query, and a statement run for its effect, that never end.
    host.interrupt = true;
    host.interruptAfter = 50;
    const std::string endless = "with recursive c(x) as (select 1 union all select x + 1 from c) select x from c";
    std::string out = Run("select x from (" + endless + ");\r\nselect 'next' as n;");
    EXPECT_TRUE(Has(out, "??? SQLite ERR-interrupted\nSQL: select 'next' as n;")) << out;
    host.polls = 0;
    EXPECT_TRUE(Has(Run(endless + ";"), "??? SQLite ERR-interrupted"));
}

// With the switch on, a database that holds Windows-1251 bytes reads as
// Cyrillic and new text is stored in that code page.
TEST_F(Interpreter, Windows1251DatabaseSwitch) {
    Run("create table l(s); insert into l values(cast(x'CFF0E8E2E5F2' as text));");
    // Off: the legacy bytes still read as Cyrillic where they are shown.
    Run("select s from l");
    EXPECT_EQ(DisplayText(host.lines[3]), "Привет" + std::string(45, ' '));
    EXPECT_TRUE(console.Settings().Set("win1251db", "Y"));
    Run("insert into l values('Ёжик'); select s from l where s = 'Привет'");
    EXPECT_EQ(DisplayText(host.lines[host.lines.size() - 2]), "Привет" + std::string(45, ' ')) << host.Text();
    console.Settings().Win1251Db = false;
    EXPECT_EQ(Count("select count(*) from l where hex(s) = 'A8E6E8EA'"), 1);
}
