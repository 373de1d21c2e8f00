// The SQL editor control: typing aids and colouring on screen.
#include <QBackingStore>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "WidgetTestUtil.h"
#include "editor/ConsoleInputColoring.h"
#include "editor/TQorEditor.h"
#include "editor/TSelectionRange.h"

namespace {

std::unique_ptr<TQorEditor> ShownEditor(std::string_view text, int w = 420, int h = 200) {
    return Shown<TQorEditor>(text, w, h, [](TQorEditor& e) { SetupConsoleInputColoring(e.SyntaxColoring()); });
}

// Glyphs are smoothed: a pixel counts as drawn in a colour when it lies
// near the line from the background to that colour, at least half way.
bool Inked(QColor p, QColor c, QColor bg) {
    const double d[3] = {double(c.red() - bg.red()), double(c.green() - bg.green()), double(c.blue() - bg.blue())};
    const double q[3] = {double(p.red() - bg.red()), double(p.green() - bg.green()), double(p.blue() - bg.blue())};
    const double a = (q[0] * d[0] + q[1] * d[1] + q[2] * d[2]) / std::max(1.0, d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    double off = 0;
    for (int i = 0; i < 3; ++i) off = std::max(off, std::abs(q[i] - a * d[i]));
    return a >= 0.5 && off <= 40;
}

// How many pixels of the given colour the cells (column, line) onwards hold.
int CountColour(TQorEditor& e, TPoint from, int cells, QColor colour, QColor bg = Qt::white) {
    const QImage img = e.grab().toImage();
    const QPoint p = e.PointToClient(from);
    int n = 0;
    for (int y = p.y(); y < p.y() + e.CharHeight(); ++y)
        for (int x = p.x(); x < p.x() + cells * e.CharWidth(); ++x)
            if (Inked(img.pixelColor(x, y), colour, bg)) ++n;
    return n;
}

}  // namespace

// Enter repeats the leading blanks before the caret; '{' alone on a line
// opens an indented block.
TEST(EditorWidget, EnterAndBraceIndent) {
    auto e = ShownEditor("\t  select x\r\nnext");
    e->SetSelStart(6);  // after "sel"
    Key(e.get(), Qt::Key_Return);
    EXPECT_EQ(e->GetText(), "\t  sel\n\t  ect x\nnext");
    EXPECT_EQ(e->Model().OffsetToPoint(Caret(*e)), (TPoint{4, 2}));
    // A selection is replaced by the break and the indentation; inside the
    // blanks only those before the selection are copied.
    e->SetText("\t  abc def");
    e->Model().Selection().CollapseTo(3);
    e->Model().Selection().ExtendTo(9);
    Key(e.get(), Qt::Key_Return);
    EXPECT_EQ(e->GetText(), "\t \n\t ef");

    e->SetAutoIndentIncrease(true);
    e->SetText("  \r\nx");
    e->SetSelStart(2);
    QTest::keyClicks(e.get(), "{");
    EXPECT_EQ(e->GetText(), "  {\n  \t\n  }\nx");
    EXPECT_EQ(e->Model().OffsetToPoint(Caret(*e)), (TPoint{4, 2}));
    // After other text on the line it is just a character; without the
    // option Enter is a bare break.
    e->SetAutoIndent(false);
    e->SetText("  if x");
    e->SetSelStart(6);
    QTest::keyClicks(e.get(), "{");
    Key(e.get(), Qt::Key_Return);
    EXPECT_EQ(e->GetText(), "  if x{\n");
}

TEST(EditorWidget, DrawsTokensInTheirColoursAndSplitsThemAtTheSelection) {
    auto e = ShownEditor("select 'a--b' -- note\r\nfrom t where x = 12;\r\n"
                         "  and g.name like 'Чай%' or g.name = 'Café 漢字 😀' /* tea */\r\n"
                         "pragma table_info(goods);",
                         560, 200);
    QApplication::processEvents();
    const QColor navy(0, 0, 0x80), blue(0, 0, 0xFF), gray(0x80, 0x80, 0x80), red(0xFF, 0, 0);
    EXPECT_GT(CountColour(*e, {1, 1}, 6, navy), 10);   // select
    EXPECT_GT(CountColour(*e, {8, 1}, 6, blue), 10);   // 'a--b'
    EXPECT_EQ(CountColour(*e, {8, 1}, 6, gray), 0);
    EXPECT_GT(CountColour(*e, {15, 1}, 7, gray), 10);  // -- note
    EXPECT_GT(CountColour(*e, {18, 2}, 2, red), 10);   // 12

    // Half of "select" selected: the selected half is drawn in the highlight
    // colours, the other half stays navy.
    e->Model().Selection().CollapseTo(4);
    e->Model().Selection().ExtendTo(7);
    QApplication::processEvents();
    EXPECT_GT(CountColour(*e, {1, 1}, 3, navy), 5);
    EXPECT_EQ(CountColour(*e, {4, 1}, 3, navy), 0);
    EXPECT_GT(CountColour(*e, {4, 1}, 3, e->palette().color(QPalette::Highlight)), 3 * e->CharWidth());
    SaveShot(e.get(), "sql_editor.png");
}

TEST(EditorWidget, IncrementalFramesMatchAFullRepaint) {
    // Edits repaint only the cells they change; what the window shows after
    // each of them must be what a repaint of everything shows.
    auto e = ShownEditor(
        "select g.id, g.name, round(p.price * 1.2, 2) as gross -- tail\r\n"
        "\tfrom goods g\t/* x */ where g.name like '\xD7\xE0\xE9%'\r\n"
        "  join prices p on (p.goods_id = g.id);\r\n"
        "order by 1;",
        300, 120);
    ASSERT_NE(dynamic_cast<QImage*>(e->backingStore()->paintDevice()), nullptr);
    auto check = [&](const char* step) {
        // The scroll bars follow a moment later.
        QTest::qWait(10);
        const QImage incremental = dynamic_cast<QImage*>(e->backingStore()->paintDevice())->copy();
        e->update();
        QTest::qWait(10);
        EXPECT_EQ(incremental, *dynamic_cast<QImage*>(e->backingStore()->paintDevice())) << step;
    };
    e->SetSelStart(e->Model().PointToOffset(9, 1) - 1);
    QTest::keyClicks(e.get(), "x");
    check("typed in a keyword");
    QTest::keyClicks(e.get(), "'");
    check("a quote opens a string");  // the rest of the text is a string now
    Key(e.get(), Qt::Key_Delete);
    Key(e.get(), Qt::Key_Right, Qt::ShiftModifier);
    Key(e.get(), Qt::Key_Right, Qt::ShiftModifier);
    Key(e.get(), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClicks(e.get(), "zz");  // deleted after the caret, selected, typed over
    check("typed over the selection");
    Key(e.get(), Qt::Key_Down);
    Key(e.get(), Qt::Key_End);
    QTest::keyClicks(e.get(), "abc");
    Key(e.get(), Qt::Key_Backspace);
    Key(e.get(), Qt::Key_Home);
    Key(e.get(), Qt::Key_Delete);
    check("typed at the end of a scrolled line, deleted a tab at its start");
}
