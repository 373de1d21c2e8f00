// The SQL editor control: typing aids, colouring on screen, font change.
#include <QBackingStore>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "WidgetTestUtil.h"
#include "editor/ConsoleInputColoring.h"
#include "editor/TQorEditor.h"
#include "editor/TSelectionRange.h"
#include "editor/TVisibleRange.h"

namespace {

std::unique_ptr<TQorEditor> ShownEditor(std::string_view text, int w = 420, int h = 200) {
    auto e = std::make_unique<TQorEditor>();
    SetupConsoleInputColoring(e->SyntaxColoring());
    e->resize(w, h);
    e->SetText(text);
    ShowAndFocus(e.get());
    return e;
}

int Caret(TQorEditor& e) { return e.Model().Selection().CaretOffset(); }

// Glyphs are smoothed: a pixel counts as drawn in a colour when it is a
// blend of that colour and the background with at least half the colour.
bool Inked(QColor p, QColor c, QColor bg) {
    double sum = 0, weight = 0;
    const int pc[3] = {p.red(), p.green(), p.blue()}, cc[3] = {c.red(), c.green(), c.blue()},
              bc[3] = {bg.red(), bg.green(), bg.blue()};
    for (int i = 0; i < 3; ++i) {
        if (std::abs(bc[i] - cc[i]) < 64) continue;
        sum += double(bc[i] - pc[i]) / (bc[i] - cc[i]);
        weight += 1;
    }
    if (weight == 0) return p == c;
    const double a = sum / weight;
    if (a < 0.5) return false;
    for (int i = 0; i < 3; ++i)
        if (std::abs(pc[i] - (bc[i] + a * (cc[i] - bc[i]))) > 40) return false;
    return true;
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

TEST(EditorWidget, EnterRepeatsTheLeadingBlanks) {
    auto e = ShownEditor("\t  select x\r\nnext");
    e->SetSelStart(6);  // after "sel"
    Key(e.get(), Qt::Key_Return);
    EXPECT_EQ(e->GetText(), "\t  sel\n\t  ect x\nnext");
    EXPECT_EQ(e->Model().OffsetToPoint(Caret(*e)), (TPoint{4, 2}));

    // Inside the blanks only those before the caret are copied; the rest
    // moves down with the text.
    e->SetText("\t  x");
    e->SetSelStart(2);
    Key(e.get(), Qt::Key_Return);
    EXPECT_EQ(e->GetText(), "\t \n\t  x");

    // A selection is replaced by the break and the indentation.
    e->SetText("  abc def");
    e->Model().Selection().CollapseTo(4);
    e->Model().Selection().ExtendTo(8);
    Key(e.get(), Qt::Key_Return);
    EXPECT_EQ(e->GetText(), "  a\n  ef");

    e->SetAutoIndent(false);
    e->SetText("  abc");
    e->SetSelStart(5);
    Key(e.get(), Qt::Key_Return);
    EXPECT_EQ(e->GetText(), "  abc\n");
}

TEST(EditorWidget, BlockExpansionAndReadOnly) {
    auto e = ShownEditor("  \r\nx");
    e->SetAutoIndentIncrease(true);
    e->SetSelStart(2);
    QTest::keyClicks(e.get(), "{");
    EXPECT_EQ(e->GetText(), "  {\n  \t\n  }\nx");
    EXPECT_EQ(e->Model().OffsetToPoint(Caret(*e)), (TPoint{4, 2}));

    // After other text, or in the middle of a line, it is just a character.
    e->SetText("if x");
    e->SetSelStart(4);
    QTest::keyClicks(e.get(), "{");
    EXPECT_EQ(e->GetText(), "if x{");
    e->SetText("  ab");
    e->SetSelStart(2);
    QTest::keyClicks(e.get(), "{");
    EXPECT_EQ(e->GetText(), "  {ab");
    // At the very end of the text it expands too.
    e->SetText("\t");
    e->SetSelStart(1);
    QTest::keyClicks(e.get(), "{");
    EXPECT_EQ(e->GetText(), "\t{\n\t\t\n\t}");

    e->SetReadOnly(true);
    const std::string before = e->GetText();
    Key(e.get(), Qt::Key_Return);
    QTest::keyClicks(e.get(), "{a");
    EXPECT_EQ(e->GetText(), before);
}

TEST(EditorWidget, DrawsTokensInTheirColoursAndSplitsThemAtTheSelection) {
    auto e = ShownEditor("select 'a--b' -- note\r\nfrom t where x = 12;");
    QApplication::processEvents();
    const QColor navy(0, 0, 0x80), blue(0, 0, 0xFF), gray(0x80, 0x80, 0x80), red(0xFF, 0, 0);
    EXPECT_GT(CountColour(*e, {1, 1}, 6, navy), 10);      // select
    EXPECT_GT(CountColour(*e, {8, 1}, 6, blue), 10);      // 'a--b'
    EXPECT_EQ(CountColour(*e, {8, 1}, 6, gray), 0);
    EXPECT_GT(CountColour(*e, {15, 1}, 7, gray), 10);     // -- note
    EXPECT_GT(CountColour(*e, {18, 2}, 2, red), 10);      // 12
    EXPECT_EQ(CountColour(*e, {1, 2}, 4, red), 0);

    // Half of "select" selected: the selected half is drawn in the highlight
    // colours, the other half stays navy.
    e->Model().Selection().CollapseTo(4);
    e->Model().Selection().ExtendTo(7);
    QApplication::processEvents();
    const QColor highlight = e->palette().color(QPalette::Highlight);
    EXPECT_GT(CountColour(*e, {1, 1}, 3, navy), 5);
    EXPECT_EQ(CountColour(*e, {4, 1}, 3, navy), 0);
    EXPECT_GT(CountColour(*e, {4, 1}, 3, highlight), 3 * e->CharWidth());
}

TEST(EditorWidget, TypingRepaintsOneLineAndRecolours) {
    // The scan re-colours from the token before the edit to the next token
    // that comes out as before: here the end of line 2.
    auto e = ShownEditor("select a;\r\nfrom b;\r\nwhere c;\r\norder by d;");
    e->SetSelStart(e->Model().PointToOffset(5, 2) - 1);
    QTest::qWait(20);
    e->ResetPaintedLines();
    QTest::keyClicks(e.get(), "x");
    QTest::qWait(20);
    EXPECT_LE(e->PaintedLines(), 2);
    EXPECT_LT(CountColour(*e, {1, 2}, 4, QColor(0, 0, 0x80)), 5);  // "fromx" is no keyword
    Key(e.get(), Qt::Key_Backspace);
    QApplication::processEvents();
    EXPECT_GT(CountColour(*e, {1, 2}, 4, QColor(0, 0, 0x80)), 10);
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
    auto shown = [&] {
        // The scroll bars follow a moment later.
        QTest::qWait(10);
        return dynamic_cast<QImage*>(e->backingStore()->paintDevice())->copy();
    };
    auto check = [&](const char* step) {
        const QImage incremental = shown();
        e->update();
        EXPECT_EQ(incremental, shown()) << step;
    };
    ASSERT_NE(dynamic_cast<QImage*>(e->backingStore()->paintDevice()), nullptr);
    e->SetSelStart(e->Model().PointToOffset(9, 1) - 1);
    check("caret placed");
    QTest::keyClicks(e.get(), "x");
    check("typed in a keyword");
    Key(e.get(), Qt::Key_Backspace);
    check("taken back");
    QTest::keyClicks(e.get(), "'");
    check("a quote opens a string");
    Key(e.get(), Qt::Key_Delete);
    check("deleted after the caret");
    Key(e.get(), Qt::Key_Right, Qt::ShiftModifier);
    Key(e.get(), Qt::Key_Right, Qt::ShiftModifier);
    check("selection grows");
    Key(e.get(), Qt::Key_Left, Qt::ShiftModifier);
    check("selection shrinks");
    QTest::keyClicks(e.get(), "zz");
    check("typed over the selection");
    Key(e.get(), Qt::Key_Down);
    Key(e.get(), Qt::Key_End);
    check("moved to the end of a scrolled line");
    EXPECT_GT(e->Model().VisibleRange().LeftCol(), 1);
    QTest::keyClicks(e.get(), "abc");
    Key(e.get(), Qt::Key_Backspace);
    check("typed at the end of the line");
    Key(e.get(), Qt::Key_Home);
    Key(e.get(), Qt::Key_Delete);
    check("deleted a tab");
    QTest::keyClicks(e.get(), "\t");
    check("typed a tab");
}

TEST(EditorWidget, FontChangeRecoloursInTheNewFont) {
    auto e = ShownEditor("select 1");
    const int h = e->CharHeight();
    TFont f = e->Font();
    f.Size = 16;
    e->SetFont(f);
    EXPECT_GT(e->CharHeight(), h);
    ASSERT_NE(e->Editor().FirstRange(), nullptr);
    for (TSyntaxRange* t = e->Editor().FirstRange(); t; t = t->NextRange()) EXPECT_EQ(t->GetFont()->Size, 16);
    QApplication::processEvents();
    EXPECT_GT(CountColour(*e, {1, 1}, 6, QColor(0, 0, 0x80)), 20);
}

TEST(EditorWidget, ColouredScriptScreenshot) {
    auto e = ShownEditor(
        "-- goods with their prices\r\n"
        "select g.id, g.name, round(p.price * 1.2, 2) as gross\r\n"
        "  from goods g\r\n"
        "  join prices p on (p.goods_id = g.id)\r\n"
        " where g.name like 'Чай%' or g.name = 'Café 漢字 😀' /* tea */\r\n"
        "   and p.price > 10\r\n"
        " order by g.name;\r\n"
        "pragma table_info(goods);",
        560, 200);
    e->Model().Selection().CollapseTo(e->Model().PointToOffset(3, 3));
    e->Model().Selection().ExtendTo(e->Model().PointToOffset(10, 4));
    SaveShot(e.get(), "sql_editor.png");
    EXPECT_TRUE(e->CaretVisible());
}

TEST(EditorWidget, TypingIntoALargeScriptMeasured) {
    // Once with ASCII text, once with a script a third of whose characters
    // are not ASCII.
    for (const bool mixed : {false, true}) {
        // The widest line is the first one: typing elsewhere moves no scroll
        // bar (on the widest line each key also repaints the scroll bar).
        std::string script = "-- " + std::string(200, '=') + "\n";
        for (int i = 0; script.size() < 1'000'000; ++i)
            script += mixed ? "select id, имя, цена from товары where id = " + std::to_string(i) +
                                  " and имя like 'Чай 漢字 é%'; -- строка\n"
                            : "select id, name, round(price * 1.2, 2) from goods where id = " + std::to_string(i) +
                                  " and name like 'a%'; -- row\n";
        // A character typed and taken back with Backspace, over and over, in
        // the middle of the script: each key is one edit and one re-colouring.
        const int keys = 400;
        auto typeInto = [&](TEditorModel& m, auto&& key) {
            m.Selection().CollapseTo(m.PointToOffset(5, m.LineCount() / 2));
            const auto t0 = std::chrono::steady_clock::now();
            for (int i = 0; i < keys; ++i) key(i % 2 == 1);
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        };
        // The floor under a key: a frame that paints no text (the corner of
        // the sunken border); and a frame that repaints one whole text row.
        auto frame = [](QWidget* w, QRect r) {
            const int n = 200;
            const auto t0 = std::chrono::steady_clock::now();
            for (int i = 0; i < n; ++i) {
                w->update(r);
                QApplication::processEvents();
            }
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / n;
        };
        double model = 1e9, widget = 1e9, empty = 1e9, row = 1e9;
        for (int round = 0; round < 2; ++round) {
            TEditorModel plain;
            SetupConsoleInputColoring(plain.SyntaxColoring());
            plain.SetText(script);
            model = std::min(model, typeInto(plain, [&](bool back) {
                TSelectionRange& sel = plain.Selection();
                if (back) {
                    sel.BeginUpdate();
                    sel.SetRStart(sel.RStart() - 1);
                    sel.EndUpdateQuiet();
                    sel.SetText("");
                } else {
                    sel.SetText("x");
                }
            }));

            auto e = ShownEditor("");
            e->SetText(script);
            QApplication::processEvents();
            widget = std::min(widget, typeInto(e->Editor(), [&](bool back) {
                QKeyEvent press(QEvent::KeyPress, back ? Qt::Key_Backspace : Qt::Key_X, Qt::NoModifier, back ? "\b" : "x");
                QApplication::sendEvent(e.get(), &press);
                QApplication::processEvents();
            }));
            EXPECT_EQ(e->GetTextLength(), static_cast<int>(script.size()));
            empty = std::min(empty, frame(e.get(), QRect(0, 0, 2, 2)));
            row = std::min(row, frame(e.get(), QRect(e->ClientArea().topLeft(), QSize(e->ClientArea().width(), e->CharHeight()))));
        }
        std::printf("%s script: a frame without text (border corner): %.1f us; a frame repainting one text row: %.1f us\n",
                    mixed ? "mixed-script" : "ASCII", empty * 1e6, row * 1e6);
        std::printf("%d keys into a 1 MB script: model %.1f us/key, editor widget with painting %.1f us/key\n", keys,
                    model / keys * 1e6, widget / keys * 1e6);
        std::printf("ratios: widget/model %.2f, widget/empty frame %.2f (target <= 4), widget/one-row frame %.2f\n",
                    widget / model, widget / keys / empty, widget / keys / row);
        // Reported, not enforced: a loaded machine moves these ratios.
        EXPECT_GT(widget, 0.0);
    }
}
