#include <gtest/gtest.h>

#include <algorithm>
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

void ExpectSameAsFullColouring(TEditorModel& m) {
    ASSERT_EQ(m.CheckGaps(), nullptr);
    ASSERT_EQ(m.CheckOverlaps(), nullptr);
    std::vector<std::pair<std::string, int>> incremental;
    for (TSyntaxRange* t = m.FirstRange(); t; t = t->NextRange())
        incremental.emplace_back(std::string(t->ClassName()) + ":" + t->GetText(), t->ParenthesisLevel());
    m.Recolor();
    std::vector<std::pair<std::string, int>> full;
    for (TSyntaxRange* t = m.FirstRange(); t; t = t->NextRange())
        full.emplace_back(std::string(t->ClassName()) + ":" + t->GetText(), t->ParenthesisLevel());
    ASSERT_EQ(incremental, full);
}

}  // namespace

TEST(Syntax, SelectLineWithStringAndComment) {
    Editor e;
    e.m.SetText("select 'a--b' -- note\nx");
    EXPECT_EQ(Tokens(e.m), (std::vector<std::string>{"WordList:select", "NormalText: ", "CustomStyle:'a--b'",
                                                     "NormalText: ", "CustomStyle:-- note\n", "NormalText:x"}));
    EXPECT_EQ(ColorAt(e.m, 1), clNavy);
    EXPECT_EQ(ColorAt(e.m, 9), clBlue);
    EXPECT_EQ(ColorAt(e.m, 20), clGray);
    e.m.SetText("SELECT x FROM t WHERE a LIKE b");
    EXPECT_EQ(ColorAt(e.m, 26), clNavy);  // LIKE is in two lists; the first wins
    EXPECT_EQ(ColorAt(e.m, 8), clWindowText);
}

TEST(Syntax, UnclosedBlockCommentRunsToTheEnd) {
    Editor e;
    e.m.SetText("a /* b\nc d");
    EXPECT_EQ(Tokens(e.m), (std::vector<std::string>{"NormalText:a ", "CustomStyle:/* b\nc d"}));
    TMCRange end(static_cast<TMemoModel*>(&e.m));
    end.SetRStart(e.m.PointToOffset(2, 2));
    end.SetREnd(end.RStart() - 1);
    end.SetText("*/");
    EXPECT_EQ(Tokens(e.m), (std::vector<std::string>{"NormalText:a ", "CustomStyle:/* b\nc*/", "NormalText: d"}));
}

TEST(Syntax, NumbersWordsAndSymbols) {
    Editor e;
    e.m.SetText("3.14 x1 $1 #1");
    EXPECT_EQ(Tokens(e.m), (std::vector<std::string>{"Number:3", "Symbol:.", "Number:14", "NormalText: x1 ", "Number:$1",
                                                     "NormalText: ", "Symbol:#", "Number:1"}));
    EXPECT_EQ(ColorAt(e.m, 1), clRed);
    EXPECT_EQ(ColorAt(e.m, 2), clBlack);
}

TEST(Syntax, ParenthesisLevelsAndColours) {
    Editor e;
    e.m.SyntaxColoring().ParenthesisColors().Clear();
    e.m.SyntaxColoring().ParenthesisColors().Add("$0000FF");
    e.m.SyntaxColoring().ParenthesisColors().Add("$FF0000");
    e.m.SetText("((a))");
    std::vector<int> levels;
    for (TSyntaxRange* t = e.m.FirstRange(); t; t = t->NextRange()) levels.push_back(t->ParenthesisLevel());
    EXPECT_EQ(levels, (std::vector<int>{1, 2, 2, 2, 1}));
    EXPECT_EQ(ColorAt(e.m, 1), clRed);
    EXPECT_EQ(ColorAt(e.m, 5), clRed);
    EXPECT_EQ(ColorAt(e.m, 2), clBlue);
    EXPECT_EQ(ColorAt(e.m, 4), clBlue);
    e.m.SyntaxColoring().ParenthesisColors().Add("not a number");
    EXPECT_EQ(e.m.SyntaxColoring().ParenthesisColor(2), clWindowText);
    e.m.Selection().CollapseTo(1);
    e.m.Selection().SetText("(");  // every later level changes
    EXPECT_EQ(e.m.FirstRange()->NextRange()->ParenthesisLevel(), 2);
    EXPECT_EQ(e.m.LastRange()->ParenthesisLevel(), 2);
}

TEST(Syntax, SettingsObjectsAndCopies) {
    Editor e;
    e.m.SetText("select 1");
    ASSERT_NE(e.m.FirstRange(), nullptr);
    TSyntaxColoringCopy copy;
    copy.Assign(e.m.SyntaxColoring());
    EXPECT_EQ(copy.WordLists().Count(), 3);
    ASSERT_EQ(copy.CustomStyles().Count(), 3);
    EXPECT_EQ(copy.CustomStyles().Items(1)->EndText(), "\n");  // "#13": the end of a line
    copy.SetEnabled(false);  // colours nothing by itself
    EXPECT_NE(e.m.FirstRange(), nullptr);
    e.m.SetSyntaxColoring(copy);
    EXPECT_EQ(e.m.FirstRange(), nullptr);  // disabled: no tokens
    copy.SetEnabled(true);
    TCustomStyle* s = copy.CustomStyles().Items(0);
    s->SetDontSwitchToIndex1(2);
    EXPECT_EQ(s->DontSwitchToIndex1(), 2);
    s->SetDontSwitchToIndex2(7);  // outside the collection: no reference
    EXPECT_EQ(s->DontSwitchToIndex2(), -1);
    delete copy.CustomStyles().Items(2);
    EXPECT_EQ(s->DontSwitchToIndex1(), -1);
    s->SetIgnoreChar("\\\\");
    EXPECT_EQ(s->IgnoreChar(), "\\");
    e.m.SetSyntaxColoring(copy);
    e.m.SetText("'it\\'s' x");
    EXPECT_EQ(Tokens(e.m), (std::vector<std::string>{"CustomStyle:'it\\'s'", "NormalText: x"}));
    EXPECT_THROW(TNormalTextRange(nullptr), ESourceEdit);
}

TEST(Syntax, SwitchableStyleEndsWhereAnotherBegins) {
    Editor e;
    TSyntaxColoring& c = e.m.SyntaxColoring();
    c.BeginUpdate();
    c.CustomStyles().Clear();
    TCustomStyle* tag = c.CustomStyles().Add();
    tag->SetBeginText("<");
    tag->SetEndText(">");
    tag->SetSwitchable(true);
    TCustomStyle* str = c.CustomStyles().Add();
    str->SetBeginText("\"");
    str->SetEndText("\"");
    c.EndUpdate();
    e.m.SetText("a<b c>d<e\"f\"g");
    EXPECT_EQ(Tokens(e.m), (std::vector<std::string>{"NormalText:a", "CustomStyle:<b c>", "NormalText:d",
                                                     "CustomStyle:<e", "CustomStyle:\"f\"", "NormalText:g"}));
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
            const int L = e.m.TextLength();
            const std::string before(e.m.Text());
            std::string what;
            const int op = static_cast<int>(rng() % 10);
            if (op == 8) {
                e.m.Undo();
            } else if (op == 9) {
                e.m.Redo();
            } else {
                TMCRange r(static_cast<TMemoModel*>(&e.m));
                const int s = 1 + static_cast<int>(rng() % (L + 1));
                r.SetRStart(s);
                r.SetREnd(s - 1 + (op < 4 ? 0 : static_cast<int>(rng() % 8)));
                const std::string ins = op >= 7 ? std::string() : randomText(1 + static_cast<int>(rng() % 2));
                what = std::to_string(r.RStart()) + ".." + std::to_string(r.REnd()) + " <- [" + ins + "]";
                r.SetText(ins);
            }
            ASSERT_NO_FATAL_FAILURE(ExpectSameAsFullColouring(e.m)) << "step " << step << " op " << op << " " << what << "\nbefore [" << before << "]";
        }
    }
}

TEST(Syntax, AnEditRescansOnlyNearbyTokens) {
    Editor e;
    e.m.SetText("select a from t;\nselect b from u where c = 'x';\nupdate t set a = 1;");
    TSyntaxRange* last = e.m.LastRange();
    TSyntaxRange* first = e.m.FirstRange();
    TMCRange r(static_cast<TMemoModel*>(&e.m));
    r.SetRStart(e.m.PointToOffset(3, 2));  // inside the second "select"
    r.SetREnd(r.RStart() - 1);
    r.SetText("Z");
    EXPECT_EQ(e.m.LastRange(), last);  // the tail of the chain survived
    EXPECT_EQ(e.m.FirstRange(), first);
    EXPECT_EQ(e.m.FindSyntaxRange(e.m.PointToOffset(1, 2))->GetText(), "\nseZlect b ");
    EXPECT_EQ(e.m.LastRange()->RStart(), e.m.TextLength());  // moved with the edit
    TFont f = e.m.Font();
    f.Name = "Other";
    e.m.SetFont(f);  // a new font re-colours everything in it
    EXPECT_NE(e.m.LastRange(), last);
    EXPECT_EQ(e.m.FirstRange()->GetFont()->Name, "Other");
    EXPECT_EQ(e.m.FirstRange()->GetFont()->Color, clNavy);
}

// Letters of every script make one word: a word list finds "цена" and
// "prénom", and the scanner never cuts a character.
TEST(Syntax, WordsOfEveryScript) {
    Editor e;
    e.m.SetText("x");  // a live colouring: adding a list re-colours at once
    TWordList* list = e.m.SyntaxColoring().WordLists().Add();
    list->Words().Add("цена");
    list->Words().Add("prénom");
    e.m.SetText("select Цена, prénom, 漢字 from t -- ёж\nx");
    const std::vector<std::string> tokens = Tokens(e.m);
    EXPECT_NE(std::find(tokens.begin(), tokens.end(), "WordList:Цена"), tokens.end());
    EXPECT_NE(std::find(tokens.begin(), tokens.end(), "WordList:prénom"), tokens.end());
    EXPECT_NE(std::find(tokens.begin(), tokens.end(), "CustomStyle:-- ёж\n"), tokens.end());
    std::string joined;
    for (const auto& t : tokens) joined += t.substr(t.find(':') + 1);
    EXPECT_EQ(joined, e.m.Text());
}
