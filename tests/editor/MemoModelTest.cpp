#include <gtest/gtest.h>

#include <random>

#include "RecordingView.h"
#include "base/TStrings.h"
#include "editor/TMemoModel.h"
#include "editor/TMCRanges.h"
#include "editor/TQorMemoStrings.h"
#include "editor/TSelectionRange.h"
#include "editor/TWholeTextRange.h"

namespace {

std::vector<int> StartsFromScratch(std::string_view t) {
    std::vector<int> starts{1};
    for (size_t i = 0; i + 1 < t.size(); ++i)
        if (t[i] == '\r' && t[i + 1] == '\n') starts.push_back(static_cast<int>(i) + 3);
    return starts;
}

int WidestFromScratch(std::string_view t, int tab) {
    int widest = 0, v = 0;
    for (size_t i = 0; i <= t.size(); ++i) {
        if (i == t.size() || t[i] == '\r') {
            widest = std::max(widest, v);
            v = 0;
            if (i < t.size()) ++i;  // the LF
        } else {
            v += t[i] == '\t' ? tab - v % tab : 1;
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
    m.SetText("ab\r\ncde\r\n");
    EXPECT_EQ(m.LineCount(), 3);  // a trailing break makes an empty last line
    EXPECT_EQ(m.LineLength(2), 3);
    EXPECT_EQ(m.LineLength(3), 0);
    EXPECT_EQ(m.OffsetToPoint(1), (TPoint{1, 1}));
    EXPECT_EQ(m.OffsetToPoint(3), (TPoint{3, 1}));  // the CR of line 1
    EXPECT_EQ(m.OffsetToPoint(4), (TPoint{4, 1}));  // its LF
    EXPECT_EQ(m.OffsetToPoint(5), (TPoint{1, 2}));
    EXPECT_EQ(m.OffsetToPoint(10), (TPoint{1, 3}));  // text length + 1
    EXPECT_EQ(m.PointToOffset(7, 0), 7);
    EXPECT_EQ(m.PointToOffset(1, 9), 9 + 2 + 1);
    for (int o = 1; o <= m.TextLength() + 1; ++o) {
        const TPoint p = m.OffsetToPoint(o);
        EXPECT_EQ(m.PointToOffset(p.X, p.Y), o);
    }
}

TEST(MemoModel, TabsExpandToTheNextStop) {
    TMemoModel m;
    m.SetText("\tx\r\nab\tc\r\nabc\td");
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
    m.SetText("a\nb\rc\n\rd\r\ne");
    EXPECT_EQ(m.Text(), "a\r\nb\r\nc\r\nd\r\ne");
    EXPECT_EQ(m.TextLength(), 13);
    EXPECT_EQ(m.LineCount(), 5);
    m.Selection().CollapseTo(2);
    m.Selection().SetText("\n\n");
    EXPECT_EQ(m.Text(), "a\r\n\r\n\r\nb\r\nc\r\nd\r\ne");
    EXPECT_EQ(m.Selection().CaretOffset(), 6);
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
    EXPECT_EQ(m.Text(), "first\r\nsecond");
    EXPECT_EQ(view.calls.back(), "bottom");
    lines.Insert(1, "mid");
    EXPECT_EQ(m.Text(), "first\r\nmid\r\nsecond");
    EXPECT_EQ(lines[1], "mid");
    EXPECT_EQ(lines[2], "second");
    lines.Put(0, "1st");
    lines.Put(2, "2nd");
    EXPECT_EQ(m.Text(), "1st\r\nmid\r\n2nd");
    lines.Delete(2);  // the last line goes with the break before it
    EXPECT_EQ(m.Text(), "1st\r\nmid");
    lines.Delete(0);
    EXPECT_EQ(m.Text(), "mid");
    lines.Delete(0);
    EXPECT_EQ(m.Text(), "");
    lines.SetText("x\ny");
    EXPECT_EQ(lines.Text(), "x\r\ny");
    lines.Clear();
    EXPECT_EQ(lines.Count(), 0);
}

TEST(MemoModel, DisplayStepsOfAnEdit) {
    TMemoModel m;
    RecordingView view;
    m.SetText("abc\r\nlonger line\r\nxy");
    m.SetView(&view);
    int changes = 0;
    m.OnChange = [&] { ++changes; };
    m.Selection().CollapseTo(2);
    view.calls.clear();
    m.Selection().SetText("Z");  // same lines, not the widest: one line repaints
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 1..6"}));
    view.calls.clear();
    m.Selection().SetText("\r\n");  // a new line: everything
    EXPECT_EQ(view.calls, (std::vector<std::string>{"scrollbars"}));
    view.calls.clear();
    TMCRange r(&m);
    r.SetRStart(m.PointToOffset(1, 3));
    r.SetREnd(r.RStart());
    r.SetText("L");  // the widest line keeps its width: only it repaints
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 8..21"}));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(r.RLength(), 1);  // an edited range covers what it now holds
    view.calls.clear();
    r.SetText("LL");  // wider than any line was: the line and the limits
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 8..22", "widest"}));
    view.calls.clear();
    r.SetText("");  // narrower again
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 8..20", "widest"}));
    view.calls.clear();
    m.Selection().CollapseTo(1);
    m.Selection().SetText("01234567");  // as wide as the widest line: no new limits
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 1..12"}));
    view.calls.clear();
    TMCRange x(&m);
    x.SetRStart(1);
    x.SetREnd(1);
    x.SetText("");  // narrower, with another line as wide still: the same
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 1..11"}));
    EXPECT_EQ(m.MaxLineWidth(), 10);
    m.SetView(nullptr);
}

TEST(MemoModel, WholeTextReplacementResetsTheTable) {
    TMemoModel m;
    m.SetText("");
    EXPECT_EQ(m.LineCount(), 1);
    m.SetText("a\r\nb\r\nc");
    m.WholeText().SetText("q");
    EXPECT_EQ(m.LineCount(), 1);
    EXPECT_EQ(m.MaxLineWidth(), 1);
    m.Clear();
    EXPECT_EQ(m.TextLength(), 0);
    EXPECT_EQ(m.MaxLineWidth(), 0);
}

TEST(MemoModel, RandomEditsKeepTableRangesAndHistoryConsistent) {
    std::mt19937 rng(20240611);
    const char alphabet[] = "ab \t\r\nxy";
    auto randomText = [&](int maxLen) {
        std::string s(static_cast<size_t>(rng() % (maxLen + 1)), ' ');
        for (char& c : s) c = alphabet[rng() % (sizeof alphabet - 1)];
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
                auto insideBreak = [&](int p) { return m.CharAt(p) == '\n' && m.CharAt(p - 1) == '\r'; };
                const bool clean = !insideBreak(rs) && !insideBreak(std::max(re, rs - 1) + 1);
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

TEST(MemoModel, AnEditNeverSplitsALineBreak) {
    TMemoModel m;
    m.SetText("ab\r\ncd");
    TMCRange r(&m);
    r.SetRStart(4);  // between CR and LF
    r.SetREnd(3);
    r.SetText("X");
    EXPECT_EQ(m.Text(), "abX\r\ncd");
    r.SetRStart(3);
    r.SetREnd(4);  // the X and the CR only
    r.SetText("");
    EXPECT_EQ(m.Text(), "abcd");
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
    EXPECT_EQ(memo.Text(), "line 2\r\nline 3\r\nline 4\r\nline 5\r\nline 6");
    EXPECT_EQ(memo.MaxLineWidth(), 6);
    lines.DeleteLines(0, 5);
    EXPECT_EQ(memo.TextLength(), 0);
    lines.DeleteLines(0, 1);  // nothing left: nothing happens
}
