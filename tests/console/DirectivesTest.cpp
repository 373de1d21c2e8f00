// The import and export directives through the interpreter, as a script runs
// them; files land in the test's temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ConsoleTestBase.h"
#include "base/CodePage.h"
#include "console/DirectiveArgs.h"
#include "console/MarkupText.h"

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int Shell(const std::string& command) { return std::system((command + " > /dev/null 2>&1").c_str()); }

// Debian's interpreter has Debian's modules, whatever python3 comes first on
// PATH.
std::string Python() { return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

bool HaveDbfread() { return Shell(Python() + " -c 'import dbfread'") == 0; }
bool HavePythonDbf() { return Shell(Python() + " -c 'import dbf'") == 0; }

const std::filesystem::path kData = TABULON_DBF_DATA;

class DirectivesTest : public ConsoleTest {
protected:
    void Table() {
        Run("create table t(id integer, name varchar(20), price float, cost numeric(10,2), note text);\r\n"
            "insert into t values(1, 'a<b & \"c\"', 0.25, 1.5, 'line1' || char(13,10) || 'line2');\r\n"
            "insert into t values(2, '', 12.5, null, null);\r\n");
        ASSERT_FALSE(console.CommandError());
    }
    // The rows dbfread finds, one line per record: name=value;...
    std::string Dbfread(const std::string& file, const std::string& encoding = "cp866") {
        const std::string out = (dir / "dbfread.txt").string();
        const std::string cmd = Python() + " -c \"import dbfread,sys\n"
                                "t = dbfread.DBF(sys.argv[1], encoding='" + encoding + "')\n"
                                "print(';'.join('%s:%s:%d:%d' % (f.name, f.type, f.length, f.decimal_count) for f in t.fields))\n"
                                "for r in t: print(';'.join('%s=%r' % kv for kv in r.items()))\" " +
                                file + " > " + out;
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return ReadAll(out);
    }
};

}  // namespace

namespace {
std::string Repeat(std::string_view s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}
}  // namespace

TEST(DirectiveArgsTest, FileNameAndOptions) {
    DirectiveArgs a = DirectiveArgs::Parse("--$DBFE   out.dbf   -select=\"select a, b from t where c = 'x y'\" -ANSI=1");
    EXPECT_EQ(a.FileName, "out.dbf");
    EXPECT_EQ(a.Option("-select="), "select a, b from t where c = 'x y'");
    EXPECT_EQ(a.Option("-Ansi="), "1");
    EXPECT_EQ(a.Option("-Table="), "");
    // A statement ends the line with ';' as often as not.
    EXPECT_EQ(DirectiveArgs::Parse("--$XMLE f.xml -select=\"select 1\";").Option("-select="), "select 1");
    EXPECT_EQ(DirectiveArgs::Parse("--$DBFI f.dbf -Fields=name,sum;").Option("-fields="), "name,sum");
    EXPECT_EQ(DirectiveArgs::Parse("--$DBFI f.dbf -Table= x").Option("-Table="), "x");
    a = DirectiveArgs::Parse("--$XMLE");
    EXPECT_EQ(a.FileName, "");
    EXPECT_EQ(a.Option("-select="), "");
    // Only 256 characters after the directive word are read.
    a = DirectiveArgs::Parse("--$XMLE f -select=" + std::string(300, 'x'));
    EXPECT_EQ(a.Option("-select=").size(), 246u);
    // ... characters, not bytes.
    a = DirectiveArgs::Parse("--$XMLE f -select=" + Repeat("ж", 300));
    EXPECT_EQ(a.Option("-select="), Repeat("ж", 246));
}

TEST(MarkupTextTest, EscapesAndNames) {
    EXPECT_EQ(MarkupEscape("a<b & \"c\">", true), "a&lt;b &amp; &quot;c&quot;&gt;");
    EXPECT_EQ(MarkupEscape("one\r\ntwo\nthree\rfour\x01", true), "one<br/>two<br/>three<br/>four?");
    EXPECT_EQ(MarkupEscape("one\r\ntwo", false), "one\r\ntwo");
    EXPECT_EQ(XmlElementName("NAME"), "NAME");
    EXPECT_EQ(XmlElementName("A_1.x-y"), "A_1.x-y");
    EXPECT_EQ(XmlElementName("COUNT(*)"), "COUNT___");
    EXPECT_EQ(XmlElementName("1ST"), "_1ST");
    EXPECT_EQ(XmlElementName("A B"), "A_B");
    EXPECT_EQ(XmlElementName("(X)"), "_X_");
    EXPECT_EQ(XmlElementName(""), "_");
    EXPECT_EQ(XmlElementName("ИМЯ_Straße"), "ИМЯ_Straße");
    EXPECT_EQ(XmlElementName("名前"), "名前");
    EXPECT_EQ(XmlElementName("Цена €"), "Цена__");
    EXPECT_EQ(XmlElementName("\xFF"), "_");  // a byte that is not UTF-8 is no letter
}

TEST_F(DirectivesTest, XmlOfRowsWithMarkupQuotesAndLineBreaks) {
    Table();
    const std::string out = Run("--$XMLE t.xml -select=\"select id, name, note, count(*) over () from t order by id\"\r\n");
    EXPECT_FALSE(console.CommandError()) << out;
    EXPECT_TRUE(Has(out, "Export XML file: t.xml\n")) << out;
    EXPECT_TRUE(Has(out, "Save 2 records to XML from SQLite table: select id, name, note, count(*) over () from t order by id\t00:00:")) << out;
    const std::string xml = ReadAll(dir / "t.xml");
    EXPECT_EQ(xml.substr(0, xml.find("<Record>")),
              "<?xml version = \"1.0\" ?>\n"
              "<RecordSet SQL=\"select id, name, note, count(*) over () from t order by id\">\n");
    EXPECT_TRUE(Has(xml, "<Record>\n<ID>1</ID>\n<NAME>a&lt;b &amp; &quot;c&quot;</NAME>\n"
                         "<NOTE>line1<br/>line2</NOTE>\n<COUNT____OVER___>2</COUNT____OVER___>\n</Record>\n"))
        << xml;
    EXPECT_TRUE(Has(xml, "<NAME></NAME>\n<NOTE></NOTE>")) << xml;
    EXPECT_TRUE(xml.ends_with("</Record>\n</RecordSet>\n"));
    EXPECT_EQ(Shell("xmllint --noout " + (dir / "t.xml").string()), 0) << xml;

    // A statement with quotes and '<' in the attribute, no rows, the other word.
    Run("--$XMLS e.xml -select=\"select * from t where name < 'x\"\"' and 0\"\r\n");
    const std::string empty = ReadAll(dir / "e.xml");
    EXPECT_TRUE(Has(empty, "SQL=\"select * from t where name &lt; ")) << empty;
    EXPECT_EQ(std::count(empty.begin(), empty.end(), '\n'), 3) << empty;
    EXPECT_EQ(Shell("xmllint --noout " + (dir / "e.xml").string()), 0) << empty;

    // Text of every script is written as UTF-8.
    Run("--$XMLE c.xml -select=\"select 'Д é 漢 😀' as ИМЯ\"\n");
    const std::string cyr = ReadAll(dir / "c.xml");
    EXPECT_TRUE(Has(cyr, "<ИМЯ>Д é 漢 😀</ИМЯ>")) << cyr;
    EXPECT_EQ(Shell("xmllint --noout " + (dir / "c.xml").string()), 0) << cyr;
}

TEST_F(DirectivesTest, HtmlEscapesAndMarksEmptyCells) {
    Table();
    Run("update t set note = '<script>alert(1)</script>' where id = 2");
    const std::string out = Run("--$HTME t.html -select=\"select id as [<i>], name, note from t order by id\"\r\n");
    EXPECT_FALSE(console.CommandError()) << out;
    EXPECT_TRUE(Has(out, "Export HTML file: t.html\n")) << out;
    EXPECT_TRUE(Has(out, "Save 2 records to HTML from SQLite table: ")) << out;
    const std::string html = ReadAll(dir / "t.html");
    EXPECT_TRUE(html.starts_with("<html>\n<head> <meta charset=\"utf-8\"> <title> DataSet </title> </head>\n"
                                 "<meta name=\"description\" content=\"select id as [&lt;i&gt;], name, note from t order by id\">\n"
                                 "<body>\n<table border = \"1\" rows = \"2\" bordercolor=\"#000000\" cellspacing=\"0\" cellpadding=\"2\">\n"
                                 "<tr>\n<th  >&lt;I&gt; </th>\n<th  >NAME </th>\n<th  >NOTE </th>\n</tr>\n"))
        << html;
    EXPECT_TRUE(Has(html, "<td nowrap  >a&lt;b &amp; &quot;c&quot; </td>")) << html;
    EXPECT_TRUE(Has(html, "<td nowrap  >&nbsp </td>")) << html;
    EXPECT_TRUE(Has(html, "&lt;script&gt;alert(1)&lt;/script&gt;")) << html;
    EXPECT_FALSE(Has(html, "<script>"));
    EXPECT_TRUE(html.ends_with("</tr>\n</table>\n</body></html>\n"));
    EXPECT_EQ(Shell("xmllint --html --noout " + (dir / "t.html").string()), 0) << html;

    Run("--$HTMS e.html -select=\"select id from t where 0\"\r\n");
    const std::string empty = ReadAll(dir / "e.html");
    EXPECT_TRUE(Has(empty, "rows = \"0\"")) << empty;
    EXPECT_TRUE(Has(empty, "<tr>\n<th  >ID </th>\n</tr>\n</table>")) << empty;
    EXPECT_EQ(Shell("xmllint --html --noout " + (dir / "e.html").string()), 0) << empty;

    // Text of every script, as UTF-8 the page declares.
    Run("--$HTME u.html -select=\"select 'Жук é 漢 😀' as Имя\"\n");
    const std::string u = ReadAll(dir / "u.html");
    EXPECT_TRUE(Has(u, "<th  >ИМЯ </th>")) << u;
    EXPECT_TRUE(Has(u, "<td nowrap  >Жук é 漢 😀 </td>")) << u;
    EXPECT_EQ(Shell("xmllint --html --noout " + (dir / "u.html").string()), 0) << u;
}

TEST_F(DirectivesTest, ExportsAskBeforeReplacingAndNeedASelect) {
    Table();
    WriteFile("old.xml", "keep");
    for (const char* word : {"--$XMLE", "--$HTME", "--$DBFE"}) {
        host.questions.clear();
        host.answerYes = false;
        std::string out = Run(std::string(word) + " old.xml -select=\"select 1\"\r\n");
        ASSERT_EQ(host.questions.size(), 1u) << word;
        EXPECT_EQ(host.questions[0], "File old.xml exists. Rewrite?");
        EXPECT_FALSE(console.CommandError()) << out;
        EXPECT_EQ(ReadAll(dir / "old.xml"), "keep") << word;

        out = Run(std::string(word) + " new.out -Ansi=1\r\n");
        EXPECT_TRUE(Has(out, "??? select parameter not defined\n")) << out;
        EXPECT_TRUE(console.CommandError()) << word;
        EXPECT_FALSE(std::filesystem::exists(dir / "new.out"));
    }
    host.answerYes = true;
    Run("--$XMLE old.xml -select=\"select 1 as one\"\r\n");
    EXPECT_TRUE(Has(ReadAll(dir / "old.xml"), "<ONE>1</ONE>"));

    // A failing statement is the interpreter's failure; no file appears.
    const std::string out = Run("--$XMLE bad.xml -select=\"select * from nowhere\"\r\n");
    EXPECT_TRUE(console.CommandError());
    EXPECT_TRUE(Has(out, "no such table")) << out;
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.xml"));
}

TEST_F(DirectivesTest, DbfExportTypesReadByDbfread) {
    if (!HaveDbfread()) GTEST_SKIP() << "python3 dbfread is not installed";
    Table();
    Run("create table f(\"ok#\" char(1), big varchar(300), d date);\r\n"
        "insert into f values('y', 'x', '2024-05-17');\r\n"
        "insert into f values('n', null, null);\r\n"
        "insert into f values('', null, null);\r\n");
    std::string out = Run("--$DBFE f.dbf -select=\"select [ok#], big, d from f\"\r\n");
    EXPECT_FALSE(console.CommandError()) << out;
    EXPECT_TRUE(Has(out, "Export DBF file: f.dbf\nSave 3 records to DBF from SQLite table: select [ok#], big, d from f\t")) << out;
    EXPECT_FALSE(Has(out, "lacks")) << out;  // nothing lost, nothing said
    std::string rows = Dbfread((dir / "f.dbf").string());
    EXPECT_TRUE(rows.starts_with("OK:L:1:0;BIG:C:255:0;D:D:8:0\n")) << rows;
    EXPECT_TRUE(Has(rows, "OK=True;BIG='x';D=datetime.date(2024, 5, 17)\n")) << rows;
    EXPECT_TRUE(Has(rows, "OK=False;")) << rows;
    EXPECT_TRUE(Has(rows, "OK=None;")) << rows;

    out = Run("--$DBFS t.dbf -select=\"select id, name, price, cost from t order by id\"\r\n");
    EXPECT_FALSE(console.CommandError()) << out;
    rows = Dbfread((dir / "t.dbf").string());
    EXPECT_TRUE(rows.starts_with("ID:N:18:0;NAME:C:20:0;PRICE:N:18:4;COST:N:18:2\n")) << rows;
    EXPECT_TRUE(Has(rows, "ID=1;NAME='a<b & \"c\"';PRICE=0.25;COST=1.5\n")) << rows;
    EXPECT_TRUE(Has(rows, "ID=2;NAME='';PRICE=12.5;COST=None\n")) << rows;
}

TEST_F(DirectivesTest, DbfRoundTripAndImportOptions) {
    Table();
    Run("create table p(name varchar(10), sum numeric(10,2), n integer, d date, [ok#] char(1));\r\n");
    std::string script;
    for (int i = 1; i <= 8; ++i)
        script += "insert into p values('Имя" + std::to_string(i) + "', " + std::to_string(i) +
                  ".25, " + std::to_string(i * 10) + ", '2024-01-0" + std::to_string(i) + "', '" +
                  (i % 2 ? "T" : "F") + "');\r\n";
    Run(script);
    std::string out = Run("--$DBFE p.dbf -select=\"select * from p\"\r\n");
    ASSERT_FALSE(console.CommandError()) << out;

    out = Run("--$DBFI p.dbf\r\nselect * from p_dbf;\r\n");
    EXPECT_FALSE(console.CommandError()) << out;
    EXPECT_TRUE(Has(out, "Import DBF file: p.dbf\n")) << out;
    EXPECT_FALSE(Has(out, "???")) << out;
    EXPECT_TRUE(Has(out, "Load 8 records from DBF to SQLite table: p_dbf\t")) << out;
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from p_dbf where name = 'Имя3' and sum = 3.25 and n = 30 "
                                            "and d = '2024-01-03' and ok = 'T'",
                                            {}, true),
              1);
    EXPECT_TRUE(Has(out, "03.01.2024")) << out;  // the date reads back as a date

    // The table exists now: No keeps it, Yes replaces it.
    host.answerYes = false;
    out = Run("--$DBFL p.dbf -Table=p_dbf -RowNum=5\r\n");
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0], "Table p_dbf exists and containt 8 records. Replace?");
    EXPECT_FALSE(Has(out, "Load")) << out;
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from p_dbf", {}, true), 8);
    host.answerYes = true;
    out = Run("--$DBFL p.dbf -Table=p_dbf -RowNum=5\r\n");
    EXPECT_TRUE(Has(out, "Load 5 records from DBF to SQLite table: p_dbf\t")) << out;
    EXPECT_EQ(console.Session().SelectInt64("select max(n) from p_dbf", {}, true), 50);

    out = Run("--$DBFI p.dbf -Table=q -RowNum=abc -Fields=sum,name,nosuch\r\nselect * from q;\r\n");
    EXPECT_TRUE(Has(out, "Load 8 records from DBF to SQLite table: q\t")) << out;
    EXPECT_TRUE(Has(out, "Create table q (\n\t \"NAME\"\t varchar(10)\n\t,\"SUM\"\t money\n);")) << out;
    EXPECT_FALSE(console.CommandError()) << out;

    // Text on file is CP866 unless -Ansi=1 asks for Windows-1251; the header
    // names the code page, and the import goes by it.
    Run("--$DBFE a.dbf -select=\"select name from p\" -Ansi=1\n");
    EXPECT_EQ(static_cast<unsigned char>(ReadAll(dir / "a.dbf")[29]), 0xC9);
    EXPECT_EQ(static_cast<unsigned char>(ReadAll(dir / "p.dbf")[29]), 0x65);
    Run("--$DBFI a.dbf -Table=a_marked\n--$DBFI a.dbf -Table=a_ansi -Ansi=1\n");
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from a_marked a join p using(name)", {}, true), 8);
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from a_ansi a join p using(name)", {}, true), 8);
    // -Ansi=1 on the import means Windows-1251 whatever the header says:
    // the CP866 bytes of "Имя" read as Windows-1251 letters.
    Run("--$DBFI p.dbf -Table=p_ansi -Ansi=1\n");
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from p_ansi a join p using(name)", {}, true), 0);
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from p_ansi where name = '€¬п1'", {}, true), 1);
}

TEST_F(DirectivesTest, DbfTextOfEveryCodePageImportsAsUnicode) {
    if (!HavePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    struct Case {
        const char* codePage;
        std::vector<std::pair<std::string, int>> texts;  // and their lengths in characters
    };
    const std::vector<Case> cases{
        {"cp866", {{"Привет", 6}, {"Ёжик", 4}}},
        {"cp1251", {{"Привет", 6}, {"Ёжик", 4}}},
        {"cp1252", {{"Café", 4}, {"naïve", 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        // A one-field table NAME C(10), written by the independent library.
        std::string cmd = Python() + " -c \"import dbf,sys\n"
                          "t = dbf.Table(sys.argv[1], 'NAME C(10)', codepage=sys.argv[2])\n"
                          "t.open(dbf.READ_WRITE)\n"
                          "for s in sys.argv[3:]: t.append((s,))\n"
                          "t.close()\" " +
                          (dir / "peer.dbf").string() + " " + c.codePage;
        for (const auto& [text, length] : c.texts) cmd += " " + text;
        ASSERT_EQ(Shell(cmd), 0) << cmd;
        const std::string table = std::string("t_") + c.codePage;
        const std::string out = Run("--$DBFI peer.dbf -Table=" + table + "\n");
        ASSERT_FALSE(console.CommandError()) << out;
        EXPECT_TRUE(Has(out, "Load 2 records from DBF to SQLite table: " + table + "\t")) << out;
        for (const auto& [text, length] : c.texts)
            EXPECT_EQ(console.Session().SelectInt64("select count(*) from " + table + " where name = '" + text +
                                                        "' and length(name) = " + std::to_string(length),
                                                    {}, true),
                      1)
                << text;
    }
}

TEST_F(DirectivesTest, DbfExportCutsAtCharactersAndOwnsUpToLostOnes) {
    if (!HaveDbfread()) GTEST_SKIP() << "python3 dbfread is not installed";
    Run("create table u(id integer, name varchar(5));\n"
        "insert into u values(1, 'Прив');\n"     // one below the field's length
        "insert into u values(2, 'Приве');\n"    // exactly its length: whole
        "insert into u values(3, 'Привет');\n"   // one above: five characters kept
        "insert into u values(4, '漢字');\n"      // CP866 lacks both
        "insert into u values(5, '€uro');\n"     // CP866 lacks the euro, Windows-1251 has it
        "insert into u values(6, 'Ёж');\n");
    std::string out = Run("--$DBFE u.dbf -select=\"select id, name from u order by id\"\n");
    EXPECT_FALSE(console.CommandError()) << out;
    // The closing line says how many values lost a character.
    EXPECT_TRUE(Has(out, "Save 6 records to DBF from SQLite table: select id, name from u order by id\t")) << out;
    EXPECT_TRUE(out.ends_with(" (2 values with characters CP866 lacks written as '?')\n")) << out;
    std::string rows = Dbfread((dir / "u.dbf").string());
    EXPECT_TRUE(rows.starts_with("ID:N:18:0;NAME:C:5:0\n")) << rows;
    EXPECT_TRUE(Has(rows, "ID=1;NAME='Прив'\nID=2;NAME='Приве'\nID=3;NAME='Приве'\nID=4;NAME='?\?'\n"
                          "ID=5;NAME='?uro'\nID=6;NAME='Ёж'\n"))
        << rows;

    out = Run("--$DBFE w.dbf -select=\"select id, name from u order by id\" -Ansi=1\n");
    EXPECT_TRUE(out.ends_with(" (1 value with characters Windows-1251 lacks written as '?')\n")) << out;
    rows = Dbfread((dir / "w.dbf").string(), "cp1251");
    EXPECT_TRUE(Has(rows, "ID=4;NAME='?\?'\nID=5;NAME='€uro'\n")) << rows;

    // What was exported imports back as the same text.
    out = Run("--$DBFI u.dbf -Table=back\n");
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from back where name = 'Приве'", {}, true), 2);
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from back where name = 'Ёж'", {}, true), 1);

    // Column names are text too: a Cyrillic one is a field name in CP866,
    // and -Fields= finds it whatever its letter case.
    Run("create table r(Имя varchar(3), n integer);\ninsert into r values('Ёж', 1);\n"
        "--$DBFE r.dbf -select=\"select * from r\"\n");
    EXPECT_TRUE(Dbfread((dir / "r.dbf").string()).starts_with("ИМЯ:C:3:0;N:N:18:0\n"));
    out = Run("--$DBFI r.dbf -Table=r_dbf -Fields=имя\n");
    EXPECT_TRUE(Has(out, "Create table r_dbf (\n\t \"ИМЯ\"\t varchar(3)\n);")) << out;
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from r_dbf where ИМЯ = 'Ёж'", {}, true), 1);
}

TEST_F(DirectivesTest, DbfLogicalExportTakesRussianYes) {
    if (!HaveDbfread()) GTEST_SKIP() << "python3 dbfread is not installed";
    Run("create table l(id integer, \"ok#\" char(1));\n"
        "insert into l values(1, 'Д');\n"
        "insert into l values(2, 'д');\n"
        "insert into l values(3, 'Да');\n"
        "insert into l values(4, 'Н');\n"
        "insert into l values(5, 'Ж');\n"
        "insert into l values(6, '1');\n"
        "insert into l values(7, '');\n");
    const std::string out = Run("--$DBFE l.dbf -select=\"select id, [ok#] from l order by id\"\n");
    EXPECT_FALSE(console.CommandError()) << out;
    const std::string rows = Dbfread((dir / "l.dbf").string());
    EXPECT_TRUE(Has(rows, "ID=1;OK=True\nID=2;OK=True\nID=3;OK=True\nID=4;OK=False\nID=5;OK=False\n"
                          "ID=6;OK=True\nID=7;OK=None\n"))
        << rows;
}

TEST_F(DirectivesTest, DbfImportOfRealFilesAndRefusals) {
    if (!std::filesystem::exists(kData)) GTEST_SKIP() << "the shared sample files are not beside the project";
    std::filesystem::copy_file(kData / "dbase_03.dbf", dir / "dbase_03.dbf");
    std::string out = Run("--$DBFI dbase_03.dbf -Table=pts -Fields=point_id,Date_Visit,Max_PDOP -RowNum=5\r\n"
                          "select count(*) as n, count(distinct Point_ID) as k from pts;\r\n");
    EXPECT_FALSE(console.CommandError()) << out;
    EXPECT_TRUE(Has(out, "Load 5 records from DBF to SQLite table: pts\t")) << out;
    EXPECT_TRUE(Has(out, "\"Max_PDOP\"\t money")) << out;
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from pts where Date_Visit like '____-__-__'", {}, true), 5);

    out = Run("--$DBFI dbase_03.dbf\r\n");
    EXPECT_TRUE(Has(out, "Load 14 records from DBF to SQLite table: dbase_03_dbf\t")) << out;

    std::filesystem::copy_file(kData / "dbase_83.dbf", dir / "memo.dbf");
    out = Run("--$DBFI memo.dbf\r\n");
    EXPECT_TRUE(Has(out, "Import DBF file: memo.dbf\n??? Field type not support: M\n")) << out;
    EXPECT_TRUE(console.CommandError());
    EXPECT_FALSE(console.Session().TableExists("memo_dbf"));

    out = Run("--$DBFI nowhere/x.dbf -Table=x\r\n");
    EXPECT_EQ(out, "--$DBFI nowhere/x.dbf -Table=x\n??? File not exists: nowhere/x.dbf\n");
    EXPECT_TRUE(console.CommandError());

    // An empty file gives an empty table.
    Run("create table z(a varchar(3));\r\n--$DBFE z.dbf -select=\"select a from z\"\r\n");
    out = Run("--$DBFI z.dbf\r\n");
    EXPECT_TRUE(Has(out, "Load 0 records from DBF to SQLite table: z_dbf\t")) << out;
    EXPECT_TRUE(console.Session().TableExists("z_dbf"));
}
