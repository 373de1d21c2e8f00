// The side bar: geometry, page changes by mouse and keys, refusals, removal.
#include <QListWidget>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "WidgetTestUtil.h"
#include "editor/TQorOutLook.h"

TEST(OutLookWidget, ThreePagesAroundTheOpenOne) {
    auto bar = std::make_unique<TQorOutLook>();
    bar->resize(135, 200);
    bar->NewPage("&0 Internal tools");
    bar->NewPage("&1 Plug-in functions");
    bar->NewPage("&2 A caption far too long to fit on the tab");
    ShowAndFocus(bar.get());
    EXPECT_EQ(bar->PageIndex(), 2);  // a new page opens
    bar->SetPageIndex(1);
    EXPECT_EQ(bar->TabRect(0), QRect(QPoint(2, 1), QPoint(132, 16)));
    EXPECT_EQ(bar->TabRect(1), QRect(QPoint(2, 17), QPoint(132, 32)));
    EXPECT_EQ(bar->TabRect(2), QRect(QPoint(2, 182), QPoint(132, 197)));
    EXPECT_EQ(bar->PageRect(), QRect(QPoint(1, 33), QPoint(133, 181)));
    EXPECT_TRUE(bar->Page(1)->isVisible());

    // With pictures on the tabs, a list on the open page and the pointer
    // over another tab.
    QPixmap icon(16, 14);
    icon.fill(Qt::white);
    QPainter(&icon).fillRect(3, 2, 10, 10, QColor(0, 0, 0x80));
    bar->SetImages({icon, icon, icon});
    auto* list = new QListWidget(bar->Page(1));
    list->addItems({"Tables", "Views", "Indexes", "Triggers", "Schema table", "Pragma values"});
    list->resize(bar->PageRect().size());
    list->show();
    Mouse(bar.get(), QEvent::MouseMove, bar->TabRect(2).center());
    EXPECT_EQ(bar->HotTab(), 2);
    SaveShot(bar.get(), "side_bar.png");

    // Limits: the old values stay.
    bar->SetTabHeight(51);
    bar->SetFrameWidth(10);
    EXPECT_EQ(bar->TabHeight(), 16);
    EXPECT_EQ(bar->FrameWidth(), 1);
    bar->SetTabHeight(50);
    bar->SetFrameWidth(9);
    EXPECT_EQ(bar->TabHeight(), 50);
    EXPECT_EQ(bar->FrameWidth(), 9);
    bar->SetPageIndex(3);
    bar->SetPageIndex(-1);
    EXPECT_EQ(bar->PageIndex(), 1);

    // Page changes by mouse and keys, and their refusal.
    int changes = 0;
    bool allow = true;
    bar->OnChange = [&] { ++changes; };
    bar->OnChanging = [&](TQorOutLook&, bool& ok) { ok = allow; };

    Mouse(bar.get(), QEvent::MouseButtonPress, bar->TabRect(0).center());
    Mouse(bar.get(), QEvent::MouseButtonRelease, bar->TabRect(0).center());
    EXPECT_EQ(bar->PageIndex(), 0);
    Key(bar.get(), Qt::Key_Up);
    EXPECT_EQ(bar->PageIndex(), 2);  // wraps around
    EXPECT_EQ(changes, 2);

    allow = false;
    Key(bar.get(), Qt::Key_Down);
    Mouse(bar.get(), QEvent::MouseButtonPress, bar->TabRect(0).center());
    Mouse(bar.get(), QEvent::MouseButtonRelease, bar->TabRect(0).center());
    EXPECT_EQ(bar->PageIndex(), 2);
    EXPECT_EQ(changes, 2);

    // Alt and a caption's accelerator, also while another control has the focus.
    allow = true;
    auto* other = new QListWidget(bar->Page(2));
    other->setFocus();
    QTest::keyClick(other, Qt::Key_1, Qt::AltModifier);
    EXPECT_EQ(bar->PageIndex(), 1);

    // A freed page leaves the bar; the open one goes to the first.
    delete bar->Page(1);
    EXPECT_EQ(bar->PageCount(), 2);
    EXPECT_EQ(bar->PageIndex(), 0);
    EXPECT_EQ(bar->Page(1)->PageIndex(), 1);
    delete bar->Page(0);
    delete bar->Page(0);
    EXPECT_EQ(bar->PageIndex(), -1);
    bar->repaint();
    Key(bar.get(), Qt::Key_Down);
    EXPECT_EQ(bar->PageIndex(), -1);
}
