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
}

TEST_F(ResultTables, LongOutputIsTrimmedFromTheTop) {
    console.Settings().LongStr = 10;
    console.Settings().DelStr = 3;
    Run("create table n(i integer)");
    for (int i = 1; i <= 20; ++i) console.Session().ExecSQL("insert into n values(" + std::to_string(i) + ")");
    host.lines.clear();
    console.RunCommandText("select i from n order by i");
    // Each time the pane passes 10 lines its first 4 go.
    EXPECT_LE(host.lines.size(), 11u);
    EXPECT_EQ(host.lines.back(), "20 row selected...");
    EXPECT_EQ(host.lines[host.lines.size() - 2], "            20 ");
    EXPECT_GT(host.trims, 0);

    console.Settings().EchoOn = false;
    EXPECT_EQ(Run("select i from n"), "20 row selected...\n");
}
