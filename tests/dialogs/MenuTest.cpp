#include <functional>

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "dialogs/TFrmMenu.h"
#include "dialogs/TQorMenu.h"

namespace {

std::vector<std::string> Lines(const TFrmMenu& form) {
    std::vector<std::string> out;
    for (int i = 0; i < form.List()->count(); ++i) out.push_back(form.List()->item(i)->text().toStdString());
    return out;
}

// Runs Execute while act works the modal form the way a user would.
bool RunMenu(TQorMenu& menu, const std::string& items, char sep, int& index,
             const std::function<void(TFrmMenu&)>& act) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
        auto* form = dynamic_cast<TFrmMenu*>(QApplication::activeModalWidget());
        if (!form) return;
        acted = true;
        act(*form);
    });
    const bool chosen = menu.Execute("Load buffer", items, sep, index);
    EXPECT_TRUE(acted) << "the form did not show modally";
    return chosen;
}

}  // namespace

TEST(MenuEntriesTest, CutsAtTheSeparator) {
    EXPECT_EQ(MenuEntries("red^green^blue", '^'), (std::vector<std::string>{"red", "green", "blue"}));
    // The slot menu ends every entry with the separator: no empty last entry.
    EXPECT_EQ(MenuEntries("0  ^1 alpha ^", '^'), (std::vector<std::string>{"0", "1 alpha"}));
    // A leading comma is dropped before cutting.
    EXPECT_EQ(MenuEntries(",a,b", ','), (std::vector<std::string>{"a", "b"}));
    // Double quote as separator: comma text with quoted entries.
    EXPECT_EQ(MenuEntries("one,\"two, three\",\"say \"\"hi\"\"\"", '"'),
              (std::vector<std::string>{"one", "two, three", "say \"hi\""}));
    EXPECT_TRUE(MenuEntries("", '^').empty());
}

TEST(MenuEntriesTest, NumbersAndCentresEachLine) {
    EXPECT_EQ(MenuLine(0, "red", 7), "1   red  ");
    EXPECT_EQ(MenuLine(1, "green", 7), "2  green ");
    EXPECT_EQ(MenuLine(2, "blue", 7), "3  blue  ");
    EXPECT_EQ(MenuLine(9, " x ", 3), "10  x ");
    // Widths count cells: Cyrillic letters one each, CJK two.
    EXPECT_EQ(MenuLine(0, "Жук", 7), "1   Жук  ");
    EXPECT_EQ(MenuLine(0, "漢字", 7), "1  漢字  ");
}

TEST(MenuFormTest, ShowsNumberedCentredEntriesAndSizes) {
    TFrmMenu form;
    form.SetEntries(MenuEntries("red^green^blue", '^'), 1, 1000);
    EXPECT_EQ(Lines(form), (std::vector<std::string>{"1   red  ", "2  green ", "3  blue  "}));
    EXPECT_EQ(form.List()->currentRow(), 1);
    // An index past the last entry selects the first.
    TFrmMenu past;
    past.SetEntries(MenuEntries("red^green^blue", '^'), 3, 1000);
    EXPECT_EQ(past.List()->currentRow(), 0);
    EXPECT_EQ(form.height(), 3 * 16 + 30 + 4);
    EXPECT_GE(form.width(), 100);
    // Each line fits: its width plus a margin never exceeds the form.
    const QFontMetrics fm(form.List()->font());
    EXPECT_LE(fm.horizontalAdvance(form.List()->item(1)->text()) + 25, form.width());
    EXPECT_TRUE(form.List()->font().bold());
    EXPECT_EQ(form.List()->font().pointSize(), 10);
    EXPECT_EQ(form.List()->sizeHintForRow(0), 16);
}

TEST(MenuFormTest, LongListsStopAtHalfTheScreenAndScroll) {
    std::string items;
    for (int i = 0; i < 30; ++i) items += "entry " + std::to_string(i) + "^";
    TFrmMenu form;
    form.SetEntries(MenuEntries(items, '^'), 0, 600);
    EXPECT_EQ(form.List()->count(), 30);
    EXPECT_EQ(form.height(), 300);
    form.show();
    QApplication::processEvents();
    EXPECT_TRUE(form.List()->verticalScrollBar()->isVisible());
    // A long entry widens the form beyond its 100 pixels.
    TFrmMenu wide;
    wide.SetEntries({"a rather long entry for a menu of this size"}, 0, 600);
    EXPECT_GT(wide.width(), 300);
}

TEST(MenuExecuteTest, KeysChooseOrCancel) {
    TQorMenu menu;
    const std::string items = "red^green^blue";

    int index = 0;  // Down twice from the first entry, then Enter.
    EXPECT_TRUE(RunMenu(menu, items, '^', index, [](TFrmMenu& f) {
        QTest::keyClick(f.List(), Qt::Key_Down);
        QTest::keyClick(f.List(), Qt::Key_Down);
        QTest::keyClick(f.List(), Qt::Key_Return);
    }));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(menu.ItemIndex(), 2);
    EXPECT_EQ(menu.Text(), "3  blue");

    index = 2;  // Up from the given entry; the numeric pad's Enter as well.
    EXPECT_TRUE(RunMenu(menu, items, '^', index, [](TFrmMenu& f) {
        QTest::keyClick(f.List(), Qt::Key_Up);
        QTest::keyClick(f.List(), Qt::Key_Enter, Qt::KeypadModifier);
    }));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(menu.Text(), "2  green");

    index = 0;  // A digit jumps to the entry with that number.
    EXPECT_TRUE(RunMenu(menu, items, '^', index, [](TFrmMenu& f) {
        QTest::keyClick(f.List(), Qt::Key_3);
        QTest::keyClick(f.List(), Qt::Key_Return);
    }));
    EXPECT_EQ(index, 2);

    index = 1;  // Esc chooses nothing, also after moving.
    EXPECT_FALSE(RunMenu(menu, items, '^', index, [](TFrmMenu& f) {
        QTest::keyClick(f.List(), Qt::Key_Down);
        QTest::keyClick(f.List(), Qt::Key_Escape);
    }));
    EXPECT_EQ(index, -1);
    EXPECT_EQ(menu.ItemIndex(), -1);
    EXPECT_EQ(menu.Text(), "");

    index = 0;  // A double-click chooses the entry under the mouse.
    EXPECT_TRUE(RunMenu(menu, items, '^', index, [](TFrmMenu& f) {
        QListWidget* l = f.List();
        const QPoint p = l->visualItemRect(l->item(1)).center();
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, p);
    }));
    EXPECT_EQ(index, 1);
}

TEST(MenuExecuteTest, CaptionAndSlotMenuScreenshot) {
    // The ten named slots as the window passes them, some never named.
    std::string items;
    for (int i = 0; i < 10; ++i) items += std::to_string(i) + " " + (i == 2 ? "daily report" : i == 5 ? "cleanup" : " ") + "^";
    TQorMenu menu;
    int index = 0;
    QString title;
    bool saved = false;
    EXPECT_FALSE(RunMenu(menu, items, '^', index, [&](TFrmMenu& f) {
        title = f.windowTitle();
        // "2 daily report" is the widest: 14 + 2 characters; a never-named slot
        // is its digit, centred.
        EXPECT_EQ(f.List()->item(0)->text(), "1 " + QString(7, QChar(' ')) + "0" + QString(8, QChar(' ')));
        QDir().mkpath(SCREENSHOT_DIR);
        saved = f.grab().save(SCREENSHOT_DIR "/slot_menu.png");
        QTest::keyClick(f.List(), Qt::Key_Escape);
    }));
    EXPECT_EQ(title, QStringLiteral("Load buffer"));
    EXPECT_TRUE(saved);
}
