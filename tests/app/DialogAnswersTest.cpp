// How the window answers its parameter dialog: display queries on the
// connection, F2 lists from the list of values.
#include <QTableView>

#include "WindowTest.h"
#include "dialogs/TFrm_DialogInp.h"
#include "dialogs/TQorDialog.h"
#include "dialogs/TQorEdit.h"
#include "dialogs/TQorLovFrm.h"
#include "dialogs/TQorLovS.h"

using namespace windowdriver;
using DialogAnswers = WindowTest;

TEST_F(DialogAnswers, F2PicksTheRowsValFromTheNameListAndShowsItsDisplayText) {
    TForm1 w(false);
    w.Console().Connect(":memory:");
    w.Console().Session().ExecSQL(
        "create table colors(name text, val text);"
        "insert into colors values('Красный', 'R'), ('Зелёный', 'G')");
    TQorDialog& d = w.QorDialog();
    // The list's column "name" is not the query's first.
    d.AddS("color", "Цвет", "select val, name from colors order by val", "select name from colors where val = '$'",
           false, "G");
    std::string before, after, listed;
    WhenModal<TFrm_DialogInp>([&](TFrm_DialogInp* form) {
        auto* edit = form->findChild<TQorEdit*>("EDIT0");
        ASSERT_NE(edit, nullptr);
        before = edit->Text();
        WhenModal<TQorLovFrm>([&listed](TQorLovFrm* f) {
            listed = f->CurrentText();
            QTest::keyClick(f->Grid(), Qt::Key_Down);
            QTest::keyClick(f->Grid(), Qt::Key_Return);
        });
        QTest::keyClick(edit, Qt::Key_F2);
        after = edit->Text();
        QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
    });
    EXPECT_TRUE(d.Execute(""));
    EXPECT_EQ(before, "Зелёный");
    EXPECT_EQ(listed, "Зелёный");
    EXPECT_EQ(after, "Красный");
    EXPECT_EQ(d.Get("color").ToString(), "R");

    // Esc in the list: no choice, the value stays; a failing query goes
    // back to the dialog, which shows it.
    Variant value("G");
    WhenModal<TQorLovFrm>([](TQorLovFrm* f) { QTest::keyClick(f->Grid(), Qt::Key_Escape); });
    EXPECT_FALSE(d.OnLovSql("select name, val from colors", value));
    EXPECT_EQ(value.ToString(), "G");
    EXPECT_THROW(d.OnLovSql("select name, val from nowhere", value), std::exception);
    EXPECT_FALSE(w.QorLovS().DataSet(0)->Active());
}
