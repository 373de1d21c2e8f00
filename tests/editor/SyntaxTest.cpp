#include <gtest/gtest.h>

#include <random>

#include "editor/ConsoleInputColoring.h"
#include "editor/ESourceEdit.h"
#include "editor/TEditorModel.h"
#include "editor/TSelectionRange.h"
#include "editor/TSyntaxColoringCopy.h"

namespace {

struct Editor {
    Editor() { SetupConsoleInputColoring(m.SyntaxColoring()); }
    TEditorModel m;
};

// Token text and class, "Class:text" per token, for readable expectations.
std::vector<std::string> Tokens(const TEditorModel& m) {
    std::vector<std::string> out;
    for (const auto& t : m.ListTokens()) out.push_back(t.ClassName.substr(1, t.ClassName.size() - 6) + ":" + t.Text);
    return out;
}

TColor ColorAt(TEditorModel& m, int offset) {
    TSyntaxRange* t = m.FindSyntaxRange(offset);
    return t && t->GetFont() ? t->GetFont()->Color : -1;
}

// The chain of tokens: class, text and parenthesis level of each.
std::vector<std::pair<std::string, int>> Chain(TEditorModel& m) {
    std::vector<std::pair<std::string, int>> chain;
    for (TSyntaxRange* t = m.FirstRange(); t; t = t->NextRange())
        chain.emplace_back(std::string(t->ClassName()) + ":" + t->GetText(), t->ParenthesisLevel());
    return chain;
}

void ExpectSameAsFullColouring(TEditorModel& m) {
    ASSERT_EQ(m.CheckGaps(), nullptr);
    ASSERT_EQ(m.CheckOverlaps(), nullptr);
    const auto incremental = Chain(m);
    m.Recolor();
    ASSERT_EQ(incremental, Chain(m));
}

}  // namespace

// Letters of every script make one word: a word list finds "цена" and
// "prénom", and the scanner never cuts a character.
TEST(Syntax, TokensAndTheirColours) {
    Editor e;
    e.m.SetText("x");  // a live colouring: adding a list re-colours at once
    TWordList* list = e.m.SyntaxColoring().WordLists().Add();
    list->Words().Add("цена");
    list->Words().Add("prénom");
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"select 'a--b' -- note\nx",
         {"WordList:select", "NormalText: ", "CustomStyle:'a--b'", "NormalText: ", "CustomStyle:-- note\n",
          "NormalText:x"}},
        {"3.14 x1 $1 #1",
         {"Number:3", "Symbol:.", "Number:14", "NormalText: x1 ", "Number:$1", "NormalText: ", "Symbol:#", "Number:1"}},
        {"select Цена, prénom, 漢字 -- ёж\nx",
         {"WordList:select", "NormalText: ", "WordList:Цена", "Symbol:,", "NormalText: ", "WordList:prénom", "Symbol:,",
          "NormalText: 漢字 ", "CustomStyle:-- ёж\n", "NormalText:x"}},
        {"a /* b\nc d", {"NormalText:a ", "CustomStyle:/* b\nc d"}},  // an unclosed comment runs to the end
    };
    for (const auto& [text, tokens] : rows) {
        e.m.SetText(text);
        EXPECT_EQ(Tokens(e.m), tokens) << text;
    }
    // Closing the comment ends it there.
    TMCRange end(static_cast<TMemoModel*>(&e.m));
    end.SetRStart(e.m.PointToOffset(2, 2));
    end.SetREnd(end.RStart() - 1);
    end.SetText("*/");
    EXPECT_EQ(Tokens(e.m), (std::vector<std::string>{"NormalText:a ", "CustomStyle:/* b\nc*/", "NormalText: d"}));

    // The keyword, string, comment and number colours show on screen
    // (EditorWidget.DrawsTokensInTheirColours...); symbols and plain text here.
    e.m.SetText("SELECT x.y FROM t WHERE a LIKE b");
    EXPECT_EQ(ColorAt(e.m, 28), clNavy);  // LIKE is in two lists; the first wins
    EXPECT_EQ(ColorAt(e.m, 8), clWindowText);
    EXPECT_EQ(ColorAt(e.m, 9), clBlack);
}

TEST(Syntax, SettingsObjectsAndCopies) {
    Editor e;
    e.m.SetText("select 1");
    TSyntaxColoringCopy copy;
    copy.Assign(e.m.SyntaxColoring());
    ASSERT_EQ(copy.CustomStyles().Count(), 3);
    EXPECT_EQ(copy.CustomStyles().Items(1)->EndText(), "\n");  // "#13": the end of a line
    copy.SetEnabled(false);
    e.m.SetSyntaxColoring(copy);
    EXPECT_EQ(e.m.FirstRange(), nullptr);  // disabled: no tokens
    copy.SetEnabled(true);
    TCustomStyle* s = copy.CustomStyles().Items(0);
    s->SetDontSwitchToIndex1(2);
    delete copy.CustomStyles().Items(2);  // a freed style is no longer referred to
    EXPECT_EQ(s->DontSwitchToIndex1(), -1);
    s->SetIgnoreChar("\\\\");
    e.m.SetSyntaxColoring(copy);
    e.m.SetText("'it\\'s' x");
    EXPECT_EQ(Tokens(e.m), (std::vector<std::string>{"CustomStyle:'it\\'s'", "NormalText: x"}));
    EXPECT_THROW(TNormalTextRange(nullptr), ESourceEdit);
}

TEST(Syntax, EditsColourIncrementallyLikeAFullPass) {
    std::mt19937 rng(777);
    const char* pieces[] = {"select ", "SELECT", "'", "--", "/*", "*/", "(", ")", " ", "\n", "x1", "3.14",
                            "$1",      "#",      "from", "LIKE", "a", "+", "-", "*", "/", "\t", "sum(", "where"};
    auto randomText = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += pieces[rng() % std::size(pieces)];
        return s;
    };
    for (int round = 0; round < 20; ++round) {
        Editor e;
        e.m.SetText(randomText(60));
        for (int step = 0; step < 120; ++step) {
            const int op = static_cast<int>(rng() % 10);
            if (op == 8) {
                e.m.Undo();
            } else if (op == 9) {
                e.m.Redo();
            } else {
                TMCRange r(static_cast<TMemoModel*>(&e.m));
                const int s = 1 + static_cast<int>(rng() % (e.m.TextLength() + 1));
                r.SetRStart(s);
                r.SetREnd(s - 1 + (op < 4 ? 0 : static_cast<int>(rng() % 8)));
                r.SetText(op >= 7 ? std::string() : randomText(1 + static_cast<int>(rng() % 2)));
            }
            ASSERT_NO_FATAL_FAILURE(ExpectSameAsFullColouring(e.m)) << "step " << step << " op " << op << " ["
                                                                   << e.m.Text() << "]";
        }
    }
}

TEST(Syntax, AnEditRescansOnlyNearbyTokensButEveryLaterParenthesisLevel) {
    Editor e;
    e.m.SetText("select a from t;\nselect b from u where c = 'x';\nupdate t set a = 1;");
    TSyntaxRange* last = e.m.LastRange();
    e.m.Selection().CollapseTo(e.m.PointToOffset(3, 2));  // inside the second "select"
    e.m.Selection().SetText("Z");
    EXPECT_EQ(e.m.LastRange(), last);  // the tail of the chain survived
    EXPECT_EQ(e.m.FindSyntaxRange(e.m.PointToOffset(1, 2))->GetText(), "\nseZlect b ");
    EXPECT_EQ(e.m.LastRange()->RStart(), e.m.TextLength());  // moved with the edit
    TFont f = e.m.Font();
    f.Name = "Other";
    e.m.SetFont(f);  // a new font re-colours everything in it
    EXPECT_EQ(e.m.LastRange()->GetFont()->Name, "Other");
    EXPECT_EQ(e.m.FirstRange()->GetFont()->Color, clNavy);

    // Parentheses: each level in its colour, an edit changes every later level.
    e.m.SyntaxColoring().ParenthesisColors().Clear();
    e.m.SyntaxColoring().ParenthesisColors().Add("$0000FF");
    e.m.SyntaxColoring().ParenthesisColors().Add("$FF0000");
    e.m.SetText("((a))");
    std::vector<int> levels;
    for (TSyntaxRange* t = e.m.FirstRange(); t; t = t->NextRange()) levels.push_back(t->ParenthesisLevel());
    EXPECT_EQ(levels, (std::vector<int>{1, 2, 2, 2, 1}));
    EXPECT_EQ(ColorAt(e.m, 5), clRed);
    EXPECT_EQ(ColorAt(e.m, 2), clBlue);
    e.m.Selection().CollapseTo(1);
    e.m.Selection().SetText("(");  // every later level changes
    EXPECT_EQ(e.m.LastRange()->ParenthesisLevel(), 2);
}
