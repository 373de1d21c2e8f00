#include "TSyntaxRange.h"

#include <algorithm>

#include "ESourceEdit.h"
#include "TEditorModel.h"

TSyntaxRange::TSyntaxRange(TEditorModel* editor) : TCustomFormattedRange(static_cast<TMemoModel*>(editor)) {
    if (!editor) throw ESourceEdit("Invalid property value");
}

TSyntaxRange::~TSyntaxRange() {
    if (linked_) Editor()->Unlink(this);
}

TEditorModel* TSyntaxRange::Editor() const { return static_cast<TEditorModel*>(memo_); }

int TSyntaxRange::Bias() const { return pending_ ? Editor()->pendingDelta_ : 0; }

void TSyntaxRange::SetRStart(int v) {
    const int b = Bias();
    start_ = ClampStart(v) - b;
    SetREnd(end_ + b);
}

void TSyntaxRange::SetREnd(int v) {
    const int b = Bias();
    end_ = ClampEnd(v, start_ + b) - b;
}

TColor TSyntaxRange::GetColor() const { return memo_->Color(); }
const TFont* TSyntaxRange::GetFont() const { return &memo_->Font(); }

void TSyntaxRange::UpdateLevel() { level_ = prev_ ? prev_->LevelAfter() : 0; }

bool TSyntaxRange::IsEqual(const TSyntaxRange& other) const {
    return typeid(*this) == typeid(other) && REnd() == other.REnd();
}

bool TSyntaxRange::Refresh() {
    const int old = level_;
    UpdateLevel();
    return level_ != old;
}

void TSyntaxRange::DoOverwrite() {
    TCustomFormattedRange::DoOverwrite();
    delete this;
}

const TFont* TCustomStyleRange::GetFont() const { return style_ ? &style_->Font() : TSyntaxRange::GetFont(); }

bool TCustomStyleRange::IsEqual(const TSyntaxRange& other) const {
    return TSyntaxRange::IsEqual(other) && static_cast<const TCustomStyleRange&>(other).style_ == style_;
}

const TFont* TWordListRange::GetFont() const { return list_ ? &list_->Font() : TSyntaxRange::GetFont(); }

bool TWordListRange::IsEqual(const TSyntaxRange& other) const {
    return TSyntaxRange::IsEqual(other) && static_cast<const TWordListRange&>(other).list_ == list_;
}

const TFont* TSymbolRange::GetFont() const {
    TEditorModel* e = Editor();
    return e->SyntaxColoring().Enabled() ? &e->SyntaxColoring().SymbolFont() : TSyntaxRange::GetFont();
}

bool TSymbolRange::IsEqual(const TSyntaxRange& other) const {
    return TSyntaxRange::IsEqual(other) && static_cast<const TSymbolRange&>(other).text_ == text_;
}

const TFont* TNumberRange::GetFont() const {
    TEditorModel* e = Editor();
    return e->SyntaxColoring().Enabled() ? &e->SyntaxColoring().NumberFont() : TSyntaxRange::GetFont();
}

bool TNumberRange::IsEqual(const TSyntaxRange& other) const {
    return TSyntaxRange::IsEqual(other) && static_cast<const TNumberRange&>(other).text_ == text_;
}

void TParenthesisRange::UpdateLevel() {
    TSyntaxRange::UpdateLevel();
    if (!closing_) SetParenthesisLevel(ParenthesisLevel() + 1);
}

bool TParenthesisRange::Refresh() {
    const bool changed = TSyntaxRange::Refresh();
    if (changed) Repaint();
    return changed;
}

const TFont* TParenthesisRange::GetFont() const {
    TEditorModel* e = Editor();
    if (!e->SyntaxColoring().Enabled()) return TSyntaxRange::GetFont();
    font_ = e->SyntaxColoring().ParenthesisFont();
    font_.Color = e->SyntaxColoring().ParenthesisColor(ParenthesisLevel() - 1);
    return &font_;
}

bool TParenthesisRange::IsEqual(const TSyntaxRange& other) const {
    return TSyntaxRange::IsEqual(other) && static_cast<const TParenthesisRange&>(other).closing_ == closing_;
}
