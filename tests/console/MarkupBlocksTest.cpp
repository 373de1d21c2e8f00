// XML and HTML exports longer than the block in which they are written: the
// file is the whole document, UTF-8 with LF line ends.
#include <fstream>
#include <sstream>
#include <string>

#include "ConsoleTestBase.h"

namespace {

class MarkupBlocksTest : public ConsoleTest {
protected:
    // 5000 rows of Cyrillic, CJK and markup, about 200 KB of XML; one row in
    // 1000 holds a byte that is not UTF-8 (legacy text).
    void Rows() {
        Run("create table t(id integer, name text)");
        Run("with recursive c(x) as (select 1 union all select x + 1 from c where x < 5000) "
            "insert into t select x, 'Жук漢<&>\"' || x || char(13) || char(10) || 'b' || "
            "case when x % 1000 = 0 then cast(x'CF' as text) else '' end from c");
    }
    static std::string Legacy(int i) { return i % 1000 == 0 ? "П" : ""; }
};

TEST_F(MarkupBlocksTest, LongXmlIsTheWholeDocument) {
    Rows();
    Run("--$XMLE t.xml -select=\"select id, name from t order by id\"\n");
    ASSERT_FALSE(console.CommandError());
    std::string want = "<?xml version = \"1.0\" ?>\n<RecordSet SQL=\"select id, name from t order by id\">\n";
    for (int i = 1; i <= 5000; ++i)
        want += "<Record>\n<ID>" + std::to_string(i) + "</ID>\n<NAME>Жук漢&lt;&amp;&gt;&quot;" + std::to_string(i) +
                "<br/>b" + Legacy(i) + "</NAME>\n</Record>\n";
    want += "</RecordSet>\n";
    const std::string xml = ReadAll(dir / "t.xml");
    ASSERT_GT(xml.size(), 3u * 64 * 1024);
    EXPECT_TRUE(xml == want);
}

TEST_F(MarkupBlocksTest, LongHtmlIsTheWholeDocument) {
    Rows();
    Run("--$HTME t.html -select=\"select id, name, '' as e from t order by id\"\n");
    ASSERT_FALSE(console.CommandError());
    std::string want =
        "<html>\n<head> <meta charset=\"utf-8\"> <title> DataSet </title> </head>\n"
        "<meta name=\"description\" content=\"select id, name, '' as e from t order by id\">\n<body>\n"
        "<table border = \"1\" rows = \"5000\" bordercolor=\"#000000\" cellspacing=\"0\" cellpadding=\"2\">\n"
        "<tr>\n<th  >ID </th>\n<th  >NAME </th>\n<th  >E </th>\n</tr>\n";
    for (int i = 1; i <= 5000; ++i)
        want += "<tr>\n<td nowrap  >" + std::to_string(i) + " </td>\n<td nowrap  >Жук漢&lt;&amp;&gt;&quot;" +
                std::to_string(i) + "\r\nb" + Legacy(i) + " </td>\n<td nowrap  >&nbsp </td>\n</tr>\n";
    want += "</table>\n</body></html>\n";
    const std::string html = ReadAll(dir / "t.html");
    ASSERT_GT(html.size(), 3u * 64 * 1024);
    EXPECT_TRUE(html == want);
}

}  // namespace
