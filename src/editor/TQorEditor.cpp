#include "TQorEditor.h"

#include "TSelectionRange.h"

TQorEditor::TQorEditor(QWidget* parent) : TQorMemo(std::make_unique<TEditorModel>(), parent) {}

std::vector<TCustomFormattedRange*> TQorEditor::GetFormattedRanges(const TCustomRange& r) {
    TEditorModel& ed = Editor();
    if (!SyntaxColoring().Enabled() || !ed.FirstRange() || r.RLength() < 1) return TQorMemo::GetFormattedRanges(r);
    std::vector<TCustomFormattedRange*> out;
    const TSelectionRange& sel = ed.Selection();
    const bool selVisible = !sel.Hidden() && sel.RLength() >= 1;
    const int ss = selVisible ? sel.RStart() : 0;
    const int se = selVisible ? sel.REnd() : -1;
    auto part = [&](TSyntaxRange* t, int a, int b, bool inside) {
        if (b < a) return;
        if (!inside && a == t->RStart() && b == t->REnd()) {
            out.push_back(t);
            return;
        }
        auto* run = new TFormattedRange(&ed);
        run->SetRStart(a);
        run->SetREnd(b);
        TFont f = t->GetFont() ? *t->GetFont() : ed.Font();
        if (inside) f.Color = clHighlightText;
        run->SetFont(&f);
        run->SetColor(inside ? clHighlight : ed.Color());
        run->SetFreeAfterDraw(true);
        out.push_back(run);
    };
    for (TSyntaxRange* t = ed.FindSyntaxRange(r.RStart()); t && t->RStart() <= r.REnd(); t = t->NextRange()) {
        const int a = std::max(t->RStart(), r.RStart());
        const int b = std::min(t->REnd(), r.REnd());
        if (!selVisible) {
            part(t, a, b, false);
            continue;
        }
        part(t, a, std::min(b, ss - 1), false);
        part(t, std::max(a, ss), std::min(b, se), true);
        part(t, std::max(a, se + 1), b, false);
    }
    // Text the chain does not reach yet (it never should) still shows.
    const int covered = out.empty() ? r.RStart() - 1 : out.back()->REnd();
    if (covered < r.REnd()) {
        TMCRange rest(&ed);
        rest.SetRStart(covered + 1);
        rest.SetREnd(r.REnd());
        for (TCustomFormattedRange* run : TQorMemo::GetFormattedRanges(rest)) out.push_back(run);
    }
    return out;
}

bool TQorEditor::LeadingBlanks(std::string& indent) {
    TMemoModel& m = Model();
    const int caret = m.Selection().RStart();
    const int ls = m.PointToOffset(1, m.OffsetToPoint(caret).Y);
    indent.clear();
    for (int o = ls; o < caret; ++o) {
        const char c = m.CharAt(o);
        if (c != ' ' && c != '\t') return false;
        indent += c;
    }
    return true;
}

void TQorEditor::KeyPress(char& c) {
    if (!ReadOnly() && c != 0) {
        TSelectionRange& sel = Model().Selection();
        std::string indent;
        if (c == '\r' && autoIndent_) {
            LeadingBlanks(indent);
            sel.SetText("\n" + indent);
            sel.ScrollIntoView();
            c = 0;
        } else if (c == increaseStart_ && autoIndentIncrease_ && LeadingBlanks(indent)) {
            const int at = sel.RStart();
            const char next = Model().CharAt(at);
            if (next == '\n' || at > Model().TextLength()) {
                const std::string opening = std::string(1, increaseStart_) + "\n" + indent + "\t";
                sel.SetText(opening + "\n" + indent + std::string(1, increaseEnd_));
                sel.CollapseTo(at + static_cast<int>(opening.size()));
                sel.ScrollIntoView();
                c = 0;
            }
        }
    }
    TQorMemo::KeyPress(c);
}
