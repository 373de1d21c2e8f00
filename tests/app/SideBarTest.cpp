#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QTest>
#include <QTextEdit>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "WindowDriver.h"
#include "app/TForm1.h"
#include "dialogs/TFrmText.h"
#include "editor/TQorEditor.h"
#include "editor/TQorMemo.h"
#include "editor/TQorOutLook.h"

using namespace windowdriver;

namespace {

class SideBar : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tabulon-sidebar-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        setenv("TMPDIR", dir.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // F11 and Enter as an X display sends them.
    static void F11(QWidget* target) { X11Key(target, Qt::Key_F11, Qt::NoModifier, 95, 0xffc8); }
    static void Enter(QWidget* target) { X11Key(target, Qt::Key_Return, Qt::NoModifier, 36, 0xff0d, "\r"); }

    std::filesystem::path dir;
};

QListWidget* ListBox1(TForm1& w) { return w.findChild<QListWidget*>("ListBox1"); }

}  // namespace

TEST_F(SideBar, F11ShowsAndHidesTheSideBarAndMovesTheFocus) {
    TForm1 w(false);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));

    // "Plugins..." stands after "Clear Screen Out", before the separator.
    const QList<QAction*> items = w.PopupMenu()->actions();
    for (int i = 0; i < items.size(); ++i) {
        if (items[i]->text() != "Plugins...") continue;
        EXPECT_EQ(items[i]->shortcut(), QKeySequence(Qt::Key_F11));
        ASSERT_GT(i, 0);
        EXPECT_EQ(items[i - 1]->text(), "Clear Screen Out");
        ASSERT_LT(i + 1, items.size());
        EXPECT_TRUE(items[i + 1]->isSeparator());
    }

    EXPECT_FALSE(w.SideBar()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &w.MInp());
    w.SideBar()->SetPageIndex(0);
    F11(Focused(&w));
    ASSERT_TRUE(w.SideBar()->isVisible());
    QApplication::processEvents();
    // At its stored width, the focus on the tools list.
    EXPECT_EQ(w.SideBar()->width(), 130);
    EXPECT_EQ(QApplication::focusWidget(), ListBox1(w));
    std::filesystem::create_directories(SCREENSHOT_DIR);
    w.grab().save(QString(SCREENSHOT_DIR) + "/side-bar.png");

    // Another page opened while the bar shows takes the focus to its first
    // control (the plug-ins have pages of their own).
    if (w.SideBar()->PageCount() > 1) {
        w.SideBar()->SetPageIndex(1);
        EXPECT_TRUE(w.SideBar()->Page(1)->isAncestorOf(QApplication::focusWidget()));
        w.SideBar()->SetPageIndex(0);
        EXPECT_EQ(QApplication::focusWidget(), ListBox1(w));
    }
    F11(Focused(&w));
    EXPECT_FALSE(w.SideBar()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &w.MInp());
    w.SideBar()->SetPageIndex(0);
    F11(Focused(&w));
    EXPECT_TRUE(w.SideBar()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), ListBox1(w));
}

TEST_F(SideBar, EnterRunsTheSelectedToolAsADoubleClickDoes) {
    TForm1 w(false);
    w.Console().Settings().ShowTime = false;
    w.Console().Connect(":memory:");
    w.Console().Session().ExecSQL("create table Ёлка(a); create table beta(b)");
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QListWidget* list = ListBox1(w);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 8);
    EXPECT_EQ(list->item(0)->text(), "Get Table names");
    EXPECT_EQ(list->item(7)->text(), "Environment variables");

    w.SideBar()->SetPageIndex(0);
    F11(Focused(&w));
    ASSERT_EQ(QApplication::focusWidget(), list);
    w.ClearScreenOut();
    list->setCurrentRow(0);
    Enter(Focused(&w));
    const std::string byEnter = w.MOut().GetText();
    EXPECT_EQ(byEnter, "Tables: (2) ----------------------------\nbeta\nЁлка");

    w.ClearScreenOut();
    const QRect at = list->visualItemRect(list->item(0));
    // A double click as the display sends it: a click, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at.center());
    EXPECT_EQ(w.MOut().GetText(), byEnter);
    // The output pane keeps what it had: each run adds to it.
    list->setCurrentRow(1);
    Enter(Focused(&w));
    EXPECT_EQ(w.MOut().GetText(), byEnter + "\nViews: (0) -----------------------------\n");
    EXPECT_FALSE(w.Running());

    // The environment opens in the viewer, 0.8 by 0.5 of the screen.
    bool shown = false;
    WhenModal<TFrmText>([&](TFrmText* viewer) {
        shown = true;
        EXPECT_TRUE(viewer->windowTitle().startsWith("Environment variables   ESC-Выход   [^+"));
        EXPECT_TRUE(viewer->Editor()->isReadOnly());
        const QRect screen = viewer->screen()->geometry();
        EXPECT_EQ(viewer->size(), QSize(qRound(screen.width() * 0.8), qRound(screen.height() * 0.5)));
        EXPECT_TRUE(viewer->Editor()->toPlainText().contains("PATH="));
        QTest::keyClick(viewer->Editor(), Qt::Key_Escape);
    });
    list->setCurrentRow(7);
    Enter(Focused(&w));
    EXPECT_TRUE(shown);
}
