// CSV records as the reader splits them, and the import directive through
// the interpreter; files land in the test's temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ConsoleTestBase.h"
#include "base/Utf8.h"
#include "console/CsvReader.h"
#include "console/DirectiveArgs.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

Records ReadRecords(std::string_view text, char delimiter = ',', std::vector<int>* lines = nullptr) {
    CsvReader reader(text, delimiter);
    Records records;
    std::vector<std::string> fields;
    while (reader.Next(fields)) {
        records.push_back(fields);
        if (lines) lines->push_back(reader.RecordLine());
    }
    EXPECT_TRUE(fields.empty());
    return records;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string Python() { return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

}  // namespace

TEST(CsvReaderTest, QuotedFieldsAndLineEnds) {
    EXPECT_EQ(ReadRecords("a,b\r\n1,2\r\n"), (Records{{"a", "b"}, {"1", "2"}}));
    EXPECT_EQ(ReadRecords("a,b\n1,2"), (Records{{"a", "b"}, {"1", "2"}}));
    EXPECT_EQ(ReadRecords("a,b\r1,2\r"), (Records{{"a", "b"}, {"1", "2"}}));
    EXPECT_EQ(ReadRecords("\"x,y\",\"say \"\"hi\"\"\",\"\"\n"), (Records{{"x,y", "say \"hi\"", ""}}));
    EXPECT_EQ(ReadRecords("\"one\r\ntwo\nthree\",z\n"), (Records{{"one\r\ntwo\nthree", "z"}}));
    // Empty fields at either end and between; a lone quoted empty field.
    EXPECT_EQ(ReadRecords(",a,,\n\"\"\n"), (Records{{"", "a", "", ""}, {""}}));
    // Empty lines hold no record.
    EXPECT_EQ(ReadRecords("\n\r\na\n\n\nb\n"), (Records{{"a"}, {"b"}}));
    EXPECT_EQ(ReadRecords(""), Records{});
    // A quote inside an unquoted field is a character; text after a closing
    // quote joins the field.
    EXPECT_EQ(ReadRecords("ab\"c,\"x\"y\n"), (Records{{"ab\"c", "xy"}}));
}

TEST(CsvReaderTest, ByteOrderMarkAndDelimiters) {
    EXPECT_EQ(ReadRecords("\xEF\xBB\xBFимя;名前\n\"a;b\";c", ';'), (Records{{"имя", "名前"}, {"a;b", "c"}}));
    // Only a mark at the very start is skipped.
    EXPECT_EQ(ReadRecords("a\n\xEF\xBB\xBF"), (Records{{"a"}, {"\xEF\xBB\xBF"}}));
    EXPECT_EQ(ReadRecords("\xEF\xBB"), (Records{{"\xEF\xBB"}}));
    EXPECT_EQ(ReadRecords("a\tb,c\n", '\t'), (Records{{"a", "b,c"}}));
    EXPECT_EQ(ReadRecords("a\tb,c\n"), (Records{{"a\tb", "c"}}));
}

TEST(CsvReaderTest, LineNumbersCountBreaksInsideQuotes) {
    std::vector<int> lines;
    ReadRecords("h\n\"1\n2\r\n3\"\n\nx\r\"y\ry\"\nz", ',', &lines);
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 6, 7, 9}));

    for (const std::string text : {"a\n\"b\nc\n", "a\n\"b\nc\"\"\n", "a\n\""}) {
        CsvReader reader(text);
        std::vector<std::string> fields;
        ASSERT_TRUE(reader.Next(fields));
        try {
            reader.Next(fields);
            ADD_FAILURE() << "no error for " << text;
        } catch (const CsvError& e) {
            EXPECT_EQ(e.Line(), 2);
            EXPECT_TRUE(Has(e.what(), "Unterminated quote")) << e.what();
            EXPECT_TRUE(Has(e.what(), "line 2")) << e.what();
        }
    }
    // A quote closed at the very end is no error.
    EXPECT_EQ(ReadRecords("\"a\nb\""), (Records{{"a\nb"}}));
}

TEST(DirectiveArgsTest, QuotedFileNameMayHoldBlanks) {
    DirectiveArgs a = DirectiveArgs::Parse("--$CSVI  \"my data.csv\" -Table=t");
    EXPECT_EQ(a.FileName, "my data.csv");
    EXPECT_EQ(a.Option("-Table="), "t");
    a = DirectiveArgs::Parse("--$CSVI \"a b\"-Table=t");
    EXPECT_EQ(a.FileName, "a b");
    EXPECT_EQ(a.Option("-Table="), "t");
    // An unclosed quote is part of the name, which ends at a blank as before.
    EXPECT_EQ(DirectiveArgs::Parse("--$CSVI \"a b").FileName, "\"a");
    EXPECT_EQ(DirectiveArgs::Parse("--$CSVI a\"b c\"").FileName, "a\"b");
}

namespace {

class CsvImportTest : public ConsoleTest {
protected:
    // The values of one column, in row order, as type:text with NULL as ~.
    std::string Column(const std::string& table, const std::string& column) {
        std::string s;
        console.Session().SelectString("select group_concat(typeof(" + column + ") || ':' || coalesce(" + column +
                                           ", '~'), '|') from (select * from " + table + " order by rowid)",
                                       {}, true, s);
        return s;
    }
    int64_t Count(const std::string& sql) { return console.Session().SelectInt64(sql, {}, true); }
    // Writes `file` with Python's csv module: `rows` is a Python list of
    // lists, `open` the rest of open()'s arguments, `dialect` writer's.
    void PythonCsv(const std::string& file, const std::string& rows, const std::string& open,
                   const std::string& dialect = "") {
        const std::string script = (dir / "w.py").string();
        WriteFile("w.py", "import csv\nwith open('" + file + "', 'w', newline=''" + open +
                              ") as f:\n    csv.writer(f" + dialect + ").writerows(" + rows + ")\n");
        ASSERT_EQ(std::system((Python() + " " + script).c_str()), 0);
    }
};

// Python's spelling of the values the tests compare with.
const std::vector<std::string> kNames = {"id", "text", "note"};
const std::vector<std::vector<std::string>> kRows = {
    {"x1", "a,b", "say \"hi\", then \"\"bye\"\""},
    {"x2", "line1\r\nline2\nline3", "Привет, мир"},
    {"x3", "名前;テスト", "\"quoted\""},
    {"x4", " lead and trail ", "Ёж ;,\t"},
};

std::string PythonList(const std::vector<std::vector<std::string>>& rows) {
    std::string s = "[";
    for (const auto& row : rows) {
        s += "[";
        for (const auto& v : row) {
            s += "'";
            for (char c : v) {
                if (c == '\r') s += "\\r";
                else if (c == '\n') s += "\\n";
                else if (c == '\t') s += "\\t";
                else if (c == '\'' || c == '\\') s += std::string("\\") + c;
                else s += c;
            }
            s += "',";
        }
        s += "],";
    }
    return s + "]";
}

}  // namespace

TEST_F(CsvImportTest, FilesWrittenByPythonImportExactly) {
    std::vector<std::vector<std::string>> all = {kNames};
    all.insert(all.end(), kRows.begin(), kRows.end());
    struct Case {
        std::string open, dialect, options;
    };
    const std::vector<Case> cases = {
        {", encoding='utf-8'", "", ""},
        {", encoding='utf-8-sig'", "", ""},  // with a byte-order mark
        {", encoding='utf-8'", ", delimiter=';'", " -Delim=;"},
        {", encoding='utf-8-sig'", ", delimiter=';', quoting=csv.QUOTE_ALL, lineterminator='\\n'", " -Delim=\";\";"},
        {", encoding='utf-8'", ", delimiter='\\t'", " -Delim=TAB;"},
        {", encoding='cp1251', errors='replace'", ", delimiter='|'", " -Delim=| -Encoding=1251"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.open + c.dialect);
        const std::string table = "t" + std::to_string(++n);
        PythonCsv("in.csv", PythonList(all), c.open, c.dialect);
        const std::string out = Run("--$CSVI in.csv -Table=" + table + c.options + "\n");
        ASSERT_FALSE(console.CommandError()) << out;
        EXPECT_TRUE(Has(out, "Import CSV file: in.csv\n")) << out;
        EXPECT_TRUE(Has(out, "Load 4 records from CSV to SQLite table: " + table + "\t")) << out;
        const bool cp1251 = Has(c.options, "1251");
        for (size_t r = 0; r < kRows.size(); ++r)
            for (size_t k = 0; k < kNames.size(); ++k) {
                std::string expected = kRows[r][k];
                // Windows-1251 has no CJK: Python wrote '?' for each.
                if (cp1251 && expected.starts_with("名")) expected = "??;???";
                std::string got;
                console.Session().SelectString("select \"" + kNames[k] + "\" from " + table +
                                                   " where rowid = " + std::to_string(r + 1),
                                               {}, true, got);
                EXPECT_EQ(got, expected) << r << "," << k;
            }
    }
}

TEST_F(CsvImportTest, NumbersOnlyWhenTheyReadBackAsWritten) {
    WriteFile("n.csv",
              "v\n42\n-3\n0.5\n3.0\n0\n9223372036854775807\n-9223372036854775808\n"
              "007\n12.50\n1e3\n\" 42\"\n42 \n+1\n-0\n.5\n5.\n9223372036854775808\n0.1000000000000001\nabc\n\n\"\"\n");
    const std::string out = Run("--$CSVI n.csv -Table=n\n");
    ASSERT_FALSE(console.CommandError()) << out;
    EXPECT_EQ(Column("n", "v"),
              "integer:42|integer:-3|real:0.5|real:3.0|integer:0|integer:9223372036854775807|"
              "integer:-9223372036854775808|"
              "text:007|text:12.50|text:1e3|text: 42|text:42 |text:+1|text:-0|text:.5|text:5.|"
              "text:9223372036854775808|text:0.1000000000000001|text:abc|null:~");
    // Numbers read back as the file wrote them, whatever their type.
    EXPECT_EQ(Count("select count(*) from n where cast(v as text) is not null"), 19);
}

TEST_F(CsvImportTest, RaggedRowStopsAndLeavesNothingBehind) {
    // The ragged record starts on line 5: a quoted line break comes first.
    WriteFile("r.csv", "a,b\n1,2\n\"3\n3\",4\n5,6,7\n8,9\n");
    std::string out = Run("--$CSVI r.csv -Table=fresh\n");
    EXPECT_TRUE(console.CommandError());
    EXPECT_TRUE(Has(out, "??? Record on line 5 has 3 fields, the header 2: nothing imported")) << out;
    EXPECT_FALSE(Has(out, "Load")) << out;
    EXPECT_FALSE(console.Session().TableExists("fresh"));

    // Too few fields stop it too.
    WriteFile("f.csv", "a,b\n1,2\n3\n");
    out = Run("--$CSVI f.csv -Table=fresh\n");
    EXPECT_TRUE(Has(out, "??? Record on line 3 has 1 fields, the header 2")) << out;
    EXPECT_FALSE(console.Session().TableExists("fresh"));

    // An existing table keeps its rows, whether the import appends or replaces.
    Run("create table old(a, b);\ninsert into old values('x', 'y');\n");
    for (const bool yes : {false, true}) {
        host.answerYes = yes;
        out = Run("--$CSVI r.csv -Table=old\n");
        EXPECT_TRUE(Has(out, "??? Record on line 5")) << out;
        EXPECT_EQ(Column("old", "a") + "/" + Column("old", "b"), "text:x/text:y");
    }
    // An unterminated quote is stopped the same way.
    WriteFile("u.csv", "a,b\n1,2\n\"3,4\n5,6\n");
    out = Run("--$CSVI u.csv -Table=old\n");
    EXPECT_TRUE(Has(out, "??? Unterminated quote: the quoted field opened on line 3 never closes")) << out;
    EXPECT_EQ(Count("select count(*) from old"), 1);
    // The console goes on afterwards: the savepoint is gone.
    out = Run("--$CSVI f.csv -Table=old -RowNum=1\n");
    EXPECT_TRUE(Has(out, "Load 1 records from CSV to SQLite table: old\t")) << out;
}

TEST_F(CsvImportTest, HeaderFieldsAndRowLimit) {
    WriteFile("h.csv", "Name,Sum,Note\nann,1,x\nbob,2,y\ncid,3,z\n");
    Run("--$CSVI h.csv -Table=h -Header=0\n");
    EXPECT_EQ(Column("h", "c1"), "text:Name|text:ann|text:bob|text:cid");
    EXPECT_EQ(Column("h", "c3"), "text:Note|text:x|text:y|text:z");

    // Listed fields in any letter case, the file's order kept; unknown names
    // are passed over.
    std::string out = Run("--$CSVI h.csv -Table=f -Fields=NOTE,name,nosuch\nselect * from f;\n");
    ASSERT_FALSE(console.CommandError()) << out;
    EXPECT_EQ(Column("f", "Name") + "/" + Column("f", "note"), "text:ann|text:bob|text:cid/text:x|text:y|text:z");
    EXPECT_EQ(Count("select count(*) from pragma_table_info('f')"), 2);
    EXPECT_EQ(Count("select count(*) from pragma_table_info('f') where type = ''"), 2);
    out = Run("--$CSVI h.csv -Table=g -Fields=nosuch\n");
    EXPECT_TRUE(Has(out, "??? None of the fields listed is in the file: nosuch")) << out;
    EXPECT_FALSE(console.Session().TableExists("g"));
    Run("--$CSVI h.csv -Table=g -Header=0 -Fields=C2\n");
    EXPECT_EQ(Column("g", "c2"), "text:Sum|integer:1|integer:2|integer:3");

    // -RowNum: at the file's record count, one under and one past.
    for (const auto& [limit, loaded] : std::vector<std::pair<int, int>>{{2, 2}, {3, 3}, {4, 3}, {0, 3}}) {
        const std::string table = "r" + std::to_string(limit);
        out = Run("--$CSVI h.csv -Table=" + table + " -RowNum=" + std::to_string(limit) + "\n");
        EXPECT_TRUE(Has(out, "Load " + std::to_string(loaded) + " records from CSV to SQLite table: " + table + "\t"))
            << out;
        EXPECT_EQ(Count("select count(*) from " + table), loaded);
    }
    // The limit stops before a ragged record is read; one more reaches it.
    WriteFile("rr.csv", "a\n1\n2\n3,3\n");
    out = Run("--$CSVI rr.csv -Table=rr -RowNum=2\n");
    EXPECT_TRUE(Has(out, "Load 2 records")) << out;
    out = Run("--$CSVI rr.csv -Table=rr2 -RowNum=3\n");
    EXPECT_TRUE(Has(out, "??? Record on line 4 has 2 fields, the header 1")) << out;
    EXPECT_FALSE(console.Session().TableExists("rr2"));
    // Header=0 compares with the first record.
    out = Run("--$CSVI rr.csv -Table=rr3 -Header=0\n");
    EXPECT_TRUE(Has(out, "??? Record on line 4 has 2 fields, the first record 1")) << out;
}

TEST_F(CsvImportTest, ExistingTableIsReplacedOrAppendedTo) {
    WriteFile("a.csv", "a,b\n1,2\n3,4\n");
    Run("create table t(a integer, b text, c);\ninsert into t values(0, 'z', 'keep');\n");
    host.answerYes = false;
    std::string out = Run("--$CSVI a.csv -Table=t\n");
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0], "Table t exists and containt 1 records. Replace?");
    EXPECT_TRUE(Has(out, "Load 2 records from CSV to SQLite table: t\t")) << out;
    EXPECT_EQ(Column("t", "a"), "integer:0|integer:1|integer:3");
    EXPECT_EQ(Column("t", "c"), "text:keep|null:~|null:~");
    // The table's declared types stay: column b has text affinity.
    EXPECT_EQ(Column("t", "b"), "text:z|text:2|text:4");

    host.answerYes = true;
    out = Run("--$CSVI a.csv -Table=t\n");
    EXPECT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(Column("t", "a"), "integer:1|integer:3");
    EXPECT_EQ(Column("t", "b"), "integer:2|integer:4");
    EXPECT_EQ(Count("select count(*) from pragma_table_info('t')"), 2);

    // An empty table is appended to without a question.
    Run("create table e(a, b);\n");
    Run("--$CSVI a.csv -Table=e\n");
    EXPECT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(Count("select count(*) from e"), 2);
}

TEST_F(CsvImportTest, FileNamesEncodingsAndRefusals) {
    WriteFile("my data.csv", "\"odd \"\"name\"\"\",x\n1,2\n");
    std::string out = Run("--$CSVI \"my data.csv\" -Table=q\n");
    ASSERT_FALSE(console.CommandError()) << out;
    EXPECT_TRUE(Has(out, "Import CSV file: my data.csv\n")) << out;
    EXPECT_EQ(Column("q", "\"odd \"\"name\"\"\""), "integer:1");
    // Without -Table the name comes from the file's.
    WriteFile("d.csv", "a\n1\n");
    out = Run("--$CSVI d.csv\n");
    EXPECT_TRUE(Has(out, "Load 1 records from CSV to SQLite table: d_csv\t")) << out;

    out = Run("--$CSVI nosuch.csv -Table=x\n");
    EXPECT_TRUE(console.CommandError());
    EXPECT_TRUE(Has(out, "??? File not exists: nosuch.csv")) << out;

    // Windows-1251 text is refused as UTF-8 and read when named.
    WriteFile("w.csv", "a\nok\n\xCF\xF0\xE8\xE2\xE5\xF2\n");
    out = Run("--$CSVI w.csv -Table=w\n");
    EXPECT_TRUE(Has(out, "??? File is not UTF-8 (line 3); a Windows-1251 file needs -Encoding=1251: w.csv")) << out;
    EXPECT_FALSE(console.Session().TableExists("w"));
    out = Run("--$CSVI w.csv -Table=w -Encoding=1251\n");
    ASSERT_FALSE(console.CommandError()) << out;
    EXPECT_EQ(Column("w", "a"), "text:ok|text:Привет");
    EXPECT_TRUE(Has(Run("--$CSVI w.csv -Table=w2 -Encoding=koi8\n"), "??? Encoding not supported: koi8")) << out;
    EXPECT_TRUE(Has(Run("--$CSVI d.csv -Table=w2 -Delim=ab\n"), "??? Delimiter must be one character")) << out;
    EXPECT_TRUE(Has(Run("--$CSVI d.csv -Table=w2 -Header=2\n"), "??? Header must be 1 or 0: 2")) << out;
    WriteFile("empty.csv", "\n\n");
    EXPECT_TRUE(Has(Run("--$CSVI empty.csv -Table=w2\n"), "??? File holds no records: empty.csv")) << out;
    // A header alone makes an empty table.
    WriteFile("head.csv", "a,b\r\n");
    EXPECT_TRUE(Has(Run("--$CSVI head.csv -Table=w3\n"), "Load 0 records")) ;
    EXPECT_EQ(Count("select count(*) from pragma_table_info('w3')"), 2);
}
