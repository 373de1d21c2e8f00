// "Save to database" and "Load from database" in the window, checked against
// what the sqlite3 shell finds in the file.
#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>

#include "WindowTest.h"
#include "base/QtText.h"
#include "dialogs/TQorLovFrm.h"

namespace {

class DatabaseScripts : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        file = (dir / "scripts.sqb").string();
        w.Console().Connect(file);
        w.AskTextHook = [this](std::string_view c, std::string_view p, std::string& value) {
            asked = std::string(c) + "|" + std::string(p) + "|" + value;
            value = name;
            return give;
        };
    }
    std::string Sql(const std::string& sql) const { return Shell(file, sql); }

    std::string file;
    TForm1 w{false};
    std::string name, asked;
    bool give = true;
};

// Answers the next message box with its text in said.
void AnswerBox(QString& said) {
    said.clear();
    windowdriver::WhenModal<QMessageBox>([&said](QMessageBox* box) {
        said = box->text();
        box->accept();
    });
}

}  // namespace

TEST_F(DatabaseScripts, TheFirstSaveCreatesTheTableAndTheSameNameUpdates) {
    name = "Отчёт за май";
    w.MInp().SetText("select 'день' as d;\nselect 2;");
    w.SaveToDatabase();
    EXPECT_EQ(asked, "Enter|Name script for save database|");  // the prompt starts empty
    EXPECT_EQ(Sql(".schema sqls_SQL"), "CREATE TABLE sqls_SQL (name varchar(64), text memo);\n");
    EXPECT_EQ(Sql("select name, text from sqls_SQL"), "Отчёт за май|select 'день' as d;\nselect 2;\n");

    // The same name again: the row is updated, not doubled.
    w.MInp().SetText("select 3;");
    w.SaveToDatabase();
    EXPECT_EQ(Sql("select name, text from sqls_SQL"), "Отчёт за май|select 3;\n");
    // Names compare as the database compares them: letter case counts.
    name = "ОТЧЁТ ЗА МАЙ";
    w.SaveToDatabase();
    EXPECT_EQ(Sql("select count(*) from sqls_SQL"), "2\n");

    // Cancel or an empty name saves nothing.
    w.MInp().SetText("select 4;");
    give = false;
    w.SaveToDatabase();
    give = true;
    name = "";
    w.SaveToDatabase();
    EXPECT_EQ(Sql("select count(*) from sqls_SQL where text = 'select 4;'"), "0\n");
    // Nothing was printed, and no lock is left: another program can write.
    EXPECT_EQ(Out(w), "");
    EXPECT_EQ(Sql("insert into sqls_SQL values('shell', 'x'); select count(*) from sqls_SQL"), "3\n");

    // The pop-up menu, its items in order with their keys; Ctrl+Shift+S in
    // the input editor saves.
    std::string menu;
    for (QAction* a : w.PopupMenu()->actions())
        menu += a->isSeparator() ? "-|" : a->text().toStdString() + " " + a->shortcut().toString().toStdString() + "|";
    EXPECT_EQ(menu, "Connect F12|Previous Command Ctrl+P|Next Command Ctrl+N|Run script Ctrl+R|"
                    "Save to database Ctrl+Shift+S|Load from database Ctrl+Shift+O|Save Ctrl+S|Open Ctrl+O|"
                    "SaveNum Alt+S|OpenNum Alt+O|Insert Template Ctrl+T|Save Template Alt+T|Commit Alt+C|"
                    "RollBack Alt+R|Options... F3|Clear Screen Out F8|Plugins... F11|-|Exit |");
    Open(w);
    name = "by key";
    w.MInp().SetText("select 'key';");
    QTest::keyClick(&w.MInp(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Sql("select text from sqls_SQL where name = 'by key'"), "select 'key';\n");
}

TEST_F(DatabaseScripts, LoadReplacesTheInputWithoutRunningItAndFailuresLeaveIt) {
    // A database without the table: the engine's message.
    QString said;
    w.MInp().SetText("kept");
    AnswerBox(said);
    w.LoadFromDatabase();
    EXPECT_EQ(said, "??? SQLite ERR-no such table: sqls_SQL");
    EXPECT_EQ(w.MInp().GetText(), "kept");

    name = "b-make";
    w.MInp().SetText("create table made(x);\ninsert into made values('ё');");
    w.SaveToDatabase();
    name = "a-other";
    w.MInp().SetText("select 1;");
    w.SaveToDatabase();
    w.MInp().SetText("typed text");
    std::vector<std::string> names;
    windowdriver::WhenModal<TQorLovFrm>([&names](TQorLovFrm* f) {
        for (int r = 0; r < f->RowCount(); ++r)
            names.push_back(QStringToAnsi(f->Grid()->model()->index(r, 0).data().toString()));
        QTest::keyClick(f->Grid(), Qt::Key_B);  // the search goes to b-make
        QTest::keyClick(f->Grid(), Qt::Key_Return);
    });
    w.LoadFromDatabase();
    EXPECT_EQ(names, (std::vector<std::string>{"a-other", "b-make"}));
    EXPECT_EQ(w.MInp().GetText(), "create table made(x);\ninsert into made values('ё');");
    EXPECT_EQ(Sql("select count(*) from sqlite_master where name = 'made'"), "0\n");
    EXPECT_EQ(Sql("insert into sqls_SQL values('shell', 'x'); select count(*) from sqls_SQL"), "3\n");

    // Esc in the list leaves the input as it is.
    windowdriver::WhenModal<TQorLovFrm>([](TQorLovFrm* f) { QTest::keyClick(f->Grid(), Qt::Key_Escape); });
    w.MInp().SetText("kept");
    w.LoadFromDatabase();
    EXPECT_EQ(w.MInp().GetText(), "kept");

    // Not connected: neither command opens a file by itself.
    w.Console().Session().Close();
    AnswerBox(said);
    w.LoadFromDatabase();
    EXPECT_EQ(said, "Not connected to a database");
    AnswerBox(said);
    w.SaveToDatabase();
    EXPECT_EQ(said, "Not connected to a database");
    EXPECT_EQ(w.MInp().GetText(), "kept");
}
