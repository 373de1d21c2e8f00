#include <gtest/gtest.h>

#include "editor/TMemoModel.h"
#include "editor/TSelectionRange.h"

namespace {
void Type(TMemoModel& m, std::string_view s) {
    for (char c : s) m.Selection().SetText(std::string(1, c));
}
// Backspace takes the character before the caret, Delete the one after.
void Erase(TMemoModel& m, bool backspace) {
    TSelectionRange& sel = m.Selection();
    backspace ? sel.SetRStart(sel.RStart() - 1) : sel.SetREnd(sel.RStart());
    sel.SetText("");
}
}  // namespace

TEST(History, TypingDeleteAndBackspaceMergeIntoOneRecord) {
    TMemoModel m;
    m.SetText("hello world");
    const size_t base = m.UndoList().size();
    m.Selection().CollapseTo(6);
    Type(m, "abc");
    EXPECT_EQ(m.Text(), "helloabc world");
    EXPECT_EQ(m.UndoList().size(), base + 1);
    m.Undo();
    EXPECT_EQ(m.Text(), "hello world");
    m.Selection().CollapseTo(1);
    for (int i = 0; i < 3; ++i) Erase(m, false);
    EXPECT_EQ(m.UndoList().size(), base + 1);
    EXPECT_EQ(m.UndoList().back().Text, "hel");

    m.Selection().CollapseTo(9);
    for (int i = 0; i < 3; ++i) Erase(m, true);
    EXPECT_EQ(m.Text(), "lo wo");
    EXPECT_EQ(m.UndoList().size(), base + 2);
    EXPECT_EQ(m.UndoList().back().Text, "rld");
    m.Undo();
    EXPECT_EQ(m.Text(), "lo world");
    EXPECT_EQ(m.GetSelText(), "rld");  // the restored text is selected
    m.Undo();
    EXPECT_EQ(m.Text(), "hello world");
    // A new edit (over the restored "hel", still selected) drops what could be redone.
    Type(m, "z");
    EXPECT_FALSE(m.CanUndo(true));
    m.Redo();
    EXPECT_EQ(m.Text(), "zlo world");
}

TEST(History, IndentLinesIsOneGroup) {
    TMemoModel m;
    m.SetText("a\n\tb\nc");
    const size_t base = m.UndoList().size();
    int changes = 0;
    m.OnChange = [&] { ++changes; };
    m.Selection().SetRStart(1);
    m.Selection().SetREnd(m.TextLength());
    m.IndentLines(2);
    EXPECT_EQ(m.Text(), "\t\ta\n\t\t\tb\n\t\tc");
    EXPECT_EQ(changes, 1);  // the lines change inside one notification
    EXPECT_EQ(m.Selection().RStart(), 1);  // the selection takes in the new tabs
    m.IndentLines(-2);
    EXPECT_EQ(m.Text(), "a\n\tb\nc");
    m.Selection().CollapseTo(5);
    m.IndentLines(-5);  // only the tabs there are go; spaces would stay
    EXPECT_EQ(m.Text(), "a\nb\nc");
    m.Undo();
    m.Undo();
    EXPECT_EQ(m.Text(), "\t\ta\n\t\t\tb\n\t\tc");
    m.Undo();
    EXPECT_EQ(m.Text(), "a\n\tb\nc");
    // The caret goes after the furthest place the group changed (the start
    // of the last line, once the tabs before it are gone).
    EXPECT_EQ(m.Selection().RStart(), 6);
    EXPECT_EQ(m.Selection().RLength(), 0);
    EXPECT_EQ(m.UndoList().size(), base);
    m.Redo();
    EXPECT_EQ(m.Text(), "\t\ta\n\t\t\tb\n\t\tc");
    EXPECT_EQ(m.Selection().RLength(), 0);  // a group leaves a caret
}
