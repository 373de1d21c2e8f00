#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QTextEdit>

#include "WindowTest.h"
#include "dialogs/TFrmText.h"
#include "editor/TQorOutLook.h"

using namespace windowdriver;

namespace {
using SideBar = WindowTest;

// F11 and Enter as an X display sends them.
void F11(QWidget* target) { X11Key(target, Qt::Key_F11, Qt::NoModifier, 95, 0xffc8); }
void Enter(QWidget* target) { X11Key(target, Qt::Key_Return, Qt::NoModifier, 36, 0xff0d, "\r"); }
}  // namespace

TEST_F(SideBar, F11ShowsTheBarAndEnterRunsTheSelectedToolAsADoubleClickDoes) {
    TForm1 w(false);
    Open(w, ":memory:");
    w.Console().Session().ExecSQL("create table Ёлка(a); create table beta(b)");
    // "Plugins..." stands after "Clear Screen Out", before the separator.
    const QList<QAction*> items = w.PopupMenu()->actions();
    for (int i = 1; i + 1 < items.size(); ++i) {
        if (items[i]->text() != "Plugins...") continue;
        EXPECT_EQ(items[i]->shortcut(), QKeySequence(Qt::Key_F11));
        EXPECT_EQ(items[i - 1]->text(), "Clear Screen Out");
        EXPECT_TRUE(items[i + 1]->isSeparator());
    }
    auto* list = w.findChild<QListWidget*>("ListBox1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 8);
    EXPECT_EQ(list->item(0)->text(), "Get Table names");
    EXPECT_EQ(list->item(7)->text(), "Environment variables");

    // F11 shows the bar at its stored width, the focus on the tools list,
    // and hides it again, the focus back in the input.
    EXPECT_FALSE(w.SideBar()->isVisible());
    w.SideBar()->SetPageIndex(0);
    F11(Focused(&w));
    ASSERT_TRUE(w.SideBar()->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(w.SideBar()->width(), 130);
    EXPECT_EQ(QApplication::focusWidget(), list);
    Screenshot(w, "side-bar.png");
    F11(Focused(&w));
    EXPECT_FALSE(w.SideBar()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &w.MInp());
    F11(Focused(&w));
    ASSERT_EQ(QApplication::focusWidget(), list);

    w.ClearScreenOut();
    list->setCurrentRow(0);
    Enter(Focused(&w));
    const std::string byEnter = Out(w);
    EXPECT_EQ(byEnter, "Tables: (2) ----------------------------\nbeta\nЁлка");
    w.ClearScreenOut();
    const QRect at = list->visualItemRect(list->item(0));
    // A double click as the display sends it: a click, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at.center());
    EXPECT_EQ(Out(w), byEnter);
    // The output pane keeps what it had: each run adds to it.
    list->setCurrentRow(1);
    Enter(Focused(&w));
    EXPECT_EQ(Out(w), byEnter + "\nViews: (0) -----------------------------\n");
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
