#include <functional>
#include <tuple>

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

// Runs Execute while act works the modal form the way a user would.
bool RunMenu(TQorMenu& menu, const std::string& items, int& index, const std::function<void(TFrmMenu&)>& act) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
        auto* form = dynamic_cast<TFrmMenu*>(QApplication::activeModalWidget());
        if (!form) return;
        acted = true;
        act(*form);
    });
    const bool chosen = menu.Execute("Load buffer", items, '^', index);
    EXPECT_TRUE(acted) << "the form did not show modally";
    return chosen;
}

}  // namespace

TEST(MenuEntriesTest, CutsAtTheSeparator) {
    // The slot menu ends every entry with the separator: no empty last entry.
    EXPECT_EQ(MenuEntries("0  ^1 alpha ^", '^'), (std::vector<std::string>{"0", "1 alpha"}));
    // A leading comma is dropped before cutting.
    EXPECT_EQ(MenuEntries(",a,b", ','), (std::vector<std::string>{"a", "b"}));
    // Double quote as separator: comma text with quoted entries.
    EXPECT_EQ(MenuEntries("one,\"two, three\",\"say \"\"hi\"\"\"", '"'),
              (std::vector<std::string>{"one", "two, three", "say \"hi\""}));
    EXPECT_TRUE(MenuEntries("", '^').empty());

    // Lines are numbered and centred; widths count cells: Cyrillic letters
    // one each, CJK two.
    EXPECT_EQ(MenuLine(9, " x ", 3), "10  x ");
    EXPECT_EQ(MenuLine(0, "Жук", 7), "1   Жук  ");
    EXPECT_EQ(MenuLine(0, "漢字", 7), "1  漢字  ");
}

TEST(MenuFormTest, ShowsNumberedCentredEntriesAndSizes) {
    TFrmMenu form;
    form.SetEntries(MenuEntries("red^green^blue", '^'), 1, 1000);
    ASSERT_EQ(form.List()->count(), 3);
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
    EXPECT_EQ(std::tuple(form.List()->font().bold(), form.List()->font().pointSize()), std::tuple(true, 10));

    // Long lists stop at half the screen and scroll; a long entry widens
    // the form beyond its 100 pixels.
    std::string items;
    for (int i = 0; i < 30; ++i) items += "entry " + std::to_string(i) + "^";
    TFrmMenu longList;
    longList.SetEntries(MenuEntries(items, '^'), 0, 600);
    EXPECT_EQ(longList.height(), 300);
    longList.show();
    QApplication::processEvents();
    EXPECT_TRUE(longList.List()->verticalScrollBar()->isVisible());
    TFrmMenu wide;
    wide.SetEntries({"a rather long entry for a menu of this size"}, 0, 600);
    EXPECT_GT(wide.width(), 300);
}

TEST(MenuExecuteTest, KeysChooseOrCancel) {
    const struct {
        int start;
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
        int index;
        const char* text;
    } rows[] = {
        // Up from the given entry; the numeric pad's Enter as well.
        {2, {{Qt::Key_Up, {}}, {Qt::Key_Enter, Qt::KeypadModifier}}, 1, "2  green"},
        // A digit jumps to the entry with that number.
        {0, {{Qt::Key_3, {}}, {Qt::Key_Return, {}}}, 2, "3  blue"},
        // Esc chooses nothing, also after moving.
        {1, {{Qt::Key_Down, {}}, {Qt::Key_Escape, {}}}, -1, ""},
    };
    TQorMenu menu;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.start);
        int index = row.start;
        EXPECT_EQ(RunMenu(menu, "red^green^blue", index,
                          [&](TFrmMenu& f) {
                              for (const auto& [key, mods] : row.keys) QTest::keyClick(f.List(), key, mods);
                          }),
                  row.index >= 0);
        EXPECT_EQ(std::tuple(index, menu.ItemIndex(), menu.Text()), std::tuple(row.index, row.index, row.text));
    }

    int index = 0;  // A double-click chooses the entry under the mouse.
    EXPECT_TRUE(RunMenu(menu, "red^green^blue", index, [](TFrmMenu& f) {
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
    EXPECT_FALSE(RunMenu(menu, items, index, [&](TFrmMenu& f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Load buffer"));
        // "2 daily report" is the widest: 14 + 2 characters; a never-named slot
        // is its digit, centred.
        EXPECT_EQ(f.List()->item(0)->text(), "1 " + QString(7, QChar(' ')) + "0" + QString(8, QChar(' ')));
        QDir().mkpath(SCREENSHOT_DIR);
        EXPECT_TRUE(f.grab().save(SCREENSHOT_DIR "/slot_menu.png"));
        QTest::keyClick(f.List(), Qt::Key_Escape);
    }));
}
