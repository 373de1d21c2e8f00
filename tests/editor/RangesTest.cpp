#include <gtest/gtest.h>

#include <tuple>

#include "RecordingView.h"
#include "editor/TMCRanges.h"
#include "editor/TMemoModel.h"
#include "editor/TSelectionRange.h"
#include "editor/TVisibleRange.h"
#include "editor/TWholeTextRange.h"

// A registered range over "345" of "0123456789" and an edit of the span
// start..end: what it holds afterwards, and whether it was overwritten.
TEST(Ranges, RegisteredRangesFollowEdits) {
    TMemoModel m;
    auto* r = new TMCRange(&m.Ranges());
    int overwrites = 0;
    r->OnOverwrite() = [&](TCustomRange&) { ++overwrites; };
    const std::tuple<int, int, const char*, int, const char*, int> edits[] = {
        {4, 3, "ab", 6, "345", 0},        // at its first character: pushed right
        {5, 4, "ab", 4, "3ab45", 0},      // strictly inside: grows
        {7, 6, "ab", 4, "345", 0},        // right after its end: untouched
        {5, 5, "", 4, "35", 0},           // part of it: shrinks quietly
        {3, 8, "", 3, "", 1},             // all of it: empty at the span's start, overwritten
        {2, 7, "xyzxyzxyz", 2, "", 1},    // replaced by a longer text
    };
    for (const auto& [start, end, text, held, after, overwritten] : edits) {
        SCOPED_TRACE(testing::Message() << start << ".." << end << " <- " << text);
        m.SetText("0123456789");
        r->SetRStart(4);
        r->SetREnd(6);
        overwrites = 0;  // replacing the whole text overwrote it
        TMCRange x(&m);
        x.SetRStart(start);
        x.SetREnd(end);
        x.SetText(text);
        EXPECT_EQ(r->GetText(), after);
        EXPECT_EQ(r->RStart(), held);
        EXPECT_EQ(overwrites, overwritten);
    }
    r->SetRStart(50);  // the setters clamp to the text
    EXPECT_EQ(r->RStart(), m.TextLength() + 1);
    r->SetRStart(0);
    r->SetRLength(2);
    EXPECT_EQ(r->GetText(), "0x");
    delete r;
    EXPECT_EQ(m.Ranges().Count(), 2);  // the visible range and the selection
}

TEST(Ranges, SelectionExtendsAcrossItsAnchorAndRepaintsOnlyWhatMoved) {
    TMemoModel m;
    m.SetText("abcdefgh");
    RecordingView view;
    m.SetView(&view);
    TSelectionRange& sel = m.Selection();
    int changes = 0;
    m.OnSelectionChange = [&] { ++changes; };
    sel.CollapseTo(4);
    view.calls.clear();
    sel.ExtendTo(7);  // only the end moved: the stretch between the ends
    EXPECT_EQ(sel.GetText(), "def");
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 4..6"}));
    sel.ExtendTo(2);  // past the anchor: flips and keeps "d" as the boundary
    EXPECT_TRUE(sel.Backwards());
    EXPECT_EQ(sel.GetText(), "bc");
    sel.ExtendTo(6);
    EXPECT_EQ(sel.GetText(), "de");
    EXPECT_EQ(changes, 4);
    view.calls.clear();
    sel.BeginUpdate();
    sel.SetRStart(7);
    sel.SetREnd(8);
    sel.EndUpdate();  // both ends moved: the new extent and the old one
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 7..8", "repaint 4..5"}));
    m.SetView(nullptr);
}

TEST(Ranges, ScrollIntoViewMovesTheVisibleRange) {
    TMemoModel m;
    std::string text;  // 50 lines of 1 to 50 characters, and an empty one
    for (int i = 1; i <= 50; ++i) text += std::string(static_cast<size_t>(i), 'x') + "\r\n";
    m.SetText(text);
    m.SetVisibleSize(10, 20);
    RecordingView view;
    m.SetView(&view);
    TSelectionRange& sel = m.Selection();
    sel.CollapseTo(m.PointToOffset(30, 30));
    view.calls.clear();
    sel.ScrollIntoView();
    EXPECT_EQ(view.calls, (std::vector<std::string>{"scroll top 1->21 left 1->10"}));
    view.calls.clear();
    sel.ScrollIntoView();  // already visible: nothing moves, nothing reported
    EXPECT_TRUE(view.calls.empty());
    sel.CollapseTo(m.PointToOffset(1, 3));
    sel.ScrollIntoView();
    EXPECT_EQ(m.VisibleRange().TopLine(), 3);
    m.VisibleRange().SetTopLine(500);  // clamped to the last page
    EXPECT_EQ(m.VisibleRange().RStart(), m.PointToOffset(1, 51 - 10 + 1));
    m.SetView(nullptr);
}
