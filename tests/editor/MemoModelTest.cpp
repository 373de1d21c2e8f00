#include <gtest/gtest.h>

#include <random>

#include "RecordingView.h"
#include "base/TStrings.h"
#include "base/Utf8.h"
#include "editor/TMemoModel.h"
#include "editor/TMCRanges.h"
#include "editor/TQorMemoStrings.h"
#include "editor/TSelectionRange.h"
#include "editor/TWholeTextRange.h"

namespace {

std::vector<int> StartsFromScratch(std::string_view t) {
    std::vector<int> starts{1};
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i] == '\n') starts.push_back(static_cast<int>(i) + 2);
    return starts;
}

// Widths in cells: a tab to its stop, every other character as wide as it
// shows.
int WidestFromScratch(std::string_view t, int tab) {
    int widest = 0, v = 0;
    for (size_t i = 0; i <= t.size();) {
        if (i == t.size() || t[i] == '\n') {
            widest = std::max(widest, v);
            v = 0;
            ++i;
        } else if (t[i] == '\t') {
            v += tab - v % tab;
            ++i;
        } else {
            const Utf8Char c = DecodeUtf8(t, i);
            v += CharCells(c);
            i += c.length;
        }
    }
    return widest;
}

void ExpectConsistent(const TMemoModel& m) {
    const std::string t(m.Text());
    const auto starts = StartsFromScratch(t);
    ASSERT_EQ(m.LineCount(), static_cast<int>(starts.size()));
    for (int i = 0; i < m.LineCount(); ++i) ASSERT_EQ(m.PointToOffset(1, i + 1), starts[i]) << "line " << i + 1;
    ASSERT_EQ(m.MaxLineWidth(), WidestFromScratch(t, m.TabSize()));
}

}  // namespace

TEST(MemoModel, LineStructureAndCoordinates) {
    TMemoModel m;
    EXPECT_EQ(m.LineCount(), 1);
    EXPECT_EQ(m.LineLength(1), 0);
    m.SetText("ab\ncde\n");
    EXPECT_EQ(m.LineCount(), 3);  // a trailing break makes an empty last line
    EXPECT_EQ(m.LineLength(2), 3);
    EXPECT_EQ(m.LineLength(3), 0);
    EXPECT_EQ(m.OffsetToPoint(1), (TPoint{1, 1}));
    EXPECT_EQ(m.OffsetToPoint(3), (TPoint{3, 1}));  // the LF of line 1
    EXPECT_EQ(m.OffsetToPoint(4), (TPoint{1, 2}));
    EXPECT_EQ(m.OffsetToPoint(8), (TPoint{1, 3}));  // text length + 1
    EXPECT_EQ(m.PointToOffset(7, 0), 7);
    EXPECT_EQ(m.PointToOffset(1, 9), m.TextLength() + 1 + 1);
    for (int o = 1; o <= m.TextLength() + 1; ++o) {
        const TPoint p = m.OffsetToPoint(o);
        EXPECT_EQ(m.PointToOffset(p.X, p.Y), o);
    }
}

// Offsets count bytes, columns characters, visual columns screen cells.
TEST(MemoModel, ColumnsCountCharactersAndCells) {
    TMemoModel m;
    m.SetText("aé漢😀e\u0301x\n\t漢\nЖ\xFFz");
    // a 1, é 2-3, 漢 4-6, 😀 7-10, e 11, mark 12-13, x 14, LF 15
    EXPECT_EQ(m.LineLength(1), 7);
    EXPECT_EQ(m.OffsetToPoint(4), (TPoint{3, 1}));
    EXPECT_EQ(m.OffsetToPoint(7), (TPoint{4, 1}));
    EXPECT_EQ(m.OffsetToPoint(15), (TPoint{8, 1}));
    EXPECT_EQ(m.PointToOffset(3, 1), 4);
    EXPECT_EQ(m.PointToOffset(5, 1), 11);
    EXPECT_EQ(m.PointToOffset(10, 1), 17);  // past the line's end: a byte per column
    EXPECT_EQ(m.PointToVisualColumn(4, 1), 5);  // after a, é and the wide 漢
    EXPECT_EQ(m.PointToVisualColumn(5, 1), 7);  // the emoji is wide too
    EXPECT_EQ(m.PointToVisualColumn(7, 1), 8);  // the combining mark takes no cell
    EXPECT_EQ(m.LineWidth(1), 8);
    EXPECT_EQ(m.LineWidth(2), 6);  // a tab to its stop, then a wide character
    EXPECT_EQ(m.LineWidth(3), 3);  // an ill-formed byte is one cell
    EXPECT_EQ(m.MaxLineWidth(), 8);
    // A visual column inside a wide character lands before it; one after a
    // letter with a mark lands after the mark.
    EXPECT_EQ(m.VisualToPoint(4, 1), (TPoint{3, 1}));
    EXPECT_EQ(m.VisualToPoint(5, 1), (TPoint{4, 1}));
    EXPECT_EQ(m.VisualToPoint(8, 1), (TPoint{7, 1}));
    for (int o = 1; o <= m.TextLength() + 1; o = m.NextCharOffset(o) == o ? o + 1 : m.NextCharOffset(o)) {
        const TPoint p = m.OffsetToPoint(o);
        EXPECT_EQ(m.PointToOffset(p.X, p.Y), o);
    }
    // Caret steps take a character, a letter with its marks, and a line break.
    EXPECT_EQ(m.NextCharOffset(2), 4);
    EXPECT_EQ(m.NextCharOffset(7), 11);
    EXPECT_EQ(m.NextCharOffset(11), 14);
    EXPECT_EQ(m.PrevCharOffset(14), 11);
    EXPECT_EQ(m.PrevCharOffset(16), 15);
    EXPECT_EQ(m.NextCharOffset(15), 16);
    EXPECT_EQ(m.PrevCharOffset(m.TextLength() + 1), m.TextLength());  // the stray byte alone
    EXPECT_EQ(m.CharStart(5), 4);
    EXPECT_EQ(m.CharStart(9), 7);
}

TEST(MemoModel, TabsExpandToTheNextStop) {
    TMemoModel m;
    m.SetText("\tx\nab\tc\nabc\td");
    EXPECT_EQ(m.PointToVisualColumn(2, 1), 5);
    EXPECT_EQ(m.PointToVisualColumn(4, 2), 5);
    EXPECT_EQ(m.TabWidthAt(m.PointToOffset(3, 2)), 2);
    EXPECT_EQ(m.TabWidthAt(m.PointToOffset(4, 3)), 1);  // a tab at visual column 4 covers one column
    EXPECT_EQ(m.LineWidth(1), 5);
    EXPECT_EQ(m.MaxLineWidth(), 5);
    int reached = 0;
    EXPECT_EQ(m.VisualToPoint(3, 1, reached), (TPoint{1, 1}));  // inside the tab
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(m.VisualToPoint(5, 1), (TPoint{2, 1}));
    EXPECT_EQ(m.VisualToPoint(99, 7), (TPoint{6, 3}));  // clamped line and column
    m.SetTabSize(0);
    EXPECT_EQ(m.TabSize(), 1);
    EXPECT_EQ(m.PointToVisualColumn(4, 2), 4);
    EXPECT_EQ(m.TabWidthAt(1), 1);
    EXPECT_EQ(m.MaxLineWidth(), 5);
    m.SetTabSize(8);
    EXPECT_EQ(m.MaxLineWidth(), 9);
}

TEST(MemoModel, LineBreaksAreNormalisedBeforeCounting) {
    TMemoModel m;
    // CR LF and a lone CR become LF; LF CR is two breaks.
    m.SetText("a\nb\rc\n\rd\r\ne");
    EXPECT_EQ(m.Text(), "a\nb\nc\n\nd\ne");
    EXPECT_EQ(m.TextLength(), 10);
    EXPECT_EQ(m.LineCount(), 6);
    m.Selection().CollapseTo(2);
    m.Selection().SetText("\r\n\r");
    EXPECT_EQ(m.Text(), "a\n\n\nb\nc\n\nd\ne");
    EXPECT_EQ(m.Selection().CaretOffset(), 4);
    ExpectConsistent(m);
}

TEST(MemoModel, LinesAdapterExtents) {
    TMemoModel m;
    RecordingView view;
    m.SetView(&view);
    TStrings& lines = m.Lines();
    EXPECT_EQ(lines.Count(), 0);
    lines.Add("");
    EXPECT_EQ(m.TextLength(), 0);
    EXPECT_EQ(lines.Count(), 0);
    lines.Add("first");
    EXPECT_EQ(m.Text(), "first");
    view.calls.clear();
    lines.Add("second");
    EXPECT_EQ(m.Text(), "first\nsecond");
    EXPECT_EQ(view.calls.back(), "bottom");
    lines.Insert(1, "mid");
    EXPECT_EQ(m.Text(), "first\nmid\nsecond");
    EXPECT_EQ(lines[1], "mid");
    EXPECT_EQ(lines[2], "second");
    lines.Put(0, "1st");
    lines.Put(2, "2nd");
    EXPECT_EQ(m.Text(), "1st\nmid\n2nd");
    lines.Delete(2);  // the last line goes with the break before it
    EXPECT_EQ(m.Text(), "1st\nmid");
    lines.Delete(0);
    EXPECT_EQ(m.Text(), "mid");
    lines.Delete(0);
    EXPECT_EQ(m.Text(), "");
    lines.SetText("x\ny");
    EXPECT_EQ(lines.Text(), "x\ny");
    lines.Clear();
    EXPECT_EQ(lines.Count(), 0);
}

TEST(MemoModel, DisplayStepsOfAnEdit) {
    TMemoModel m;
    RecordingView view;
    m.SetText("abc\nlonger line\nxy");
    m.SetView(&view);
    int changes = 0;
    m.OnChange = [&] { ++changes; };
    m.Selection().CollapseTo(2);
    view.calls.clear();
    m.Selection().SetText("Z");  // same lines, not the widest: one line repaints
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 1..5"}));
    view.calls.clear();
    m.Selection().SetText("\n");  // a new line: everything
    EXPECT_EQ(view.calls, (std::vector<std::string>{"scrollbars"}));
    view.calls.clear();
    TMCRange r(&m);
    r.SetRStart(m.PointToOffset(1, 3));
    r.SetREnd(r.RStart());
    r.SetText("L");  // the widest line keeps its width: only it repaints
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 6..18"}));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(r.RLength(), 1);  // an edited range covers what it now holds
    view.calls.clear();
    r.SetText("LL");  // wider than any line was: the line and the limits
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 6..19", "widest"}));
    view.calls.clear();
    r.SetText("");  // narrower again
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 6..17", "widest"}));
    view.calls.clear();
    m.Selection().CollapseTo(1);
    m.Selection().SetText("01234567");  // as wide as the widest line: no new limits
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 1..11"}));
    view.calls.clear();
    TMCRange x(&m);
    x.SetRStart(1);
    x.SetREnd(1);
    x.SetText("");  // narrower, with another line as wide still: the same
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 1..10"}));
    EXPECT_EQ(m.MaxLineWidth(), 10);
    m.SetView(nullptr);
}

TEST(MemoModel, WholeTextReplacementResetsTheTable) {
    TMemoModel m;
    m.SetText("");
    EXPECT_EQ(m.LineCount(), 1);
    m.SetText("a\nb\nc");
    m.WholeText().SetText("q");
    EXPECT_EQ(m.LineCount(), 1);
    EXPECT_EQ(m.MaxLineWidth(), 1);
    m.Clear();
    EXPECT_EQ(m.TextLength(), 0);
    EXPECT_EQ(m.MaxLineWidth(), 0);
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
        std::vector<TMCRange*> ranges;
        for (int i = 0; i < 6; ++i) {
            auto* r = new TMCRange(&m.Ranges());
            const int a = 1 + static_cast<int>(rng() % (m.TextLength() + 1));
            r->SetRStart(a);
            r->SetREnd(a + static_cast<int>(rng() % 10) - 1);
            ranges.push_back(r);
        }
        for (int step = 0; step < 250; ++step) {
            const int L = m.TextLength();
            const int op = static_cast<int>(rng() % 10);
            if (op == 8) {
                if (m.UndoList().size() > historyBase) m.Undo();
            } else if (op == 9) {
                m.Redo();
            } else {
                TMCRange r(&m);
                const int s = 1 + static_cast<int>(rng() % (L + 1));
                r.SetRStart(s);
                r.SetREnd(s - 1 + (op < 3 ? 0 : static_cast<int>(rng() % 6)));
                const int rs = r.RStart(), re = r.REnd();
                auto inside = [&](int p) { return p <= m.TextLength() && m.CharStart(p) != p; };
                const bool clean = !inside(rs) && !inside(std::max(re, rs - 1) + 1);
                std::vector<std::string> outside(ranges.size());
                for (size_t i = 0; i < ranges.size() && clean; ++i)
                    if (ranges[i]->REnd() < rs || ranges[i]->RStart() > std::max(re, rs)) outside[i] = ranges[i]->GetText();
                const std::string ins = op >= 6 ? std::string() : randomText(6);
                r.SetText(ins);
                for (size_t i = 0; i < ranges.size(); ++i) {
                    if (!outside[i].empty()) {
                        ASSERT_EQ(ranges[i]->GetText(), outside[i]) << "range clear of the edit";
                    }
                }
            }
            ASSERT_NO_FATAL_FAILURE(ExpectConsistent(m));
            ASSERT_TRUE(IsValidUtf8(m.Text())) << "a character was split";
            for (auto* r : ranges) {
                ASSERT_GE(r->RStart(), 1);
                ASSERT_LE(r->RStart(), m.TextLength() + 1);
                ASSERT_GE(r->REnd(), r->RStart() - 1);
                ASSERT_LE(r->REnd(), m.TextLength());
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
    TMCRange r(&m);
    r.SetRStart(3);  // inside é
    r.SetREnd(2);
    r.SetText("X");
    EXPECT_EQ(m.Text(), "aXé漢b");
    r.SetRStart(6);
    r.SetREnd(6);  // one byte inside 漢: the whole character goes
    r.SetText("");
    EXPECT_EQ(m.Text(), "aXéb");
    r.SetRStart(3);
    r.SetREnd(4);  // é's first byte only
    r.SetText("Y");
    EXPECT_EQ(m.Text(), "aXYb");
    ExpectConsistent(m);
}

TEST(MemoModel, OutputLinesAppendAndDropTheOldestInOneEdit) {
    TMemoModel memo;
    auto& lines = static_cast<TQorMemoStrings&>(memo.Lines());
    lines.Add("the widest line of them all");
    for (int i = 0; i < 9; ++i) lines.Add("line " + std::to_string(i));
    EXPECT_EQ(memo.MaxLineWidth(), 27);
    memo.SetTabSize(8);
    lines.Add("\tx");  // a tab expands: width 9 with stops of 8
    lines.DeleteLines(0, 3);
    EXPECT_EQ(lines.Count(), 8);
    EXPECT_EQ(lines[0], "line 2");
    EXPECT_EQ(memo.MaxLineWidth(), 9);
    lines.Add(std::string(40, 'w'));
    EXPECT_EQ(memo.MaxLineWidth(), 40);
    lines.DeleteLines(5, 100);  // through the end: the break before goes too
    EXPECT_EQ(lines.Count(), 5);
    EXPECT_EQ(memo.Text(), "line 2\nline 3\nline 4\nline 5\nline 6");
    EXPECT_EQ(memo.MaxLineWidth(), 6);
    lines.DeleteLines(0, 5);
    EXPECT_EQ(memo.TextLength(), 0);
    lines.DeleteLines(0, 1);  // nothing left: nothing happens
}
