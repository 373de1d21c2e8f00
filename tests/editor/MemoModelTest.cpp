#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "RecordingView.h"
#include "base/Utf8.h"
#include "editor/TMemoModel.h"
#include "editor/TMCRanges.h"
#include "editor/TQorMemoStrings.h"
#include "editor/TSelectionRange.h"

namespace {

// Widths in cells: a tab to its stop, every other character as wide as it
// shows.
int WidestFromScratch(std::string_view t, int tab) {
    int widest = 0, v = 0;
    for (size_t i = 0; i <= t.size(); ++i) {
        const size_t next = std::min(t.find_first_of("\t\n", i), t.size());
        v += DisplayWidth(t.substr(i, next - i));
        i = next;
        if (i < t.size() && t[i] == '\t') {
            v += tab - v % tab;
        } else {
            widest = std::max(widest, v);
            v = 0;
        }
    }
    return widest;
}

// The line table and the widest line agree with the text itself.
void ExpectConsistent(const TMemoModel& m) {
    const std::string t(m.Text());
    int line = 1;
    for (size_t i = t.find('\n'); i != std::string::npos; i = t.find('\n', i + 1))
        ASSERT_EQ(m.PointToOffset(1, ++line), static_cast<int>(i) + 2) << "line " << line;
    ASSERT_EQ(m.LineCount(), line);
    ASSERT_EQ(m.MaxLineWidth(), WidestFromScratch(t, m.TabSize()));
}

}  // namespace

// Offsets count bytes, columns characters, visual columns screen cells.
TEST(MemoModel, ColumnsCountCharactersAndCells) {
    TMemoModel m;
    m.SetText("aé漢😀e\u0301x\n\t漢\nЖ\xFFz\n");
    // a 1, é 2-3, 漢 4-6, 😀 7-10, e 11, mark 12-13, x 14, LF 15
    EXPECT_EQ(m.LineCount(), 4);  // a trailing break makes an empty last line
    EXPECT_EQ(m.OffsetToPoint(15), (TPoint{8, 1}));  // the LF of line 1
    EXPECT_EQ(m.OffsetToPoint(m.TextLength() + 1), (TPoint{1, 4}));
    EXPECT_EQ(m.PointToOffset(10, 1), 17);  // past the line's end: a byte per column
    EXPECT_EQ(m.PointToVisualColumn(4, 1), 5);  // after a, é and the wide 漢
    EXPECT_EQ(m.PointToVisualColumn(7, 1), 8);  // the emoji is wide too, the mark takes no cell
    EXPECT_EQ(m.LineWidth(2), 6);               // a tab to its stop, then a wide character
    EXPECT_EQ(m.LineWidth(3), 3);               // an ill-formed byte is one cell
    EXPECT_EQ(m.MaxLineWidth(), 8);
    // A visual column inside a wide character lands before it; one after a
    // letter with a mark lands after the mark.
    EXPECT_EQ(m.VisualToPoint(4, 1), (TPoint{3, 1}));
    EXPECT_EQ(m.VisualToPoint(8, 1), (TPoint{7, 1}));
    for (int o = 1; o <= m.TextLength() + 1; o = m.NextCharOffset(o) == o ? o + 1 : m.NextCharOffset(o)) {
        const TPoint p = m.OffsetToPoint(o);
        EXPECT_EQ(m.PointToOffset(p.X, p.Y), o);
    }
    // Caret steps take a character, a letter with its marks, and a line break.
    EXPECT_EQ(m.NextCharOffset(11), 14);
    EXPECT_EQ(m.NextCharOffset(15), 16);
    EXPECT_EQ(m.PrevCharOffset(m.TextLength()), m.TextLength() - 1);  // the stray byte alone
}

TEST(MemoModel, TabsExpandToTheNextStop) {
    TMemoModel m;
    m.SetText("\tx\nab\tc\nabc\td");
    EXPECT_EQ(m.PointToVisualColumn(2, 1), 5);
    EXPECT_EQ(m.PointToVisualColumn(4, 2), 5);
    EXPECT_EQ(m.TabWidthAt(m.PointToOffset(4, 3)), 1);  // a tab at visual column 4 covers one column
    int reached = 0;
    EXPECT_EQ(m.VisualToPoint(3, 1, reached), (TPoint{1, 1}));  // inside the tab
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(m.VisualToPoint(99, 7), (TPoint{6, 3}));  // clamped line and column
    m.SetTabSize(0);
    EXPECT_EQ(m.PointToVisualColumn(4, 2), 4);  // at least one column
    m.SetTabSize(8);
    EXPECT_EQ(m.MaxLineWidth(), 9);
}

TEST(MemoModel, LineBreaksAreNormalisedBeforeCounting) {
    TMemoModel m;
    // CR LF and a lone CR become LF; LF CR is two breaks.
    m.SetText("a\nb\rc\n\rd\r\ne");
    EXPECT_EQ(m.Text(), "a\nb\nc\n\nd\ne");
    m.Selection().CollapseTo(2);
    m.Selection().SetText("\r\n\r");
    EXPECT_EQ(m.Text(), "a\n\n\nb\nc\n\nd\ne");
    EXPECT_EQ(m.Selection().CaretOffset(), 4);
    ExpectConsistent(m);
}

// What the view is told after each edit: one line, or the scroll limits too.
TEST(MemoModel, DisplayStepsOfAnEdit) {
    TMemoModel m;
    RecordingView view;
    m.SetText("abc\nlonger line\nxy");
    m.SetView(&view);
    int changes = 0;
    m.OnChange = [&] { ++changes; };
    const struct {
        int start, end;
        const char* text;
        std::vector<std::string> calls;
    } steps[] = {
        {2, 1, "Z", {"repaint 1..5"}},                   // same lines, not the widest: one line
        {3, 2, "\n", {"scrollbars"}},                    // a new line: everything
        {7, 7, "L", {"repaint 6..18"}},                  // the widest line keeps its width
        {7, 7, "LL", {"repaint 6..19", "widest"}},       // wider than any line was
        {7, 8, "", {"repaint 6..17", "widest"}},         // narrower again
        {1, 0, "01234567", {"repaint 1..11"}},           // as wide as the widest line: no new limits
        {1, 1, "", {"repaint 1..10"}},                   // narrower, with another line as wide still
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        TMCRange r(&m);
        r.SetRStart(step.start);
        r.SetREnd(step.end);
        view.calls.clear();
        r.SetText(step.text);
        EXPECT_EQ(view.calls, step.calls);
    }
    EXPECT_EQ(changes, 7);
    EXPECT_EQ(m.MaxLineWidth(), 10);
    m.SetView(nullptr);
}

TEST(MemoModel, RandomEditsKeepTableRangesAndHistoryConsistent) {
    std::mt19937 rng(20240611);
    // Mixed scripts: edits land inside characters too, and the text must
    // stay whole characters throughout.
    const std::vector<std::string> alphabet = {"a", "b", " ", "\t", "\n", "x", "é", "漢", "😀", "Ж", "e\u0301", "\r\n"};
    auto randomText = [&](int maxLen) {
        std::string s;
        for (int n = static_cast<int>(rng() % (maxLen + 1)); n > 0; --n) s += alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 12; ++round) {
        TMemoModel m;
        m.SetTabSize(1 + static_cast<int>(rng() % 5));
        m.SetText(randomText(120));
        const std::string initial(m.Text());
        TMCRange barrier(&m);  // an empty edit: a record that nothing merges into
        barrier.SetText("");
        const size_t historyBase = m.UndoList().size();
        std::vector<TMCRange*> ranges;  // owned by the model's list
        for (int i = 0; i < 6; ++i) {
            ranges.push_back(new TMCRange(&m.Ranges()));
            ranges.back()->SetRStart(1 + static_cast<int>(rng() % (m.TextLength() + 1)));
            ranges.back()->SetREnd(ranges.back()->RStart() + static_cast<int>(rng() % 10) - 1);
        }
        for (int step = 0; step < 250; ++step) {
            const int op = static_cast<int>(rng() % 10);
            if (op == 8) {
                if (m.UndoList().size() > historyBase) m.Undo();
            } else if (op == 9) {
                m.Redo();
            } else {
                TMCRange r(&m);
                const int s = 1 + static_cast<int>(rng() % (m.TextLength() + 1));
                r.SetRStart(s);
                r.SetREnd(s - 1 + (op < 3 ? 0 : static_cast<int>(rng() % 6)));
                r.SetText(op >= 6 ? std::string() : randomText(6));
            }
            ASSERT_NO_FATAL_FAILURE(ExpectConsistent(m));
            ASSERT_TRUE(IsValidUtf8(m.Text())) << "a character was split";
            for (auto* r : ranges) {
                ASSERT_TRUE(r->RStart() >= 1 && r->REnd() <= m.TextLength() && r->REnd() >= r->RStart() - 1)
                    << r->RStart() << ".." << r->REnd();
            }
        }
        const std::string final(m.Text());
        while (m.UndoList().size() > historyBase) m.Undo();
        EXPECT_EQ(m.Text(), initial);
        while (m.CanUndo(true)) m.Redo();
        EXPECT_EQ(m.Text(), final);
    }
}

TEST(MemoModel, AnEditNeverSplitsACharacter) {
    TMemoModel m;
    m.SetText("aé漢b");  // a 1, é 2-3, 漢 4-6, b 7
    const std::tuple<int, int, const char*, const char*> edits[] = {
        {3, 2, "X", "aXé漢b"},  // an insertion inside é goes before it
        {6, 6, "", "aXéb"},     // one byte inside 漢: the whole character goes
        {3, 4, "Y", "aXYb"},    // é's first byte only
    };
    for (const auto& [start, end, text, after] : edits) {
        TMCRange r(&m);
        r.SetRStart(start);
        r.SetREnd(end);
        r.SetText(text);
        EXPECT_EQ(m.Text(), after);
    }
    ExpectConsistent(m);
}

// The memo's lines as a string list, as the console's output pane uses them.
TEST(MemoModel, OutputLinesAppendAndDropTheOldestInOneEdit) {
    TMemoModel memo;
    RecordingView view;
    memo.SetView(&view);
    auto& lines = static_cast<TQorMemoStrings&>(memo.Lines());
    lines.Add("");
    EXPECT_EQ(lines.Count(), 0);
    lines.Add("the widest line of them all");
    for (int i = 0; i < 9; ++i) lines.Add("line " + std::to_string(i));
    EXPECT_EQ(view.calls.back(), "bottom");
    lines.Insert(1, "mid");
    lines.Delete(3);
    lines.Put(1, "line 2");
    memo.SetTabSize(8);
    lines.Add("\tx");  // a tab expands: width 9 with stops of 8
    lines.DeleteLines(0, 3);
    EXPECT_EQ(lines[0], "line 2");
    EXPECT_EQ(memo.MaxLineWidth(), 9);
    lines.DeleteLines(5, 100);  // through the end: the break before goes too
    EXPECT_EQ(memo.Text(), "line 2\nline 3\nline 4\nline 5\nline 6");
    EXPECT_EQ(memo.MaxLineWidth(), 6);
    lines.Delete(4);  // the last line goes with the break before it
    lines.DeleteLines(0, 4);
    EXPECT_EQ(memo.TextLength(), 0);
    lines.DeleteLines(0, 1);  // nothing left: nothing happens
    memo.SetView(nullptr);
}
