// "Save to database" and "Load from database" in the window, checked against
// what the sqlite3 shell finds in the file.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QTableView>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/TForm1.h"
#include "base/QtText.h"
#include "dialogs/TQorLovFrm.h"
#include "editor/TQorEditor.h"
#include "editor/TQorMemo.h"
#include "WindowDriver.h"

namespace {

class DatabaseScripts : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tabulon-scripts-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        setenv("TMPDIR", dir.c_str(), 1);
        file = (dir / "scripts.sqb").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // What the sqlite3 shell prints for sql on the file (rows as a|b lines);
    // the shell's error text when it fails.
    std::string Shell(const std::string& sql) const {
        QProcess p;
        p.start("sqlite3", {QString::fromStdString(file), QString::fromStdString(sql)});
        if (!p.waitForFinished(10000)) return "(shell did not finish)";
        return p.readAllStandardOutput().toStdString() + p.readAllStandardError().toStdString();
    }
    // Answers the next error box with its text in said.
    static void AnswerBox(QString& said) {
        windowdriver::WhenModal<QMessageBox>([&said](QMessageBox* box) {
            said = box->text();
            box->accept();
        });
    }

    std::filesystem::path dir;
    std::string file;
};

}  // namespace

TEST_F(DatabaseScripts, TheFirstSaveCreatesTheTableAndTheSameNameUpdates) {
    TForm1 w(false);
    w.Console().Connect(file);
    std::string name = "Отчёт за май";
    std::string caption, prompt;
    bool give = true;
    w.AskTextHook = [&](std::string_view c, std::string_view p, std::string& value) {
        caption = c;
        prompt = p;
        EXPECT_EQ(value, "");  // the prompt starts empty
        value = name;
        return give;
    };
    w.MInp().SetText("select 'день' as d;\nselect 2;");
    w.SaveToDatabase();
    EXPECT_EQ(caption, "Enter");
    EXPECT_EQ(prompt, "Name script for save database");
    EXPECT_EQ(Shell(".schema sqls_SQL"), "CREATE TABLE sqls_SQL (name varchar(64), text memo);\n");
    EXPECT_EQ(Shell("select name, text from sqls_SQL"), "Отчёт за май|select 'день' as d;\nselect 2;\n");

    // The same name again: the row is updated, not doubled.
    w.MInp().SetText("select 3;");
    w.SaveToDatabase();
    EXPECT_EQ(Shell("select name, text from sqls_SQL"), "Отчёт за май|select 3;\n");

    // Names compare as the database compares them: letter case counts.
    name = "ОТЧЁТ ЗА МАЙ";
    w.SaveToDatabase();
    EXPECT_EQ(Shell("select count(*) from sqls_SQL"), "2\n");

    // Cancel or an empty name saves nothing.
    w.MInp().SetText("select 4;");
    give = false;
    w.SaveToDatabase();
    give = true;
    name = "";
    w.SaveToDatabase();
    EXPECT_EQ(Shell("select count(*) from sqls_SQL where text = 'select 4;'"), "0\n");
    // Nothing was printed, and no lock is left: another program can write.
    EXPECT_EQ(w.MOut().GetText(), "");
    EXPECT_EQ(Shell("insert into sqls_SQL values('shell', 'x'); select count(*) from sqls_SQL"), "3\n");
}

TEST_F(DatabaseScripts, LoadReplacesTheInputWithoutRunningIt) {
    using namespace windowdriver;
    TForm1 w(false);
    w.Console().Connect(file);
    std::string name;
    w.AskTextHook = [&](std::string_view, std::string_view, std::string& value) {
        value = name;
        return true;
    };
    name = "b-make";
    w.MInp().SetText("create table made(x);\ninsert into made values('ё');");
    w.SaveToDatabase();
    name = "a-other";
    w.MInp().SetText("select 1;");
    w.SaveToDatabase();
    w.MInp().SetText("typed text");

    std::vector<std::string> names;
    WhenModal<TQorLovFrm>([&names](TQorLovFrm* f) {
        for (int r = 0; r < f->RowCount(); ++r)
            names.push_back(QStringToAnsi(f->Grid()->model()->index(r, 0).data().toString()));
        QTest::keyClick(f->Grid(), Qt::Key_B);  // the search goes to b-make
        QTest::keyClick(f->Grid(), Qt::Key_Return);
    });
    w.LoadFromDatabase();
    EXPECT_EQ(names, (std::vector<std::string>{"a-other", "b-make"}));
    EXPECT_EQ(w.MInp().GetText(), "create table made(x);\ninsert into made values('ё');");
    EXPECT_EQ(w.MOut().GetText(), "");
    EXPECT_EQ(Shell("select count(*) from sqlite_master where name = 'made'"), "0\n");
    EXPECT_EQ(Shell("insert into sqls_SQL values('shell', 'x'); select count(*) from sqls_SQL"), "3\n");

    // Esc in the list leaves the input as it is.
    WhenModal<TQorLovFrm>([](TQorLovFrm* f) { QTest::keyClick(f->Grid(), Qt::Key_Escape); });
    w.MInp().SetText("kept");
    w.LoadFromDatabase();
    EXPECT_EQ(w.MInp().GetText(), "kept");
}

TEST_F(DatabaseScripts, FailuresShowTheErrorBoxAndLeaveTheInput) {
    TForm1 w(false);
    w.AskTextHook = [](std::string_view, std::string_view, std::string& value) {
        value = "x";
        return true;
    };
    w.MInp().SetText("kept");
    QString said;
    // Not connected: neither command opens a file by itself.
    AnswerBox(said);
    w.LoadFromDatabase();
    EXPECT_EQ(said, "Not connected to a database");
    said.clear();
    AnswerBox(said);
    w.SaveToDatabase();
    EXPECT_EQ(said, "Not connected to a database");

    // A database without the table: the engine's message.
    w.Console().Connect(file);
    said.clear();
    AnswerBox(said);
    w.LoadFromDatabase();
    EXPECT_EQ(said, "??? SQLite ERR-no such table: sqls_SQL");
    EXPECT_EQ(w.MInp().GetText(), "kept");
    EXPECT_EQ(w.MOut().GetText(), "");
}

TEST_F(DatabaseScripts, TheMenuCarriesBothCommandsWithTheirKeys) {
    TForm1 w(false);
    std::vector<std::string> items;
    for (QAction* a : w.PopupMenu()->actions())
        if (!a->isSeparator()) items.push_back(a->text().toStdString() + " " + a->shortcut().toString().toStdString());
    ASSERT_GE(items.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(items.begin() + 3, items.begin() + 7),
              (std::vector<std::string>{"Run script Ctrl+R", "Save to database Ctrl+Shift+S",
                                        "Load from database Ctrl+Shift+O", "Save Ctrl+S"}));

    // Ctrl+Shift+S in the input editor saves.
    w.Console().Connect(file);
    w.AskTextHook = [](std::string_view, std::string_view, std::string& value) {
        value = "by key";
        return true;
    };
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.MInp().setFocus();
    w.MInp().SetText("select 'key';");
    QTest::keyClick(&w.MInp(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Shell("select name, text from sqls_SQL"), "by key|select 'key';\n");
}
