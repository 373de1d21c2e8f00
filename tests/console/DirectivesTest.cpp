// The import and export directives through the interpreter, as a script runs
// them; files land in the test's temporary folder.

#include <cstdlib>

#include "ConsoleTestBase.h"
#include "console/DirectiveArgs.h"
#include "console/MarkupText.h"

namespace {

int Shell(const std::string& command) { return std::system((command + " > /dev/null 2>&1").c_str()); }

// Debian's interpreter has Debian's modules, whatever python3 comes first on
// PATH.
bool HaveModule(const std::string& name) { return Shell("/usr/bin/python3 -c 'import " + name + "'") == 0; }

const std::filesystem::path kData = TABULON_DBF_DATA;

class DirectivesTest : public ConsoleTest {
protected:
    void Table() {
        Run("create table t(id integer, name varchar(20), price float, cost numeric(10,2), note text);\r\n"
            "insert into t values(1, 'a<b & \"c\"', 0.25, 1.5, 'line1' || char(13,10) || 'line2');\r\n"
            "insert into t values(2, '', 12.5, null, null);\r\n");
        ASSERT_FALSE(console.CommandError());
    }
    // The fields, then the rows dbfread finds, one line per record: name=value;...
    std::string Dbfread(const std::string& file) {
        return Python("import dbfread, sys\nt = dbfread.DBF(sys.argv[1], encoding='cp866')\n"
                      "print(';'.join('%s:%s:%d:%d' % (f.name, f.type, f.length, f.decimal_count) for f in t.fields))\n"
                      "for r in t: print(';'.join('%s=%r' % kv for kv in r.items()))\n",
                      file);
    }
    // The exported file, which xmllint must find well-formed.
    std::string Markup(const std::string& file, bool html) {
        EXPECT_EQ(Shell(std::string("xmllint --noout ") + (html ? "--html " : "") + (dir / file).string()), 0) << file;
        return ReadAll(dir / file);
    }
};

}  // namespace

TEST(DirectiveArgsTest, FileNameAndOptions) {
    DirectiveArgs a = DirectiveArgs::Parse("--$DBFE   out.dbf   -select=\"select a, b from t where c = 'x y'\" -ANSI=1");
    EXPECT_EQ(a.FileName, "out.dbf");
    EXPECT_EQ(a.Option("-select="), "select a, b from t where c = 'x y'");
    EXPECT_EQ(a.Option("-Ansi="), "1");
    // A statement ends the line with ';' as often as not.
    EXPECT_EQ(DirectiveArgs::Parse("--$XMLE f.xml -select=\"select 1\";").Option("-select="), "select 1");
    EXPECT_EQ(DirectiveArgs::Parse("--$DBFI f.dbf -Table= x").Option("-Table="), "x");
    EXPECT_EQ(DirectiveArgs::Parse("--$XMLE").FileName, "");
    // A quoted name may hold blanks; an unclosed quote is part of the name,
    // which then ends at a blank.
    a = DirectiveArgs::Parse("--$CSVI \"my data.csv\"-Table=t");
    EXPECT_EQ(a.FileName, "my data.csv");
    EXPECT_EQ(a.Option("-Table="), "t");
    EXPECT_EQ(DirectiveArgs::Parse("--$CSVI \"a b").FileName, "\"a");
    EXPECT_EQ(DirectiveArgs::Parse("--$CSVI a\"b c\"").FileName, "a\"b");
    // Only 256 characters after the directive word are read: characters, not bytes.
    a = DirectiveArgs::Parse("--$XMLE f -select=" + std::string(300, 'x'));
    EXPECT_EQ(a.Option("-select=").size(), 246u);
    std::string zh;
    for (int i = 0; i < 300; ++i) zh += "ж";  // two bytes each
    a = DirectiveArgs::Parse("--$XMLE f -select=" + zh);
    EXPECT_EQ(a.Option("-select="), zh.substr(0, 2 * 246));
}

TEST(MarkupTextTest, EscapesAndNames) {
    EXPECT_EQ(MarkupEscape("a<b & \"c\">", true), "a&lt;b &amp; &quot;c&quot;&gt;");
    EXPECT_EQ(MarkupEscape("one\r\ntwo\nthree\rfour\x01", true), "one<br/>two<br/>three<br/>four?");
    const std::pair<const char*, const char*> names[] = {
        {"A_1.x-y", "A_1.x-y"}, {"COUNT(*)", "COUNT___"}, {"1ST", "_1ST"}, {"(X)", "_X_"}, {"", "_"},
        {"名前", "名前"},       {"ИМЯ_Straße", "ИМЯ_Straße"},           {"Цена €", "Цена__"},
        {"\xFF", "_"},  // a byte that is not UTF-8 is no letter
    };
    for (const auto& [name, element] : names) EXPECT_EQ(XmlElementName(name), element) << name;
}

TEST_F(DirectivesTest, XmlAndHtmlEscapeMarkupQuotesAndLineBreaks) {
    Table();
    const std::string sql = "select id, name, note, count(*) over (), 'Д é 漢 😀' as ИМЯ from t order by id";
    const std::string out = Run("--$XMLE t.xml -select=\"" + sql + "\"\r\n");
    EXPECT_TRUE(Has(out, "Export XML file: t.xml\nSave 2 records to XML from SQLite table: " + sql + "\t00:00:")) << out;
    // Text of every script is written as UTF-8; NULL is an empty element.
    const std::string record = "<COUNT____OVER___>2</COUNT____OVER___>\n<ИМЯ>Д é 漢 😀</ИМЯ>\n</Record>\n";
    EXPECT_EQ(Markup("t.xml", false), "<?xml version = \"1.0\" ?>\n<RecordSet SQL=\"" + sql + "\">\n"
                                      "<Record>\n<ID>1</ID>\n<NAME>a&lt;b &amp; &quot;c&quot;</NAME>\n"
                                      "<NOTE>line1<br/>line2</NOTE>\n" + record +
                                      "<Record>\n<ID>2</ID>\n<NAME></NAME>\n<NOTE></NOTE>\n" + record + "</RecordSet>\n");
    // A statement with quotes and '<' in the attribute, no rows, the other word.
    Run("--$XMLS e.xml -select=\"select * from t where name < 'x\"\"' and 0\"\r\n");
    const std::string empty = Markup("e.xml", false);
    EXPECT_TRUE(Has(empty, "SQL=\"select * from t where name &lt; ")) << empty;
    EXPECT_EQ(std::count(empty.begin(), empty.end(), '\n'), 3) << empty;

    // The page's frame is checked whole with the long export; here the escaped
    // statement and header cell, and an empty cell marked.
    const std::string html = Run("--$HTME t.html -select=\"select id as [<i>], name, 'Жук é 漢 😀' as Имя from t\"\r\n");
    EXPECT_TRUE(Has(html, "Export HTML file: t.html\nSave 2 records to HTML from SQLite table: ")) << html;
    const std::string page = Markup("t.html", true);
    EXPECT_TRUE(Has(page, "content=\"select id as [&lt;i&gt;], name, 'Жук é 漢 😀' as Имя from t\">\n")) << page;
    EXPECT_TRUE(Has(page, "<tr>\n<th  >&lt;I&gt; </th>\n<th  >NAME </th>\n<th  >ИМЯ </th>\n</tr>\n")) << page;
    EXPECT_TRUE(Has(page, "<tr>\n<td nowrap  >2 </td>\n<td nowrap  >&nbsp </td>\n<td nowrap  >Жук é 漢 😀 </td>\n"
                          "</tr>\n</table>\n</body></html>\n"))
        << page;
    Run("--$HTMS e.html -select=\"select id from t where 0\"\r\n");
    const std::string none = Markup("e.html", true);
    EXPECT_TRUE(Has(none, "rows = \"0\"") && Has(none, "<tr>\n<th  >ID </th>\n</tr>\n</table>")) << none;
}

TEST_F(DirectivesTest, ExportsAskBeforeReplacingAndNeedASelect) {
    Table();
    WriteFile("old.xml", "keep");
    for (const char* word : {"--$XMLE", "--$HTME", "--$DBFE"}) {
        host.questions.clear();
        std::string out = Run(std::string(word) + " old.xml -select=\"select 1\"\r\n");
        ASSERT_EQ(host.questions, std::vector<std::string>{"File old.xml exists. Rewrite?"}) << word;
        EXPECT_FALSE(console.CommandError()) << out;
        EXPECT_EQ(ReadAll(dir / "old.xml"), "keep") << word;

        EXPECT_TRUE(Has(Run(std::string(word) + " new.out -Ansi=1\r\n"), "??? select parameter not defined\n")) << word;
        EXPECT_TRUE(console.CommandError()) << word;
        EXPECT_FALSE(std::filesystem::exists(dir / "new.out"));
    }
    host.answerYes = true;
    Run("--$XMLE old.xml -select=\"select 1 as one\"\r\n");
    EXPECT_TRUE(Has(ReadAll(dir / "old.xml"), "<ONE>1</ONE>"));
}

TEST_F(DirectivesTest, DbfExportTypesReadByDbfread) {
    if (!HaveModule("dbfread")) GTEST_SKIP() << "python3 dbfread is not installed";
    Table();
    Run("create table f(big varchar(300), d date);\r\ninsert into f values('x', '2024-05-17');\r\n");
    std::string out = Run("--$DBFE f.dbf -select=\"select big, d from f\"\r\n");
    EXPECT_TRUE(Has(out, "Export DBF file: f.dbf\nSave 1 records to DBF from SQLite table: select big, d from f\t"));
    EXPECT_FALSE(Has(out, "lacks")) << out;  // nothing lost, nothing said
    EXPECT_EQ(Dbfread("f.dbf"), "BIG:C:255:0;D:D:8:0\nBIG='x';D=datetime.date(2024, 5, 17)\n");

    Run("--$DBFS t.dbf -select=\"select id, name, price, cost from t order by id\"\r\n");
    EXPECT_EQ(Dbfread("t.dbf"), "ID:N:18:0;NAME:C:20:0;PRICE:N:18:4;COST:N:18:2\n"
                                "ID=1;NAME='a<b & \"c\"';PRICE=0.25;COST=1.5\nID=2;NAME='';PRICE=12.5;COST=None\n");

    // A column named with "#" is logical: Russian and Latin yes and no.
    Run("create table l(\"ok#\" char(1));\n"
        "insert into l values('Д'), ('д'), ('Да'), ('y'), ('1'), ('Н'), ('Ж'), ('n'), ('');\n"
        "--$DBFE l.dbf -select=\"select [ok#] from l\"\n");
    EXPECT_EQ(Dbfread("l.dbf"), "OK:L:1:0\nOK=True\nOK=True\nOK=True\nOK=True\nOK=True\n"
                                "OK=False\nOK=False\nOK=False\nOK=None\n");

    // Text is cut at characters, and '?' written for what the code page
    // lacks; the closing line owns up to it.
    Run("create table u(id integer, name varchar(5));\n"
        "insert into u values(1, 'Привет');\n"  // one character more than the field holds
        "insert into u values(2, '漢字');\n"     // CP866 lacks both
        "insert into u values(3, '€uro');\n");  // CP866 lacks the euro, Windows-1251 has it
    out = Run("--$DBFE u.dbf -select=\"select id, name from u order by id\"\n");
    EXPECT_TRUE(out.ends_with(" (2 values with characters CP866 lacks written as '?')\n")) << out;
    EXPECT_EQ(Dbfread("u.dbf"), "ID:N:18:0;NAME:C:5:0\nID=1;NAME='Приве'\nID=2;NAME='?\?'\nID=3;NAME='?uro'\n");
    out = Run("--$DBFE w.dbf -select=\"select id, name from u order by id\" -Ansi=1\n");
    EXPECT_TRUE(out.ends_with(" (1 value with characters Windows-1251 lacks written as '?')\n")) << out;

    // Column names are text too: a Cyrillic one is a field name in CP866,
    // and -Fields= finds it whatever its letter case.
    Run("create table r(Имя varchar(3), n integer);\ninsert into r values('Ёж', 1);\n"
        "--$DBFE r.dbf -select=\"select * from r\"\n");
    EXPECT_TRUE(Dbfread("r.dbf").starts_with("ИМЯ:C:3:0;N:N:18:0\n"));
    out = Run("--$DBFI r.dbf -Table=r_dbf -Fields=имя\n");
    EXPECT_TRUE(Has(out, "Create table r_dbf (\n\t \"ИМЯ\"\t varchar(3)\n);")) << out;
    EXPECT_EQ(Count("select count(*) from r_dbf where ИМЯ = 'Ёж'"), 1);
}

TEST_F(DirectivesTest, DbfRoundTripAndImportOptions) {
    // Eight rows: Имя1, 1.25, 10, 2024-01-01, T; Имя2, 2.25, 20, 2024-01-02, F ...
    Run("create table p(name varchar(10), sum numeric(10,2), n integer, d date, [ok#] char(1));\r\n"
        "insert into p with recursive c(x) as (select 1 union all select x + 1 from c where x < 8) select 'Имя' || x, "
        "x + 0.25, x * 10, '2024-01-0' || x, case x % 2 when 1 then 'T' else 'F' end from c;\r\n"
        "--$DBFE p.dbf -select=\"select * from p\"\r\n");
    ASSERT_FALSE(console.CommandError());

    std::string out = Run("--$DBFI p.dbf\r\n");
    EXPECT_TRUE(Has(out, "Load 8 records from DBF to SQLite table: p_dbf\t")) << out;
    EXPECT_EQ(1, Count("select count(*) from p_dbf where name = 'Имя3' and sum = 3.25 and n = 30 "
                       "and d = '2024-01-03' and ok = 'T'"));

    // The table exists now: No keeps it, Yes replaces it.
    EXPECT_FALSE(Has(Run("--$DBFL p.dbf -Table=p_dbf -RowNum=5\r\n"), "Load"));
    ASSERT_EQ(host.questions, std::vector<std::string>{"Table p_dbf exists and containt 8 records. Replace?"});
    EXPECT_EQ(Count("select count(*) from p_dbf"), 8);
    host.answerYes = true;
    out = Run("--$DBFL p.dbf -Table=p_dbf -RowNum=5\r\n");
    EXPECT_TRUE(Has(out, "Load 5 records from DBF to SQLite table: p_dbf\t")) << out;
    EXPECT_EQ(Count("select max(n) from p_dbf"), 50);

    out = Run("--$DBFI p.dbf -Table=q -RowNum=abc -Fields=sum,name,nosuch\r\n");
    EXPECT_TRUE(Has(out, "Load 8 records from DBF to SQLite table: q\t")) << out;
    EXPECT_TRUE(Has(out, "Create table q (\n\t \"NAME\"\t varchar(10)\n\t,\"SUM\"\t money\n);")) << out;

    // Text on file is CP866 unless -Ansi=1 asks for Windows-1251; the header
    // names the code page.
    Run("--$DBFE a.dbf -select=\"select name from p\" -Ansi=1\n");
    EXPECT_EQ(static_cast<unsigned char>(ReadAll(dir / "a.dbf")[29]), 0xC9);
    EXPECT_EQ(static_cast<unsigned char>(ReadAll(dir / "p.dbf")[29]), 0x65);
    // -Ansi=1 on the import means Windows-1251 whatever the header says:
    // the CP866 bytes of "Имя" read as Windows-1251 letters.
    Run("--$DBFI p.dbf -Table=p_ansi -Ansi=1\n");
    EXPECT_EQ(Count("select count(*) from p_ansi where name = '€¬п1'"), 1);
}

TEST_F(DirectivesTest, DbfImportOfRealFilesAndRefusals) {
    if (!std::filesystem::exists(kData)) GTEST_SKIP() << "the shared sample files are not beside the project";
    std::filesystem::copy_file(kData / "dbase_03.dbf", dir / "dbase_03.dbf");
    std::string out = Run("--$DBFI dbase_03.dbf -Table=pts -Fields=point_id,Date_Visit,Max_PDOP -RowNum=5\r\n");
    EXPECT_TRUE(Has(out, "Load 5 records from DBF to SQLite table: pts\t")) << out;
    EXPECT_TRUE(Has(out, "\"Max_PDOP\"\t money")) << out;
    EXPECT_EQ(Count("select count(*) from pts where Date_Visit like '____-__-__'"), 5);
    EXPECT_TRUE(Has(Run("--$DBFI dbase_03.dbf\r\n"), "Load 14 records from DBF to SQLite table: dbase_03_dbf\t"));

    std::filesystem::copy_file(kData / "dbase_83.dbf", dir / "memo.dbf");
    out = Run("--$DBFI memo.dbf\r\n");
    EXPECT_TRUE(Has(out, "Import DBF file: memo.dbf\n??? Field type not support: M\n")) << out;
    EXPECT_TRUE(console.CommandError());
    EXPECT_FALSE(console.Session().TableExists("memo_dbf"));
    EXPECT_EQ(Run("--$DBFI nowhere/x.dbf -Table=x\r\n"),
              "--$DBFI nowhere/x.dbf -Table=x\n??? File not exists: nowhere/x.dbf\n");

    // An empty file gives an empty table.
    Run("create table z(a varchar(3));\r\n--$DBFE z.dbf -select=\"select a from z\"\r\n");
    EXPECT_TRUE(Has(Run("--$DBFI z.dbf\r\n"), "Load 0 records from DBF to SQLite table: z_dbf\t"));
    EXPECT_TRUE(console.Session().TableExists("z_dbf"));
}
