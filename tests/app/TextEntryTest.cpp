// Text of every script typed into the console window reaches the database
// exactly as typed, and comes back into the output pane lined up.
#include "WindowTest.h"

using TextEntry = WindowTest;

TEST_F(TextEntry, TypedCharactersOfEveryScriptReachTheDatabaseAndLineUp) {
    const std::string db = (dir / "chars.db").string();
    TForm1 w(false);
    Open(w, db);
    windowdriver::TypeText(&w.MInp(), QString::fromUtf8("create table t(s varchar(12), n integer);\n"
                                                        "insert into t values('é Ж 漢 😀', 1);\n"
                                                        "insert into t values('Cássia', 2);\n"
                                                        "insert into t values('漢字漢字', 3);\n"
                                                        "insert into t values('e\u0301te\u0301', 4);\n"));
    QTest::keyClick(&w.MInp(), Qt::Key_F5);
    ASSERT_FALSE(w.Console().CommandError()) << Out(w);
    // Another connection reads exactly the characters typed.
    EXPECT_EQ(Shell(db, "select s from t where n = 1; select hex(s) from t where n = 3"),
              "é Ж 漢 😀\nE6BCA2E5AD97E6BCA2E5AD97\n");

    // The result table lines up on screen: every row is as wide as the
    // dash line, in cells.
    w.MInp().SetText("");
    windowdriver::TypeText(&w.MInp(), "select s, n from t order by n;");
    QTest::keyClick(&w.MInp(), Qt::Key_F5);
    const TMemoModel& out = w.MOut().Model();
    int dash = 0;
    for (int line = 1; line <= out.LineCount(); ++line)
        if (w.MOut().Lines()[line - 1].rfind("---", 0) == 0) dash = line;
    ASSERT_GT(dash, 0) << Out(w);
    for (int line = dash + 1; line <= dash + 4; ++line)
        EXPECT_EQ(out.LineWidth(line), out.LineWidth(dash)) << w.MOut().Lines()[line - 1];
    EXPECT_NE(Out(w).find("é Ж 漢 😀"), std::string::npos);
    QApplication::processEvents();
    Screenshot(w, "text_entry.png");
}
