// The "Grid F2" page offscreen: showing a table, editing cells, the keys,
// refreshing and failures. What the grid writes is read back with the
// sqlite3 shell, a separate connection.
#include <QComboBox>
#include <QTableView>

#include "WindowTest.h"
#include "app/TDataGridModel.h"
#include "app/TGridPage.h"
#include "dataset/TField.h"
#include "sqlite/TQorSQLite3Query.h"

namespace {

using windowdriver::X11Key;

class GridPage : public WindowTest {
protected:
    std::string Sql(const std::string& sql) { return Shell((dir / "grid.db").string(), sql); }

    // The window on its grid page, connected to the database, errors and
    // questions recorded.
    void Open(TForm1& w) {
        w.resize(900, 500);
        WindowTest::Open(w, (dir / "grid.db").string());
        w.Pages()->setCurrentIndex(1);
        page = w.GridPage();
        page->ErrorHook = [this](const std::string& m) { errors.push_back(m); };
        page->AskHook = [this](const std::string& q) {
            questions.push_back(q);
            return answer;
        };
    }
    void ShowTable(const QString& name) {
        page->Tables()->setCurrentIndex(page->Tables()->findText(name));
        page->Tables()->setFocus();
        X11Key(page->Tables(), Qt::Key_Return, {}, 36, 0xff0d);
    }
    // Typing into the current cell: the first key opens its editor, the
    // rest go to the editor, Enter closes it. Each letter comes as an X
    // server sends a letter of any script: its symbol and text.
    static void Type(QTableView* grid, const QString& text) {
        for (int i = 0; i < text.size(); ++i)
            X11Key(i == 0 ? grid : QApplication::focusWidget(), text[i].toUpper().unicode(), Qt::NoModifier, 0,
                   text[i].unicode(), QString(text[i]));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The editor hands its text over from the event loop.
        QApplication::processEvents();
    }
    void GoTo(int row, int column) { page->Grid()->setCurrentIndex(page->Model().index(row, column)); }
    QString Cell(int row, int column) { return page->Model().index(row, column).data().toString(); }
    QStringList Headers() {
        QStringList h;
        for (int c = 0; c < page->Model().columnCount(); ++c) h << page->Model().headerData(c, Qt::Horizontal).toString();
        return h;
    }

    TGridPage* page = nullptr;
    std::vector<std::string> errors;
    std::vector<std::string> questions;
    bool answer = false;
};

}  // namespace

TEST_F(GridPage, ShowingATableHidesRowidAndEditedCellsReachTheDatabase) {
    Sql("create table people(id integer primary key, name varchar(300), city text);"
        "insert into people values(1, 'Ann', 'Oslo'); insert into people values(2, 'Bob', 'Rome');"
        "create table other(x);");
    TForm1 w(false);
    Open(w);
    ASSERT_EQ(page->Tables()->count(), 2);  // filled on connect, by name
    EXPECT_EQ(page->Tables()->itemText(0), "other");
    ShowTable("people");
    ASSERT_TRUE(page->QGrid().Active());
    EXPECT_EQ(Headers(), (QStringList{"ID", "NAME", "CITY"}));
    EXPECT_TRUE(page->QGrid().FieldByName("ROWID")->ReadOnly());
    EXPECT_EQ(page->Grid()->columnWidth(1), 250);  // 300 characters wide, narrowed
    EXPECT_LT(page->Grid()->columnWidth(0), 250);

    // Edited in place, posted by Enter; accented, Cyrillic and CJK text
    // reaches the file as those characters.
    GoTo(1, 1);
    Type(page->Grid(), QString::fromUtf8("Cássia"));
    EXPECT_EQ(Sql("select name from people where id=2"), "Cássia\n");
    GoTo(0, 2);
    Type(page->Grid(), QString::fromUtf8("Жар"));
    // Posted when the row is left.
    GoTo(0, 1);
    Type(page->Grid(), QString::fromUtf8("漢字"));
    EXPECT_EQ(Sql("select name||','||city from people order by id"), "漢字,Жар\nCássia,Rome\n");
    EXPECT_TRUE(errors.empty());

    // Insert adds a row, typed and posted; Ctrl+Delete asks first.
    GoTo(1, 1);
    X11Key(page->Grid(), Qt::Key_Insert, {}, 118, 0xff63);
    Type(page->Grid(), "Eve");
    EXPECT_EQ(Sql("select id||name from people where name='Eve'"), "3Eve\n");
    EXPECT_EQ(Cell(1, 1), "Eve");
    EXPECT_EQ(Cell(1, 0), "3");  // the key the database gave it
    GoTo(1, 0);
    X11Key(page->Grid(), Qt::Key_Delete, Qt::ControlModifier, 119, 0xffff);
    EXPECT_EQ(questions, std::vector<std::string>{"Delete record?"});
    EXPECT_EQ(Sql("select count(*) from people"), "3\n");
    answer = true;
    X11Key(page->Grid(), Qt::Key_Delete, Qt::ControlModifier, 119, 0xffff);
    EXPECT_EQ(Sql("select group_concat(name) from people"), "漢字,Cássia\n");
    EXPECT_EQ(page->Model().rowCount(), 2);
}

TEST_F(GridPage, TheKeysMoveBetweenListAndGridF5ShowsNewRowsAndFailingPostsStayInEdit) {
    Sql("create table t(a integer, b text); insert into t values(1, 'one');"
        "create table u(k integer unique, s text); insert into u values(1, 'a'); insert into u values(2, 'b');");
    TForm1 w(false);
    Open(w);
    // A closed grid sends the focus back to the list; Tab stays in the list.
    page->Grid()->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), page->Tables());
    X11Key(page->Tables(), Qt::Key_Tab, {}, 23, 0xff09);
    EXPECT_EQ(QApplication::focusWidget(), page->Tables());
    X11Key(page->Tables(), Qt::Key_F5, {}, 71, 0xffc2);
    ASSERT_TRUE(page->QGrid().Active());
    EXPECT_EQ(QApplication::focusWidget(), page->Grid());
    EXPECT_EQ(page->Grid()->palette().color(QPalette::Base), QColor(Qt::white));
    X11Key(page->Grid(), Qt::Key_Tab, {}, 23, 0xff09);
    EXPECT_EQ(QApplication::focusWidget(), page->Tables());
    EXPECT_EQ(page->Grid()->palette().color(QPalette::Base), w.palette().color(QPalette::Base));
    page->Grid()->setFocus();

    // A row inserted from the console page shows after F5 in the grid.
    X11Key(page->Grid(), Qt::Key_F2, {}, 68, 0xffbf);
    ASSERT_EQ(w.Pages()->currentIndex(), 0);
    w.MInp().SetText("insert into t values(2, 'two');");
    w.RunAll();
    X11Key(&w.MInp(), Qt::Key_F2, {}, 68, 0xffbf);
    page->Grid()->setFocus();
    EXPECT_EQ(page->Model().rowCount(), 1);
    X11Key(page->Grid(), Qt::Key_F5, {}, 71, 0xffc2);
    ASSERT_EQ(page->Model().rowCount(), 2);
    EXPECT_EQ(Cell(1, 1), "two");
    // A change not yet posted is posted before the table opens again.
    page->Model().setData(page->Model().index(0, 1), "uno");
    EXPECT_EQ(page->QGrid().State(), dsEdit);
    ShowTable("t");
    EXPECT_EQ(Sql("select b from t where a=1"), "uno\n");
    EXPECT_TRUE(errors.empty());

    // A failing post shows the message and keeps the row in edit.
    ShowTable("u");
    GoTo(1, 0);
    Type(page->Grid(), "1");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "??? SQLite ERR-UNIQUE constraint failed: u.k");
    EXPECT_EQ(page->QGrid().State(), dsEdit);
    // Leaving the row tries again and stays.
    GoTo(0, 0);
    EXPECT_EQ(page->Grid()->currentIndex().row(), 1);
    EXPECT_EQ(errors.size(), 2u);
    // Esc gives the edit up.
    X11Key(page->Grid(), Qt::Key_Escape, {}, 9, 0xff1b);
    EXPECT_EQ(page->QGrid().State(), dsBrowse);
    EXPECT_EQ(Cell(1, 0), "2");
    EXPECT_EQ(Sql("select group_concat(k) from u"), "1,2\n");

    // A table that cannot open: the message, and the grid shows what it showed.
    page->Tables()->setEditable(true);
    page->Tables()->setEditText("nowhere");
    page->Show();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[2], "??? SQLite ERR-no such table: nowhere");
    EXPECT_EQ(page->QGrid().SQLTable(), "u");
    EXPECT_EQ(page->Model().rowCount(), 2);
}

TEST_F(GridPage, ScreenshotOfChinookTracksAndArtists) {
    if (!std::ifstream(CHINOOK_SQL)) GTEST_SKIP() << "no Chinook script at " << CHINOOK_SQL;
    Sql(std::string(".read ") + CHINOOK_SQL);
    TForm1 w(false);
    Open(w);
    ShowTable("Track");
    ASSERT_EQ(page->Model().rowCount(), 3503);
    EXPECT_EQ(Headers().first(), "TRACKID");
    Screenshot(*page, "grid-track.png");
    ShowTable("Artist");
    EXPECT_EQ(Cell(76, 1), QString::fromUtf8("Cássia Eller"));  // artist 77
}
