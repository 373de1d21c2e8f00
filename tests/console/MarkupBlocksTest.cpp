// XML and HTML exports longer than the block in which they are converted and
// written: the file is the whole document converted at once.
#include <fstream>
#include <sstream>
#include <string>

#include "ConsoleTestBase.h"
#include "base/CodePage.h"

namespace {

class MarkupBlocksTest : public ConsoleTest {
protected:
    std::string ReadAll(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // 5000 rows of Cyrillic and markup, about 200 KB of XML: Cyrillic letters
    // (two UTF-8 bytes each) fall across block ends.
    void Rows() {
        Run("create table t(id integer, name text)");
        Run("with recursive c(x) as (select 1 union all select x + 1 from c where x < 5000) "
            "insert into t select x, '" + Utf8TextToAnsi("Жук") + "<&>\"' || x || char(13) || char(10) || 'b' from c");
    }
};

TEST_F(MarkupBlocksTest, LongXmlIsTheWholeDocumentConverted) {
    Rows();
    Run("--$XMLE t.xml -select=\"select id, name from t order by id\"\r\n");
    ASSERT_FALSE(console.CommandError());
    std::string ansi = "<?xml version = \"1.0\" ?>\r\n<RecordSet SQL=\"select id, name from t order by id\">\r\n";
    for (int i = 1; i <= 5000; ++i)
        ansi += "<Record>\r\n<ID>" + std::to_string(i) + "</ID>\r\n<NAME>" + Utf8TextToAnsi("Жук") +
                "&lt;&amp;&gt;&quot;" + std::to_string(i) + "<br/>b</NAME>\r\n</Record>\r\n";
    ansi += "</RecordSet>\r\n";
    const std::string xml = ReadAll(dir / "t.xml");
    ASSERT_GT(xml.size(), 3u * 64 * 1024);
    EXPECT_TRUE(xml == AnsiToUtf8Text(ansi));
}

TEST_F(MarkupBlocksTest, LongHtmlIsTheWholeDocumentConverted) {
    Rows();
    Run("--$HTME t.html -select=\"select id, name, '' as e from t order by id\"\r\n");
    ASSERT_FALSE(console.CommandError());
    std::string ansi =
        "<html>\r\n<head> <title> DataSet </title> </head>\r\n"
        "<meta name=\"description\" content=\"select id, name, '' as e from t order by id\">\r\n<body>\r\n"
        "<table border = \"1\" rows = \"5000\" bordercolor=\"#000000\" cellspacing=\"0\" cellpadding=\"2\">\r\n"
        "<tr>\r\n<th  >ID </th>\r\n<th  >NAME </th>\r\n<th  >E </th>\r\n</tr>\r\n";
    for (int i = 1; i <= 5000; ++i)
        ansi += "<tr>\r\n<td nowrap  >" + std::to_string(i) + " </td>\r\n<td nowrap  >" + Utf8TextToAnsi("Жук") +
                "&lt;&amp;&gt;&quot;" + std::to_string(i) + "\r\nb </td>\r\n<td nowrap  >&nbsp </td>\r\n</tr>\r\n";
    ansi += "</table>\r\n</body></html>\r\n";
    const std::string html = ReadAll(dir / "t.html");
    ASSERT_GT(html.size(), 3u * 64 * 1024);
    EXPECT_TRUE(html == AnsiToUtf8Text(ansi));
}

}  // namespace
