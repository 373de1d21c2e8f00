#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>
#include <functional>
#include <tuple>

#include "WindowTest.h"
#include "app/TFrm_Config.h"

namespace {

// Every setting the dialog edits, plus NumPLSQL, which it must leave alone.
template <class Settings>
auto Edited(Settings& s) {
    return std::tie(s.DllName, s.Prompt, s.LongStr, s.DelStr, s.CharLong, s.LHist, s.ClearWind, s.StopErr,
                    s.WidthFld, s.HeaderOn, s.EchoOn, s.ShowTime, s.Win1251Db, s.StartSQL, s.NumPLSQL);
}

// Settings away from the defaults, in Edited's order.
ConsoleSettings Unusual() {
    ConsoleSettings s;
    Edited(s) = std::make_tuple("/opt/lib/libsqlite3.so.0", "Запрос 漢: ", 1234, 56, 78, 9, false, true, false, true,
                                false, true, true, "pragma foreign_keys=on;\r\nselect 1;", false);
    return s;
}

// Runs `Edit` and drives the modal dialog with `drive` once it is up.
bool EditWith(ConsoleSettings& s, const std::function<void(TFrm_Config&)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* d = dynamic_cast<TFrm_Config*>(QApplication::activeModalWidget());
        if (!d || !QTest::qWaitForWindowActive(d)) return;
        driven = true;
        drive(*d);
    });
    const bool ok = TFrm_Config::Edit(s, 0);
    EXPECT_TRUE(driven);
    return ok;
}

using ConfigDialog = WindowTest;

}  // namespace

TEST_F(ConfigDialog, FilledFromTheSettingsAndAnUntouchedOkGivesThemBack) {
    const ConsoleSettings given = Unusual();
    TFrm_Config d(given, 57);
    EXPECT_EQ(d.windowTitle(), "Config Tabulon");
    EXPECT_EQ(d.LongstrLabel()->text(), "Length buffer (lines) - 57");
    EXPECT_EQ(d.Cmd_()->text(), QString::fromUtf8("Запрос 漢: "));
    EXPECT_EQ(d.StartSQL_()->toPlainText(), "pragma foreign_keys=on;\nselect 1;");
    // Seven boxes; what they hold comes back whole below.
    ASSERT_EQ(d.CheckList()->count(), 7);
    Show(d);
    Screenshot(d, "options_dialog.png");

    ConsoleSettings back;  // defaults everywhere: every edited value must be overwritten
    back.NumPLSQL = false;
    d.TakeBack(back);
    EXPECT_EQ(Edited(back), Edited(given));

    // A start-up text stored with CR LF breaks survives an untouched box; an
    // edited box gives the console's LF breaks.
    ConsoleSettings lf;
    lf.StartSQL = "select 1;\r\nselect 2;";
    TFrm_Config d2(lf, 0);
    ConsoleSettings out;
    d2.TakeBack(out);
    EXPECT_EQ(out.StartSQL, "select 1;\r\nselect 2;");
    d2.StartSQL_()->appendPlainText("select 3; -- Ёжик 漢");
    d2.TakeBack(out);
    EXPECT_EQ(out.StartSQL, "select 1;\nselect 2;\nselect 3; -- Ёжик 漢");
}

TEST_F(ConfigDialog, EnterMovesFocusAndNumberFieldsTakeDigitsOnly) {
    ConsoleSettings s;
    TFrm_Config d(s, 0);
    Show(d);
    ASSERT_EQ(QApplication::focusWidget(), d.DllName_());
    const QWidget* order[] = {d.Cmd_(),  d.Longstr_(),  d.DelStr_(),   d.CharLong_(),
                              d.Hist_(), d.CheckList(), d.StartSQL_(), d.DllName_()};
    for (const QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    EXPECT_TRUE(d.isVisible());

    // Enter in the start-up box adds no line break, keypad Enter neither.
    d.StartSQL_()->setFocus();
    QTest::keyClicks(d.StartSQL_(), "select 1;");
    QTest::keyClick(d.StartSQL_(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(d.StartSQL_()->toPlainText(), "select 1;");
    EXPECT_EQ(QApplication::focusWidget(), d.DllName_());

    // Letters, signs and spaces are swallowed, also when pasted; the two
    // short fields stop at their width, the long ones at a 32-bit line count.
    const std::tuple<QLineEdit*, const char*, const char*> rows[] = {
        {d.Longstr_(), "1a2-3 .4", "1234"}, {d.CharLong_(), "123456", "1234"}, {d.Hist_(), "987", "98"}};
    for (const auto& [field, typed, shown] : rows) {
        field->clear();
        QTest::keyClicks(field, typed);
        EXPECT_EQ(field->text(), shown) << typed;
    }
    QTest::keyClick(d.Longstr_(), Qt::Key_Backspace);
    d.Longstr_()->insert("x9");
    d.DelStr_()->clear();
    QTest::keyClicks(d.DelStr_(), "99999999999999");
    ConsoleSettings out;
    d.TakeBack(out);
    EXPECT_EQ(std::tie(out.DelStr, out.LongStr, out.CharLong, out.LHist), std::make_tuple(999999999, 123, 1234, 98));
}

TEST_F(ConfigDialog, CtrlEnterTakesEveryValueBackAndEscOrCloseLeavesEverything) {
    ConsoleSettings s;
    EXPECT_TRUE(EditWith(s, [](TFrm_Config& d) {
        d.DllName_()->setText("libsqlite3.so.0");
        d.Cmd_()->setText(">> ");
        d.Hist_()->clear();  // an empty field stores 0
        d.CheckList()->setFocus();
        d.CheckList()->setCurrentRow(TFrm_Config::StopErr);
        QTest::keyClick(d.CheckList(), Qt::Key_Space);
        d.CheckList()->setCurrentRow(TFrm_Config::ShowTime);
        QTest::keyClick(d.CheckList(), Qt::Key_Space);
        d.StartSQL_()->setPlainText("select 2;");
        QTest::keyClick(d.StartSQL_(), Qt::Key_Return, Qt::ControlModifier);
    }));
    // The edited values, and two that were left as they were.
    EXPECT_EQ(std::tie(s.DllName, s.Prompt, s.LHist, s.StopErr, s.ShowTime, s.StartSQL, s.ClearWind, s.LongStr),
              std::make_tuple(std::string("libsqlite3.so.0"), std::string(">> "), 0, true, false,
                              std::string("select 2;"), true, 30000));

    ConsoleSettings j;
    EXPECT_TRUE(EditWith(j, [](TFrm_Config& d) {
        d.Cmd_()->setText("J> ");
        QTest::keyClick(d.Cmd_(), Qt::Key_J, Qt::ControlModifier);  // character 10 as well
    }));
    EXPECT_EQ(j.Prompt, "J> ");

    const ConsoleSettings before = Unusual();
    auto editEverything = [](TFrm_Config& d) {
        for (QLineEdit* field : {d.DllName_(), d.Cmd_(), d.Longstr_(), d.DelStr_(), d.CharLong_(), d.Hist_()})
            field->setText("1");
        for (int i = 0; i < d.CheckList()->count(); ++i) {
            QListWidgetItem* item = d.CheckList()->item(i);
            item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        }
        d.StartSQL_()->setPlainText("drop table t;");
    };
    // Esc and the window's close button leave everything as it was.
    for (const bool esc : {true, false}) {
        ConsoleSettings left = before;
        EXPECT_FALSE(EditWith(left, [&](TFrm_Config& d) {
            editEverything(d);
            if (esc) QTest::keyClick(d.StartSQL_(), Qt::Key_Escape);
            else d.close();
        }));
        EXPECT_EQ(Edited(left), Edited(before)) << esc;
    }
}
