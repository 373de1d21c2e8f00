#include <gtest/gtest.h>

#include "RecordingView.h"
#include "editor/TMCRanges.h"
#include "editor/TMemoModel.h"
#include "editor/TSelectionRange.h"
#include "editor/TVisibleRange.h"
#include "editor/TWholeTextRange.h"

TEST(Ranges, SettersClampToTheText) {
    TMemoModel m;
    m.SetText("abcdef");
    TMCRange r(&m);
    r.SetRStart(3);
    r.SetREnd(20);
    EXPECT_EQ(r.REnd(), 6);
    r.SetRStart(50);
    EXPECT_EQ(r.RStart(), 7);
    EXPECT_EQ(r.REnd(), 6);
    r.SetRStart(0);
    EXPECT_EQ(r.RStart(), 1);
    r.SetRLength(2);
    EXPECT_EQ(r.GetText(), "ab");
    EXPECT_TRUE(r.Contains(2));
    EXPECT_FALSE(r.Contains(3));
    m.WholeText().SetRLength(1);
    m.VisibleRange().SetRLength(1);
    EXPECT_EQ(m.WholeText().REnd(), 6);
    TMCRange loose(static_cast<TMemoModel*>(nullptr));
    EXPECT_EQ(loose.GetText(), "");
    EXPECT_EQ(loose.GetEndPoint(), (TPoint{1, 0}));
}

TEST(Ranges, RegisteredRangesFollowEdits) {
    TMemoModel m;
    m.SetText("0123456789");
    auto* r = new TMCRange(&m.Ranges());
    int overwrites = 0;
    r->OnOverwrite() = [&](TCustomRange&) { ++overwrites; };
    auto reset = [&] {
        m.SetText("0123456789");
        r->SetRStart(4);
        r->SetREnd(6);  // "345"
        overwrites = 0;  // replacing the whole text overwrote it
    };
    auto edit = [&](int s, int e, std::string_view t) {
        TMCRange x(&m);
        x.SetRStart(s);
        x.SetREnd(e);
        x.SetText(t);
    };
    reset();
    edit(4, 3, "ab");  // at its first character: pushed right
    EXPECT_EQ(r->GetText(), "345");
    EXPECT_EQ(r->RStart(), 6);
    reset();
    edit(5, 4, "ab");  // strictly inside: grows
    EXPECT_EQ(r->GetText(), "3ab45");
    reset();
    edit(7, 6, "ab");  // right after its end: untouched
    EXPECT_EQ(r->GetText(), "345");
    EXPECT_EQ(r->REnd(), 6);
    reset();
    edit(5, 5, "");  // part of it: shrinks quietly
    EXPECT_EQ(r->GetText(), "35");
    EXPECT_EQ(overwrites, 0);
    reset();
    edit(3, 8, "");  // all of it: empty at the span's start, overwritten
    EXPECT_EQ(r->RLength(), 0);
    EXPECT_EQ(r->RStart(), 3);
    EXPECT_EQ(overwrites, 1);
    reset();
    edit(2, 7, "xyzxyzxyz");  // replaced by a longer text
    EXPECT_EQ(r->RLength(), 0);
    EXPECT_EQ(overwrites, 1);
    delete r;
    EXPECT_EQ(m.Ranges().Count(), 2);  // the visible range and the selection
}

TEST(Ranges, SelectionExtendsAcrossItsAnchor) {
    TMemoModel m;
    m.SetText("abcdefgh");
    TSelectionRange& sel = m.Selection();
    int changes = 0;
    m.OnSelectionChange = [&] { ++changes; };
    sel.CollapseTo(4);
    sel.ExtendTo(7);
    EXPECT_EQ(sel.GetText(), "def");
    EXPECT_EQ(sel.CaretOffset(), 7);
    sel.ExtendTo(2);  // past the anchor: flips and keeps "d" as the boundary
    EXPECT_TRUE(sel.Backwards());
    EXPECT_EQ(sel.GetText(), "bc");
    EXPECT_EQ(sel.CaretOffset(), 2);
    sel.ExtendTo(6);
    EXPECT_FALSE(sel.Backwards());
    EXPECT_EQ(sel.GetText(), "de");
    EXPECT_EQ(changes, 4);
    m.SetSelStart(0);
    EXPECT_EQ(m.GetSelStart(), 0);
    m.SelectAll();
    EXPECT_EQ(m.GetSelText(), "abcdefgh");
}

TEST(Ranges, DesiredColumnSurvivesShortLines) {
    TMemoModel m;
    m.SetText("\tabcdef\r\nab\r\n\t\tx");
    TSelectionRange& sel = m.Selection();
    sel.CollapseTo(m.PointToOffset(4, 1));  // visual column 7
    EXPECT_EQ(sel.DesiredColumn(), 7);
    EXPECT_EQ(sel.ColumnForLine(2), 3);  // limited to the line's end
    EXPECT_EQ(sel.ColumnForLine(3), 2);  // inside the second tab
    sel.CollapseTo(1);
    EXPECT_EQ(sel.DesiredColumn(), 1);  // a move forgets it
}

TEST(Ranges, ScrollIntoViewMovesTheVisibleRange) {
    TMemoModel m;
    std::string text;
    for (int i = 1; i <= 50; ++i) text += std::string(static_cast<size_t>(i), 'x') + "\r\n";
    m.SetText(text);
    m.SetVisibleSize(10, 20);
    RecordingView view;
    m.SetView(&view);
    TSelectionRange& sel = m.Selection();
    sel.CollapseTo(m.PointToOffset(30, 30));
    view.calls.clear();
    sel.ScrollIntoView();
    EXPECT_EQ(m.VisibleRange().TopLine(), 21);
    EXPECT_EQ(m.VisibleRange().LeftCol(), 10);
    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0], "scroll top 1->21 left 1->10");
    view.calls.clear();
    sel.ScrollIntoView();  // already visible: nothing moves, nothing reported
    EXPECT_TRUE(view.calls.empty());
    sel.CollapseTo(m.PointToOffset(1, 3));
    sel.ScrollIntoView();
    EXPECT_EQ(m.VisibleRange().TopLine(), 3);
    EXPECT_EQ(m.VisibleRange().LeftCol(), 1);
    m.VisibleRange().SetTopLine(500);  // clamped to the last page
    EXPECT_EQ(m.VisibleRange().TopLine(), 51 - 10 + 1);
    EXPECT_EQ(m.VisibleRange().RStart(), m.PointToOffset(1, 42));
    m.SetView(nullptr);
}

TEST(Ranges, SelectionRepaintsOnlyWhatMoved) {
    TMemoModel m;
    m.SetText("abcdefghij");
    RecordingView view;
    m.SetView(&view);
    TSelectionRange& sel = m.Selection();
    sel.CollapseTo(3);
    view.calls.clear();
    sel.ExtendTo(6);  // only the end moved: the stretch between the ends
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 3..5"}));
    view.calls.clear();
    sel.ExtendTo(5);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 5..5"}));
    view.calls.clear();
    sel.BeginUpdate();
    sel.SetRStart(8);
    sel.SetREnd(9);
    sel.EndUpdate();  // both ends moved: the new extent and the old one
    EXPECT_EQ(view.calls, (std::vector<std::string>{"repaint 8..9", "repaint 3..4"}));
    m.SetView(nullptr);
}
