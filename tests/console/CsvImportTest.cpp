// CSV records as the reader splits them, and the import directive through
// the interpreter; files land in the test's temporary folder.

#include <cstdlib>

#include "ConsoleTestBase.h"
#include "console/CsvReader.h"

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

}  // namespace

TEST(CsvReaderTest, QuotedFieldsAndLineEnds) {
    const struct {
        const char* text;
        char delimiter;
        Records records;
    } cases[] = {
        {"a,b\r\n1,2\r\n", ',', {{"a", "b"}, {"1", "2"}}},
        {"a,b\r1,2\r", ',', {{"a", "b"}, {"1", "2"}}},
        {"\"x,y\",\"say \"\"hi\"\"\",\"\"\n", ',', {{"x,y", "say \"hi\"", ""}}},
        // Empty fields at either end and between; a lone quoted empty field.
        {",a,,\n\"\"\n", ',', {{"", "a", "", ""}, {""}}},
        // Empty lines hold no record.
        {"\n\r\na\n\n\nb\n", ',', {{"a"}, {"b"}}},
        {"", ',', {}},
        // A quote inside an unquoted field is a character; text after a
        // closing quote joins the field.
        {"ab\"c,\"x\"y\n", ',', {{"ab\"c", "xy"}}},
        // Only a byte-order mark at the very start is skipped.
        {"a\n\xEF\xBB\xBF", ',', {{"a"}, {"\xEF\xBB\xBF"}}},
        {"\xEF\xBB", ',', {{"\xEF\xBB"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadRecords(c.text, c.delimiter), c.records);
    }
}

TEST(CsvReaderTest, LineNumbersCountBreaksInsideQuotes) {
    std::vector<int> lines;
    ReadRecords("h\n\"1\n2\r\n3\"\n\nx\r\"y\ry\"\nz", ',', &lines);
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 6, 7, 9}));

    // A quote never closed is an error of the line that opened it.
    for (const std::string text : {"a\n\"b\nc\n", "a\n\"b\nc\"\"\n", "a\n\""}) {
        CsvReader reader(text);
        std::vector<std::string> fields;
        ASSERT_TRUE(reader.Next(fields));
        int line = 0;
        try {
            reader.Next(fields);
        } catch (const CsvError& e) {
            line = e.Line();
        }
        EXPECT_EQ(line, 2) << text;
    }
    // A quote closed at the very end is no error.
    EXPECT_EQ(ReadRecords("\"a\nb\""), (Records{{"a\nb"}}));
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
    // Imports `command`'s file and answers what the console printed.
    std::string Import(const std::string& command) { return Run("--$CSVI " + command + "\n"); }
    bool Says(const std::string& command, const std::string& part) { return Has(Import(command), part); }
};

}  // namespace

// Python's csv module writes the file, in each dialect and encoding the
// directive's options name.
TEST_F(CsvImportTest, FilesWrittenByPythonImportExactly) {
    WriteFile("w.py", R"(import csv, sys
rows = [['id', 'text', 'note'], ['x1', 'a,b', 'say "hi", then ""bye""'],
        ['x2', 'line1\r\nline2\nline3', 'Привет, мир'], ['x3', '名前;テスト', '"quoted"'],
        ['x4', ' lead and trail ', 'Ёж ;,\t']]
dialect = {'tab': {'delimiter': '\t'}, 'bar': {'delimiter': '|'},
           'all': {'delimiter': ';', 'quoting': csv.QUOTE_ALL, 'lineterminator': '\n'}}.get(sys.argv[2], {})
with open('in.csv', 'w', newline='', encoding=sys.argv[1], errors='replace') as f:
    csv.writer(f, **dialect).writerows(rows)
)");
    // The rows as the import must store them, their fields joined by '/'.
    const std::string rows = "text:x1/a,b/say \"hi\", then \"\"bye\"\"|text:x2/line1\r\nline2\nline3/Привет, мир|"
                             "text:x3/名前;テスト/\"quoted\"|text:x4/ lead and trail /Ёж ;,\t";
    const struct {
        const char *encoding, *dialect, *options;
    } cases[] = {
        {"utf-8", "", ""},
        {"utf-8-sig", "all", " -Delim=\";\";"},  // with a byte-order mark
        {"utf-8", "tab", " -Delim=TAB;"},
        {"cp1251", "bar", " -Delim=| -Encoding=1251"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.encoding) + " " + c.dialect);
        ASSERT_EQ(std::system(("/usr/bin/python3 w.py " + std::string(c.encoding) + " '" + c.dialect + "'").c_str()), 0);
        const std::string table = "t" + std::to_string(++n);
        const std::string out = Import("in.csv -Table=" + table + c.options);
        ASSERT_FALSE(console.CommandError()) << out;
        std::string want = rows;
        // Windows-1251 has no CJK: Python wrote '?' for each.
        const std::string cjk = "名前;テスト";
        if (c.encoding == std::string("cp1251")) want.replace(want.find(cjk), cjk.size(), "??;???");
        EXPECT_EQ(Column(table, "id || '/' || text || '/' || note"), want);
    }
}

TEST_F(CsvImportTest, ExistingTablesAreReplacedOrAppendedToAndKeptOnFailure) {
    WriteFile("a.csv", "a,b\n1,2\n3,4\n");
    // The ragged record starts on line 5: a quoted line break comes first.
    WriteFile("r.csv", "a,b\n1,2\n\"3\n3\",4\n5,6,7\n8,9\n");
    WriteFile("u.csv", "a,b\n1,2\n\"3,4\n5,6\n");
    Run("create table t(a integer, b text, c);\ninsert into t values(0, 'z', 'keep');\n");
    // No appends; the table's declared types stay: column b has text affinity.
    Import("a.csv -Table=t");
    EXPECT_EQ(host.questions, std::vector<std::string>{"Table t exists and containt 1 records. Replace?"});
    EXPECT_EQ(Column("t", "b") + "/" + Column("t", "c"), "text:z|text:2|text:4/text:keep|null:~|null:~");
    // A ragged record or an unterminated quote stops the import, appending or
    // replacing, and the table keeps its rows.
    for (const bool yes : {false, true}) {
        host.answerYes = yes;
        EXPECT_TRUE(Says("r.csv -Table=t", "??? Record on line 5 has 3 fields, the header 2: nothing imported"));
        EXPECT_TRUE(Says("u.csv -Table=t", "??? Unterminated quote: the quoted field opened on line 3 never closes"));
        EXPECT_EQ(Count("select count(*) from t"), 3);
    }
    // Yes replaces: the console goes on afterwards, the savepoint is gone.
    Import("a.csv -Table=t");
    EXPECT_EQ(Column("t", "b"), "integer:2|integer:4");
    // No new table is left behind; too few fields stop it too.
    WriteFile("f.csv", "a,b\n1,2\n3\n");
    EXPECT_TRUE(Says("f.csv -Table=fresh", "??? Record on line 3 has 1 fields, the header 2"));
    EXPECT_TRUE(console.CommandError());
    EXPECT_FALSE(console.Session().TableExists("fresh"));
    // An empty table is appended to without a question.
    Run("create table e(a, b);\n");
    host.questions.clear();
    Import("a.csv -Table=e");
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(Count("select count(*) from e"), 2);
}

TEST_F(CsvImportTest, HeaderFieldsAndRowLimit) {
    WriteFile("h.csv", "Name,Sum,Note\nann,1,x\nbob,2,y\ncid,3,z\n");
    Import("h.csv -Table=h -Header=0");
    EXPECT_EQ(Column("h", "c1"), "text:Name|text:ann|text:bob|text:cid");
    // Listed fields in any letter case, the file's order kept; unknown names
    // are passed over.
    Import("h.csv -Table=f -Fields=NOTE,name,nosuch");
    EXPECT_EQ(Column("f", "Name") + "/" + Column("f", "note"), "text:ann|text:bob|text:cid/text:x|text:y|text:z");
    EXPECT_EQ(Count("select count(*) from pragma_table_info('f') where type = ''"), 2);
    EXPECT_TRUE(Says("h.csv -Table=g -Fields=nosuch", "??? None of the fields listed is in the file: nosuch"));
    EXPECT_FALSE(console.Session().TableExists("g"));

    // -RowNum: at the file's record count, one under and one past.
    for (const auto& [limit, loaded] : std::vector<std::pair<int, int>>{{2, 2}, {3, 3}, {4, 3}, {0, 3}}) {
        const std::string table = "r" + std::to_string(limit);
        EXPECT_TRUE(Says("h.csv -Table=" + table + " -RowNum=" + std::to_string(limit),
                         "Load " + std::to_string(loaded) + " records from CSV to SQLite table: " + table + "\t"));
        EXPECT_EQ(Count("select count(*) from " + table), loaded);
    }
    // The limit stops before a ragged record is read; one more reaches it.
    WriteFile("rr.csv", "a\n1\n2\n3,3\n");
    EXPECT_TRUE(Says("rr.csv -Table=rr -RowNum=2", "Load 2 records"));
    EXPECT_TRUE(Says("rr.csv -Table=rr2 -RowNum=3", "??? Record on line 4 has 2 fields, the header 1"));
    // Header=0 compares with the first record.
    EXPECT_TRUE(Says("rr.csv -Table=rr3 -Header=0", "??? Record on line 4 has 2 fields, the first record 1"));
}

TEST_F(CsvImportTest, FileNamesEncodingsNumbersAndRefusals) {
    WriteFile("my data.csv", "\"odd \"\"name\"\"\",x\n1,2\n");
    EXPECT_TRUE(Says("\"my data.csv\" -Table=q", "Import CSV file: my data.csv\n"));
    EXPECT_EQ(Column("q", "\"odd \"\"name\"\"\""), "integer:1");
    // Without -Table the name comes from the file's.
    WriteFile("d.csv", "a\n1\n");
    EXPECT_TRUE(Says("d.csv", "Load 1 records from CSV to SQLite table: d_csv\t"));
    // Windows-1251 text is refused as UTF-8 and read when named.
    WriteFile("w.csv", "a\nok\n\xCF\xF0\xE8\xE2\xE5\xF2\n");
    Import("w.csv -Table=w -Encoding=1251");
    EXPECT_EQ(Column("w", "a"), "text:ok|text:Привет");
    WriteFile("empty.csv", "\n\n");
    const std::pair<const char*, const char*> refusals[] = {
        {"nosuch.csv -Table=x", "??? File not exists: nosuch.csv"},
        {"w.csv -Table=w1", "??? File is not UTF-8 (line 3); a Windows-1251 file needs -Encoding=1251: w.csv"},
        {"w.csv -Table=w2 -Encoding=koi8", "??? Encoding not supported: koi8"},
        {"d.csv -Table=w2 -Delim=ab", "??? Delimiter must be one character"},
        {"d.csv -Table=w2 -Header=2", "??? Header must be 1 or 0: 2"},
        {"empty.csv -Table=w2", "??? File holds no records: empty.csv"},
    };
    for (const auto& [command, message] : refusals) {
        EXPECT_TRUE(Says(command, message)) << command;
        EXPECT_TRUE(console.CommandError());
    }
    EXPECT_FALSE(console.Session().TableExists("w1") || console.Session().TableExists("w2"));
    // A header alone makes an empty table.
    WriteFile("head.csv", "a,b\r\n");
    EXPECT_TRUE(Says("head.csv -Table=w3", "Load 0 records"));
    EXPECT_EQ(Count("select count(*) from pragma_table_info('w3')"), 2);

    // Numbers only where they read back as the file wrote them.
    WriteFile("n.csv",
              "v\n42\n-3\n0.5\n3.0\n0\n9223372036854775807\n-9223372036854775808\n"
              "007\n12.50\n1e3\n\" 42\"\n42 \n+1\n-0\n.5\n5.\n9223372036854775808\n0.1000000000000001\nabc\n\n\"\"\n");
    Import("n.csv -Table=n");
    EXPECT_EQ(Column("n", "v"),
              "integer:42|integer:-3|real:0.5|real:3.0|integer:0|integer:9223372036854775807|"
              "integer:-9223372036854775808|"
              "text:007|text:12.50|text:1e3|text: 42|text:42 |text:+1|text:-0|text:.5|text:5.|"
              "text:9223372036854775808|text:0.1000000000000001|text:abc|null:~");
}
