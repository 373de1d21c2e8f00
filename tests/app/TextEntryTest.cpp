// Text of every script typed into the console window reaches the database
// exactly as typed, and comes back into the output pane lined up.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "WindowDriver.h"
#include "app/TForm1.h"
#include "base/Utf8.h"
#include "editor/TQorEditor.h"
#include "editor/TQorMemo.h"
#include "sqlite/TQorSQLite3DB.h"

namespace {

void Type(QWidget* w, const QString& s) { windowdriver::TypeText(w, s); }

}  // namespace

TEST(TextEntry, TypedCharactersOfEveryScriptReachTheDatabaseAndLineUp) {
    char tmpl[] = "/tmp/tabulon-text-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::filesystem::path dir = tmpl;
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    const std::string db = (dir / "chars.db").string();
    {
        TForm1 w(false);
        w.Console().Settings().ShowTime = false;
        w.Console().Connect(db);
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        w.MInp().setFocus();
        Type(&w.MInp(), QString::fromUtf8("create table t(s varchar(12), n integer);\n"
                                          "insert into t values('é Ж 漢 😀', 1);\n"
                                          "insert into t values('Cássia', 2);\n"
                                          "insert into t values('漢字漢字', 3);\n"
                                          "insert into t values('e\u0301te\u0301', 4);\n"));
        QTest::keyClick(&w.MInp(), Qt::Key_F5);
        ASSERT_FALSE(w.Console().CommandError()) << w.MOut().GetText();

        // Another connection reads exactly the characters typed.
        TQorSQLite3DB other;
        other.SetDatabase(db);
        other.Open();
        std::string typed;
        other.SelectString("select s from t where n = 1", {}, true, typed);
        EXPECT_EQ(typed, "é Ж 漢 😀");
        other.SelectString("select hex(s) from t where n = 3", {}, true, typed);
        EXPECT_EQ(typed, "E6BCA2E5AD97E6BCA2E5AD97");
        other.Close();

        // The result table lines up on screen: every row is as wide as the
        // dash line, in cells.
        w.MInp().SetText("");
        Type(&w.MInp(), "select s, n from t order by n;");
        QTest::keyClick(&w.MInp(), Qt::Key_F5);
        const TMemoModel& out = w.MOut().Model();
        int dash = 0;
        for (int line = 1; line <= out.LineCount(); ++line)
            if (w.MOut().Lines()[line - 1].rfind("---", 0) == 0) dash = line;
        ASSERT_GT(dash, 0) << w.MOut().GetText();
        for (int line = dash + 1; line <= dash + 4; ++line)
            EXPECT_EQ(out.LineWidth(line), out.LineWidth(dash)) << w.MOut().Lines()[line - 1];
        EXPECT_NE(w.MOut().GetText().find("é Ж 漢 😀"), std::string::npos);
        QApplication::processEvents();
        w.grab().save(QString(SCREENSHOT_DIR) + "/text_entry.png");
    }
    std::filesystem::remove_all(dir);
}
