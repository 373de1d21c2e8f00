// The memo control driven by keys and the mouse on a real (offscreen) widget.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "WidgetTestUtil.h"
#include "base/TStrings.h"
#include "editor/TQorMemo.h"
#include "editor/TSelectionRange.h"
#include "editor/TVisibleRange.h"

namespace {

std::string NumberedLines(int n) {
    std::string s = "line 1";
    for (int i = 2; i <= n; ++i) s += "\r\nline " + std::to_string(i);
    return s;
}

// The rows a change paints, once the paints it causes are through.
template <class Change>
int RowsPaintedBy(TQorMemo& m, Change&& change) {
    QTest::qWait(20);
    m.ResetPaintedLines();
    change();
    QTest::qWait(20);
    return m.PaintedLines();
}

}  // namespace

TEST(MemoWidget, ReadOnlyPaneMovesCopiesAndScrollsButNeverEdits) {
    auto m = Shown<TQorMemo>(NumberedLines(100) + std::string(300, 'x'));
    m->SetReadOnly(true);
    m->SetSelStart(1);
    Key(m.get(), Qt::Key_Right, Qt::ShiftModifier);
    Key(m.get(), Qt::Key_Right, Qt::ShiftModifier);
    Key(m.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "in");
    QGuiApplication::clipboard()->setText("pasted");
    const std::string before = m->GetText();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> edits[] = {
        {Qt::Key_Backspace, Qt::NoModifier}, {Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_A, Qt::NoModifier},
        {Qt::Key_Return, Qt::NoModifier},    {Qt::Key_Tab, Qt::NoModifier},    {Qt::Key_V, Qt::ControlModifier},
        {Qt::Key_Insert, Qt::ShiftModifier}, {Qt::Key_X, Qt::ControlModifier}, {Qt::Key_Delete, Qt::ShiftModifier},
        {Qt::Key_Z, Qt::ControlModifier},    {Qt::Key_Backspace, Qt::AltModifier},
    };
    for (const auto& [key, mods] : edits) Key(m.get(), key, mods);
    EXPECT_EQ(m->GetText(), before);
    EXPECT_EQ(m->GetSelText(), "in");

    // In scroll mode the moving keys move the window and leave the caret.
    m->SetAlwaysMoveCaret(false);
    const TVisibleRange& vis = m->Model().VisibleRange();
    const int rows = m->Model().VisibleRows();
    Key(m.get(), Qt::Key_PageDown);
    Key(m.get(), Qt::Key_PageDown);
    Key(m.get(), Qt::Key_Down);
    EXPECT_EQ(vis.TopLine(), 2 + 2 * rows);
    Key(m.get(), Qt::Key_End);
    EXPECT_GT(vis.LeftCol(), 1);
    Key(m.get(), Qt::Key_Home);
    EXPECT_EQ(vis.LeftCol(), 1);
    Key(m.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(vis.TopLine(), m->Model().LineCount() - rows + 1);
    EXPECT_EQ(m->VerticalScrollBar()->value(), vis.TopLine());
    EXPECT_EQ(Caret(*m), 4);
}

TEST(MemoWidget, VerticalMovesKeepTheirColumnBookmarksAndTheEnds) {
    auto m = Shown<TQorMemo>("abcdefgh\r\nab\r\nabcdefgh\r\n" + NumberedLines(50));
    TMemoModel& md = m->Model();
    m->SetSelStart(6);  // line 1, column 7
    Key(m.get(), Qt::Key_Down);
    EXPECT_EQ(md.OffsetToPoint(Caret(*m)), (TPoint{3, 2}));
    Key(m.get(), Qt::Key_Down);
    EXPECT_EQ(md.OffsetToPoint(Caret(*m)), (TPoint{7, 3}));
    for (int i = 0; i < 3; ++i) Key(m.get(), Qt::Key_Up);
    EXPECT_EQ(md.OffsetToPoint(Caret(*m)), (TPoint{7, 1}));

    // Bookmarks: Ctrl+Shift+digit sets one, also as the shifted symbol a US
    // keyboard reports; Ctrl+digit goes there and scrolls it into view.
    m->SetSelStart(md.PointToOffset(3, 7) - 1);
    Key(m.get(), Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    m->SetSelStart(0);
    Key(m.get(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(md.OffsetToPoint(Caret(*m)), (TPoint{3, 7}));
    m->SetSelStart(md.PointToOffset(2, 45) - 1);
    Key(m.get(), Qt::Key_NumberSign, Qt::ControlModifier | Qt::ShiftModifier);
    m->SetSelStart(0);
    Key(m.get(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(md.OffsetToPoint(Caret(*m)), (TPoint{2, 45}));
    EXPECT_GT(md.VisibleRange().TopLine(), 1);
    // Page Down on the last page lands on the last line.
    for (int i = 0; i < 10; ++i) Key(m.get(), Qt::Key_PageDown);
    EXPECT_EQ(md.OffsetToPoint(Caret(*m)).Y, md.LineCount());
    EXPECT_EQ(md.VisibleRange().TopLine(), md.LineCount() - md.VisibleRows() + 1);

    // Right at a line end steps over the break; Left back too.
    m->SetSelStart(8);
    Key(m.get(), Qt::Key_Right);
    EXPECT_EQ(md.OffsetToPoint(Caret(*m)), (TPoint{1, 2}));
    Key(m.get(), Qt::Key_Left);
    Key(m.get(), Qt::Key_End, Qt::ShiftModifier);
    Key(m.get(), Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(m->GetSelText(), "abcdefgh");  // from the end of line 1 back to its start
    EXPECT_TRUE(md.Selection().Backwards());
}

TEST(MemoWidget, WordMovesAndCollapsingSelections) {
    // Letters of any script, digits, '_', '$' and '#' make words.
    auto m = Shown<TQorMemo>("select Цена_1, $b#\nnext");
    DoubleClick(m.get(), m->PointToClient({10, 1}) + QPoint(1, m->CharHeight() / 2));
    EXPECT_EQ(m->GetSelText(), "Цена_1");
    // The caret offset before and after Ctrl and an arrow.
    const std::tuple<int, Qt::Key, int> moves[] = {
        {1, Qt::Key_Right, 7},   {7, Qt::Key_Right, 8},  {8, Qt::Key_Right, 18},
        {23, Qt::Key_Right, 24},  // over the line break alone
        {24, Qt::Key_Left, 23},  {23, Qt::Key_Left, 20},
        {5, Qt::Key_Left, 1},     // inside the text's first word: back to its very start
    };
    for (const auto& [from, key, to] : moves) {
        m->Model().Selection().CollapseTo(from);
        Key(m.get(), key, Qt::ControlModifier);
        EXPECT_EQ(Caret(*m), to) << from;
    }

    // Without AlwaysShowCaret a plain arrow first collapses the selection.
    m->SetAlwaysShowCaret(false);
    m->SetSelStart(0);
    Key(m.get(), Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(m->CaretVisible());
    Key(m.get(), Qt::Key_Left);
    EXPECT_EQ(Caret(*m), 1);
    EXPECT_TRUE(m->GetSelText().empty());
    EXPECT_TRUE(m->CaretVisible());
}

TEST(MemoWidget, BackspaceDeleteTypingAndUndo) {
    auto m = Shown<TQorMemo>("ab\r\ncd");  // read as "ab\ncd"
    m->SetSelStart(3);  // column 1 of line 2
    Key(m.get(), Qt::Key_Backspace);
    EXPECT_EQ(m->GetText(), "abcd");
    EXPECT_EQ(Caret(*m), 3);
    Key(m.get(), Qt::Key_Return);
    Key(m.get(), Qt::Key_Tab);
    QTest::keyClicks(m.get(), "x");
    EXPECT_EQ(m->GetText(), "ab\n\txcd");
    m->SetSelStart(2);
    Key(m.get(), Qt::Key_Delete);
    EXPECT_EQ(m->GetText(), "ab\txcd");
    Key(m.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m->GetText(), "ab\n\txcd");
    Key(m.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m->GetText(), "ab\txcd");
    Key(m.get(), Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(m->GetText(), "ab\n\txcd");

    // Pasted and cut text is kept as UTF-8.
    m->SetText("Привет");
    m->SetSelStart(12);
    QGuiApplication::clipboard()->setText(QString::fromUtf8(" мир\nдва"));
    Key(m.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m->GetText(), "Привет мир\nдва");
    m->SelectAll();
    Key(m.get(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Привет мир\nдва"));
}

TEST(MemoWidget, MouseSelectsAndDragsScroll) {
    auto m = Shown<TQorMemo>("select a$b_#9 from t;\r\nline two");
    const QPoint from = m->PointToClient({1, 1}) + QPoint(0, 3);
    const QPoint to = m->PointToClient({5, 2}) + QPoint(0, 3);
    Mouse(m.get(), QEvent::MouseButtonPress, from);
    Mouse(m.get(), QEvent::MouseMove, to);
    Mouse(m.get(), QEvent::MouseButtonRelease, to);
    EXPECT_EQ(m->GetSelText(), "select a$b_#9 from t;\nline");
    // Shift does not extend a click.
    Mouse(m.get(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::ShiftModifier);
    Mouse(m.get(), QEvent::MouseButtonRelease, from, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(m->GetSelText(), "");

    // Dragging below the window scrolls after the pointer until the release.
    m->SetText(NumberedLines(200));
    Mouse(m.get(), QEvent::MouseButtonPress, from);
    Mouse(m.get(), QEvent::MouseMove, QPoint(20, m->height() + 40));
    const int top0 = m->Model().VisibleRange().TopLine();
    QTest::qWait(200);
    const int top1 = m->Model().VisibleRange().TopLine();
    EXPECT_GT(top1, top0 + 2);
    Mouse(m.get(), QEvent::MouseButtonRelease, QPoint(20, m->height() + 40));
    QTest::qWait(60);
    EXPECT_EQ(m->Model().VisibleRange().TopLine(), top1);
    EXPECT_EQ(m->GetSelStart(), 0);
    EXPECT_GT(m->GetSelText().size(), 20u);
}

// The backing store's pixels after each edit are checked against a full
// repaint by EditorWidget.IncrementalFramesMatchAFullRepaint; here the count
// of rows each change paints.
TEST(MemoWidget, PaintingIsIncremental) {
    auto m = std::make_unique<TQorMemo>();
    m->SetScrollBars(TScrollStyle::ssNone);
    m->SetBorderStyle(TBorderStyle::bsNone);
    m->resize(300, 10 * m->CharHeight());
    m->SetText(NumberedLines(100));
    ShowAndFocus(m.get());
    ASSERT_EQ(m->Model().VisibleRows(), 10);
    m->SetSelStart(m->Model().PointToOffset(3, 4) - 1);
    // A selection change repaints only the stretch between old and new end.
    EXPECT_EQ(RowsPaintedBy(*m, [&] { Key(m.get(), Qt::Key_Down, Qt::ShiftModifier); }), 2);
    // Scrolling moves the pixels and paints the one exposed row. (With the
    // focus, the caret's row is refreshed as well when the caret moves.)
    m->clearFocus();
    EXPECT_EQ(RowsPaintedBy(*m, [&] { m->VScroll(TScrollCode::LineDown); }), 1);
    EXPECT_EQ(m->Model().VisibleRange().TopLine(), 2);
    EXPECT_EQ(RowsPaintedBy(*m, [&] { m->VScroll(TScrollCode::LineUp); }), 1);
}

TEST(MemoWidget, EditsOfTheWidestLineRepaintOneRow) {
    // Lines wider than the window: the widest one sets the horizontal
    // scroll bar's limit, and editing it changes only that and the row.
    auto m = Shown<TQorMemo>("short\r\n" + std::string(60, 'w') + "\r\n" + std::string(50, 'n') + "\r\nend", 300, 150);
    struct PaintCount : QObject {
        int n = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++n;
            return false;
        }
    } vbarPaints;
    m->VerticalScrollBar()->installEventFilter(&vbarPaints);
    const QScrollBar* hbar = m->HorizontalScrollBar();
    const int limit = hbar->maximum();
    m->SetSelStart(m->Model().PointToOffset(31, 2) - 1);
    EXPECT_EQ(RowsPaintedBy(*m, [&] { QTest::keyClicks(m.get(), "w"); }), 1);
    EXPECT_EQ(hbar->maximum(), limit + 1);

    // Typing with the caret in the last column of the window leaves the
    // vertical scroll bar beside it alone.
    Key(m.get(), Qt::Key_Down);
    Key(m.get(), Qt::Key_End);
    Key(m.get(), Qt::Key_Backspace);
    QTest::qWait(20);
    const int left = m->Model().VisibleRange().LeftCol();
    ASSERT_GT(left, 1);
    vbarPaints.n = 0;
    EXPECT_EQ(RowsPaintedBy(*m, [&] { QTest::keyClicks(m.get(), "n"); }), 1);
    EXPECT_EQ(m->Model().VisibleRange().LeftCol(), left);
    EXPECT_EQ(vbarPaints.n, 0);

    // Taking the widest line back while scrolled to its end pulls the
    // window back to the new limit.
    Key(m.get(), Qt::Key_Up);
    Key(m.get(), Qt::Key_End);
    const int far = m->Model().VisibleRange().LeftCol();
    for (int i = 0; i < 5; ++i) Key(m.get(), Qt::Key_Backspace);
    QTest::qWait(20);
    EXPECT_EQ(m->Model().VisibleRange().LeftCol(), far - 5);
    EXPECT_EQ(hbar->maximum(), far - 5);
    m->VerticalScrollBar()->removeEventFilter(&vbarPaints);
}

// The program appends to a shown read-only pane: it repaints once per pass
// of the event loop, not once per line, and keeps the last line in view.
TEST(MemoWidget, AppendsArePaintedInOneGo) {
    auto m = Shown<TQorMemo>("", 500, 300);
    m->SetReadOnly(true);
    const int rows = m->Model().VisibleRows();
    QTest::qWait(20);
    m->ResetPaintedLines();
    for (int i = 0; i < 5000; ++i) {
        m->Lines().Add("row " + std::to_string(i) + "  some text   12345.67  " + std::string(i % 20, 'x'));
        if (i % 1000 == 999) QApplication::processEvents();
    }
    QTest::qWait(20);
    EXPECT_LE(m->PaintedLines(), 6 * rows);
    EXPECT_EQ(m->Model().VisibleRange().TopLine(), 5000 - rows + 1);
    EXPECT_EQ(m->VerticalScrollBar()->value(), m->Model().VisibleRange().TopLine());
}

// Characters of every script typed as a keyboard delivers them, the caret
// and the edit keys stepping over whole characters.
TEST(MemoWidget, CharactersOfEveryScript) {
    auto m = Shown<TQorMemo>("");
    TypeText(m.get(), QString::fromUtf8("é Ж 漢😀"));
    // Backspace takes the emoji whole, undo brings it back whole.
    Key(m.get(), Qt::Key_Backspace);
    EXPECT_EQ(m->GetText(), "é Ж 漢");
    Key(m.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m->GetText(), "é Ж 漢😀");
    // Left steps over the emoji and 漢 whole; Backspace then takes the blank.
    m->Model().Selection().CollapseTo(m->Model().TextLength() + 1);
    Key(m.get(), Qt::Key_Left);
    Key(m.get(), Qt::Key_Left);
    Key(m.get(), Qt::Key_Backspace);
    EXPECT_EQ(m->GetText(), "é Ж漢😀");

    // Wide characters take two cells: down from after 漢字 lands at the end
    // of "ab", up again at the same cells.
    m->SetText("漢字\nab");
    m->Model().Selection().CollapseTo(7);
    Key(m.get(), Qt::Key_Down);
    EXPECT_EQ(Caret(*m), 10);
    Key(m.get(), Qt::Key_Up);
    EXPECT_EQ(Caret(*m), 7);

    // A letter and its combining mark are one step for the arrows and for
    // Delete; a selection never ends inside a character.
    m->SetText("xe\u0301y");
    m->SetSelStart(1);
    Key(m.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(m->GetSelText(), "e\u0301");
    Key(m.get(), Qt::Key_Left);
    Key(m.get(), Qt::Key_Delete);
    EXPECT_EQ(m->GetText(), "xy");

    // A composed character from an input method arrives whole.
    m->SetText("");
    QInputMethodEvent compose;
    compose.setCommitString(QString::fromUtf8("ö"));
    QApplication::sendEvent(m.get(), &compose);
    EXPECT_EQ(m->GetText(), "ö");

    // Lines of every script in a read-only pane.
    m->SetText("");
    m->SetReadOnly(true);
    m->resize(520, 200);
    for (const char* line : {"SQL> select name from goods;", "Cyrillic: Съешь же ещё этих мягких булок",
                             "Latin:    Voix ambiguë d'un cœur qui préfère", "CJK:      漢字 |", "Emoji:    😀🎉 |",
                             "Marks:    e\u0301te\u0301x |", "Legacy:   \xCF\xF0\xE8\xE2 |", "Kana:     かな 한글 |"})
        m->Lines().Add(line);
    m->Model().Selection().CollapseTo(m->Model().PointToOffset(5, 2));
    Key(m.get(), Qt::Key_End, Qt::ShiftModifier);
    SaveShot(m.get(), "every_script.png");
    // The bars after the CJK, the emoji and the legacy bytes stand in the
    // same column as the bar after the marks: wide characters fill two
    // cells, marks none.
    for (int line = 4; line <= 7; ++line) EXPECT_EQ(m->Model().LineWidth(line), 16) << line;
}
