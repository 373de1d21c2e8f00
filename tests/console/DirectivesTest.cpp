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

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int Shell(const std::string& command) { return std::system((command + " > /dev/null 2>&1").c_str()); }

// Debian's interpreter has Debian's modules, whatever python3 comes first on
// PATH.
std::string Python() { return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

bool HaveDbfread() { return Shell(Python() + " -c 'import dbfread'") == 0; }

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
}

TEST(MarkupTextTest, EscapesAndNames) {
    EXPECT_EQ(MarkupEscape("a<b & \"c\">", true), "a&lt;b &amp; &quot;c&quot;&gt;");
    EXPECT_EQ(MarkupEscape("one\r\ntwo\nthree\x01", true), "one<br/>two\nthree?");
    EXPECT_EQ(MarkupEscape("one\r\ntwo", false), "one\r\ntwo");
    EXPECT_EQ(XmlElementName("NAME"), "NAME");
    EXPECT_EQ(XmlElementName("A_1.x-y"), "A_1.x-y");
    EXPECT_EQ(XmlElementName("COUNT(*)"), "COUNT___");
    EXPECT_EQ(XmlElementName("1ST"), "_1ST");
    EXPECT_EQ(XmlElementName("A B"), "A_B");
    EXPECT_EQ(XmlElementName("(X)"), "_X_");
    EXPECT_EQ(XmlElementName(""), "_");
    const std::string cyr = Utf8TextToAnsi("ИМЯ");
    EXPECT_EQ(XmlElementName(cyr), cyr);
}

TEST_F(DirectivesTest, XmlOfRowsWithMarkupQuotesAndLineBreaks) {
    Table();
    const std::string out = Run("--$XMLE t.xml -select=\"select id, name, note, count(*) over () from t order by id\"\r\n");
    EXPECT_FALSE(console.CommandError()) << out;
    EXPECT_TRUE(Has(out, "Export XML file: t.xml\n")) << out;
    EXPECT_TRUE(Has(out, "Save 2 records to XML from SQLite table: select id, name, note, count(*) over () from t order by id\t00:00:")) << out;
    const std::string xml = ReadAll(dir / "t.xml");
    EXPECT_EQ(xml.substr(0, xml.find("<Record>")),
              "<?xml version = \"1.0\" ?>\r\n"
              "<RecordSet SQL=\"select id, name, note, count(*) over () from t order by id\">\r\n");
    EXPECT_TRUE(Has(xml, "<Record>\r\n<ID>1</ID>\r\n<NAME>a&lt;b &amp; &quot;c&quot;</NAME>\r\n"
                         "<NOTE>line1<br/>line2</NOTE>\r\n<COUNT____OVER___>2</COUNT____OVER___>\r\n</Record>\r\n"))
        << xml;
    EXPECT_TRUE(Has(xml, "<NAME></NAME>\r\n<NOTE></NOTE>")) << xml;
    EXPECT_TRUE(xml.ends_with("</Record>\r\n</RecordSet>\r\n"));
    EXPECT_EQ(Shell("xmllint --noout " + (dir / "t.xml").string()), 0) << xml;

    // A statement with quotes and '<' in the attribute, no rows, the other word.
    Run("--$XMLS e.xml -select=\"select * from t where name < 'x\"\"' and 0\"\r\n");
    const std::string empty = ReadAll(dir / "e.xml");
    EXPECT_TRUE(Has(empty, "SQL=\"select * from t where name &lt; ")) << empty;
    EXPECT_EQ(std::count(empty.begin(), empty.end(), '\n'), 3) << empty;
    EXPECT_EQ(Shell("xmllint --noout " + (dir / "e.xml").string()), 0) << empty;

    // Cyrillic text is written as UTF-8.
    Run("--$XMLE c.xml -select=\"select '" + Utf8TextToAnsi("Д") + "' as " + Utf8TextToAnsi("ИМЯ") + "\"\r\n");
    const std::string cyr = ReadAll(dir / "c.xml");
    EXPECT_TRUE(Has(cyr, "<ИМЯ>Д</ИМЯ>")) << cyr;
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
    EXPECT_TRUE(html.starts_with("<html>\r\n<head> <title> DataSet </title> </head>\r\n"
                                 "<meta name=\"description\" content=\"select id as [&lt;i&gt;], name, note from t order by id\">\r\n"
                                 "<body>\r\n<table border = \"1\" rows = \"2\" bordercolor=\"#000000\" cellspacing=\"0\" cellpadding=\"2\">\r\n"
                                 "<tr>\r\n<th  >&lt;I&gt; </th>\r\n<th  >NAME </th>\r\n<th  >NOTE </th>\r\n</tr>\r\n"))
        << html;
    EXPECT_TRUE(Has(html, "<td nowrap  >a&lt;b &amp; &quot;c&quot; </td>")) << html;
    EXPECT_TRUE(Has(html, "<td nowrap  >&nbsp </td>")) << html;
    EXPECT_TRUE(Has(html, "&lt;script&gt;alert(1)&lt;/script&gt;")) << html;
    EXPECT_FALSE(Has(html, "<script>"));
    EXPECT_TRUE(html.ends_with("</tr>\r\n</table>\r\n</body></html>\r\n"));
    EXPECT_EQ(Shell("xmllint --html --noout " + (dir / "t.html").string()), 0) << html;

    Run("--$HTMS e.html -select=\"select id from t where 0\"\r\n");
    const std::string empty = ReadAll(dir / "e.html");
    EXPECT_TRUE(Has(empty, "rows = \"0\"")) << empty;
    EXPECT_TRUE(Has(empty, "<tr>\r\n<th  >ID </th>\r\n</tr>\r\n</table>")) << empty;
    EXPECT_EQ(Shell("xmllint --html --noout " + (dir / "e.html").string()), 0) << empty;
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
        script += "insert into p values('" + Utf8TextToAnsi("Имя") + std::to_string(i) + "', " + std::to_string(i) +
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
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from p_dbf where name = '" + Utf8TextToAnsi("Имя") +
                                                "3' and sum = 3.25 and n = 30 and d = '2024-01-03' and ok = 'T'",
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

    // Text on file is OEM unless -Ansi=1 says otherwise.
    Run("--$DBFE a.dbf -select=\"select name from p\" -Ansi=1\r\n");
    Run("--$DBFI a.dbf -Table=a_oem\r\n--$DBFI a.dbf -Table=a_ansi -Ansi=1\r\n");
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from a_ansi where name like '%1'", {}, true), 1);
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from a_ansi a join p using(name)", {}, true), 8);
    EXPECT_EQ(console.Session().SelectInt64("select count(*) from a_oem a join p using(name)", {}, true), 0);
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
