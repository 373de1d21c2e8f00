#include "ConsoleTestBase.h"

using ResultTables = ConsoleTest;

TEST_F(ResultTables, WidthsAndAlignmentFollowTheColumnKind) {
    Run("create table k(i integer, f float, d date, t time, dt datetime, s varchar(10), "
        "a_rather_long_name varchar(10), b boolean, m memo, big varchar(80));"
        "insert into k values(42, 2.5, '2024-05-17', '08:09:10', '2024-05-17 08:09:10', 'text', 'x', 'yes', 'memo',"
        " 'abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghij');"
        "insert into k values(null, null, null, null, null, null, null, null, null, null)");
    console.Settings().WidthFld = false;
    std::string out = Run("select * from k");
    // Widths 14, 21, 10, 8, 19, 11, 11, 2, 0 and 50, each cell and its blank.
    EXPECT_EQ(out,
              "SQL: select * from k;\n"
              "I              F                     D          T        DT                  S           "
              "A_RATHER_LO B   BIG                                                \n"
              "-------------- --------------------- ---------- -------- ------------------- ----------- "
              "----------- --  -------------------------------------------------- \n"
              "            42                   2.5 17.05.2024 08:09:10 17.05.2024 08:09:10 text        "
              "x           Tr  abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwx \n" +
                  std::string(156, ' ') + "\n2 row selected...\n")
        << out;
    console.Settings().WidthFld = true;
    console.Settings().HeaderOn = false;
    out = Run("select a_rather_long_name, b from k where i = 42");
    EXPECT_EQ(out, "SQL: select a_rather_long_name, b from k where i = 42;\nx                  Tr \n1 row selected...\n");

    // A text column is its declared size + 1 wide, but never wider than
    // CharLong: 49 gives 50, and 50 and 51 are both capped at 50.
    Run("create table c(a varchar(49), b varchar(50), d varchar(51)); insert into c values('x', 'y', 'z')");
    console.Settings().WidthFld = false;
    const std::string pad(50, ' ');  // each cell 50 wide and its blank
    out = Run("select * from c");
    EXPECT_TRUE(Has(out, "\nx" + pad + "y" + pad + "z" + pad + "\n")) << out;
}

TEST_F(ResultTables, LongOutputIsTrimmedFromTheTop) {
    console.Settings().LongStr = 10;
    console.Settings().DelStr = 3;
    Run("create table n(i integer)");
    for (int i = 1; i <= 19; ++i) console.Session().ExecSQL("insert into n values(" + std::to_string(i) + ")");
    host.lines.clear();
    console.RunCommandText("select i from n order by i");
    // The pane may hold 10 lines; the 11th makes its first 4 go. Echo,
    // header, dash and 8 rows make 11, then every 4 rows again: rows 10 to
    // 19 (10 lines, at the limit, kept) and the count line stay.
    std::vector<std::string> expected;
    for (int i = 10; i <= 19; ++i) expected.push_back(std::string(12, ' ') + std::to_string(i) + " ");
    expected.push_back("19 row selected...");
    EXPECT_EQ(host.lines, expected);
    EXPECT_EQ(host.trims, 3);

    // Without the echo only the count is shown; a directive still shows itself.
    console.Settings().EchoOn = false;
    EXPECT_EQ(Run("select i from n;\n--$DBFE -select=x\n"),
              "19 row selected...\n--$DBFE -select=x\n??? select parameter not defined\n");
}

// Columns line up on screen: widths count display cells, so a wide
// character takes two, a combining mark none, and a cut never splits one.
TEST_F(ResultTables, ColumnsLineUpByDisplayWidth) {
    Run("create table w(name varchar(6), n integer);"
        "insert into w values('Cássia', 1); insert into w values('Жук', 2); insert into w values('漢字漢字', 3);"
        "insert into w values('e\u0301te\u0301', 4); insert into w values('😀ab', 5); insert into w values('abcdefghij', 6)");
    console.Settings().WidthFld = false;
    const std::string out = Run("select name, n as x from w order by n");
    // name is 7 cells wide, then a blank; x is 14 cells. `cells` is the name's
    // width on screen.
    auto row = [](const std::string& name, int cells, int n) {
        return name + std::string(static_cast<size_t>(7 - cells + 1 + 13), ' ') + std::to_string(n) + " \n";
    };
    EXPECT_EQ(out, "SQL: select name, n as x from w order by n;\n"
                   "NAME    X              \n"
                   "------- -------------- \n" +
                       row("Cássia", 6, 1) + row("Жук", 3, 2) +
                       row("漢字漢", 6, 3) +  // three wide characters fill six cells; a fourth would pass seven
                       row("e\u0301te\u0301", 3, 4) + row("😀ab", 4, 5) +
                       row("abcdef", 6, 6) +  // a varchar(6) holds six characters
                       "6 row selected...\n")
        << out;
}
