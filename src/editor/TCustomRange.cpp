#include "TCustomRange.h"

#include <algorithm>

#include "TFormattedRange.h"
#include "TMCRanges.h"
#include "TMemoModel.h"
#include "TSelectionRange.h"
#include "TVisibleRange.h"
#include "TWholeTextRange.h"

TMCRanges::TMCRanges(TMemoModel* memo) : TObjectContainer(memo), memo_(memo) {}

TCustomRange::TCustomRange(TMCRanges* ranges) : TContainerItem(ranges), memo_(ranges ? ranges->Memo() : nullptr) {}

TCustomRange::TCustomRange(TMemoModel* memo) : TContainerItem(nullptr), memo_(memo) {}

TCustomRange::~TCustomRange() = default;

void TCustomRange::SetRLength(int v) { SetREnd(GetRStart() + v - 1); }

TPoint TCustomRange::GetStartPoint() const { return memo_ ? memo_->OffsetToPoint(GetRStart()) : TPoint{1, 1}; }
TPoint TCustomRange::GetEndPoint() const { return memo_ ? memo_->OffsetToPoint(GetREnd()) : TPoint{1, 0}; }

void TCustomRange::SetStartPoint(TPoint p) {
    if (memo_) SetRStart(memo_->PointToOffset(p.X, p.Y));
}

void TCustomRange::SetEndPoint(TPoint p) {
    if (memo_) SetREnd(memo_->PointToOffset(p.X, p.Y));
}

void TCustomRange::SetText(std::string_view s) {
    if (memo_) memo_->ReplaceRange(*this, s);
}

std::string TCustomRange::GetText() const { return memo_ ? memo_->Substr(GetRStart(), GetRLength()) : std::string(); }

void TCustomRange::Clear() {
    if (GetRLength() >= 1) SetText("");
}

void TCustomRange::Repaint() {
    if (!memo_ || !memo_->View() || memo_->VisibleRange().UpdateCount() > 0) return;
    const bool special = this == &memo_->VisibleRange() || this == static_cast<TCustomRange*>(&memo_->WholeText());
    if (!special && GetRLength() < 1 && GetRStart() < memo_->TextLength()) return;
    memo_->View()->RepaintRange(*this);
}

void TCustomRange::ScrollIntoView(int) {
    if (!memo_) return;
    TVisibleRange& vis = memo_->VisibleRange();
    const TPoint t = memo_->OffsetToPoint(IsBackwards() ? GetRStart() : GetREnd() + 1);
    const int c = memo_->PointToVisualColumn(t.X, t.Y);
    const int top = vis.TopLine(), left = vis.LeftCol();
    const int rows = memo_->VisibleRows(), cols = memo_->VisibleCols();
    vis.BeginUpdate();
    if (t.Y < vis.TopLine()) vis.SetTopLine(t.Y);
    if (t.Y > vis.TopLine() + rows - 1) vis.SetTopLine(t.Y - rows + 1);
    if (c < vis.LeftCol()) vis.SetLeftCol(c);
    if (vis.LeftCol() < c - cols) vis.SetLeftCol(std::max(1, c - cols));
    if (vis.TopLine() != top || vis.LeftCol() != left) {
        vis.EndUpdate();
    } else {
        vis.EndUpdateQuiet();
    }
}

void TCustomRange::Assign(const TCustomRange& source) {
    BeginUpdate();
    SetRStart(source.RStart());
    SetREnd(source.REnd());
    EndUpdate();
}

void TCustomRange::BeginUpdate() {
    if (updateCount_ == 0) DoBeginUpdate();
    ++updateCount_;
}

void TCustomRange::EndUpdate() {
    if (--updateCount_ == 0) DoChanged();
}

void TCustomRange::EndUpdateQuiet() {
    if (--updateCount_ == 0) DoEndUpdateQuiet();
}

void TCustomRange::DoChanged() {
    if (events_ && events_->onChange) events_->onChange(*this);
}

void TCustomRange::DoOverwrite() {
    if (events_ && events_->onOverwrite) events_->onOverwrite(*this);
}

// ---------------------------------------------------------------------------

int TMCRange::ClampStart(int v) const {
    if (!memo_) return v;
    return std::clamp(v, 1, memo_->TextLength() + 1);
}

int TMCRange::ClampEnd(int v, int start) const {
    if (!memo_) return v;
    return std::max(start - 1, std::min(v, memo_->TextLength()));
}

void TMCRange::SetRStart(int v) {
    start_ = ClampStart(v);
    SetREnd(end_);
}

void TMCRange::SetREnd(int v) { end_ = ClampEnd(v, start_); }

int TWholeTextRange::GetREnd() const { return memo_ ? memo_->TextLength() : 0; }

// ---------------------------------------------------------------------------

void TVisibleRange::SetTopLine(int v) {
    if (memo_) {
        const int hi = memo_->LineCount() - memo_->VisibleRows() + 1;
        v = std::max(1, std::min(v, hi));
    }
    topLine_ = v;
}

void TVisibleRange::SetLeftCol(int v) {
    if (memo_) {
        const int hi = memo_->MaxLineWidth() - memo_->VisibleCols() + 1;
        v = std::max(1, std::min(v, hi));
    }
    leftCol_ = v;
}

int TVisibleRange::RightCol() const { return leftCol_ + (memo_ ? memo_->VisibleCols() : 0) + 1; }
void TVisibleRange::SetRightCol(int v) { SetLeftCol(v - (memo_ ? memo_->VisibleCols() : 0)); }

void TVisibleRange::Clamp() {
    SetTopLine(topLine_);
    SetLeftCol(leftCol_);
}

TVisibleRect TVisibleRange::Rect() const {
    const int rows = memo_ ? memo_->VisibleRows() : 0;
    return {leftCol_, topLine_, RightCol(), topLine_ + rows + 1};
}

void TVisibleRange::SetRStart(int v) {
    if (memo_) SetTopLine(memo_->OffsetToPoint(v).Y);
}

int TVisibleRange::GetRStart() const { return memo_ ? memo_->PointToOffset(1, topLine_) : 1; }

int TVisibleRange::GetREnd() const {
    if (!memo_) return 0;
    return std::min(memo_->PointToOffset(0, topLine_ + memo_->VisibleRows() + 1), memo_->TextLength());
}

void TVisibleRange::DoBeginUpdate() { saved_ = Rect(); }

void TVisibleRange::DoChanged() {
    TCustomRange::DoChanged();
    if (!memo_) return;
    const TVisibleRect now = Rect();
    if (now == saved_) return;
    TSelectionRange& sel = memo_->Selection();
    sel.HideCaret();
    if (memo_->View()) memo_->View()->VisibleAreaChanged(saved_, now);
    sel.PlaceCaret();
    sel.ShowCaret();
}

// ---------------------------------------------------------------------------

void TSelectionRange::SetHidden(bool v) {
    if (v == hidden_) return;
    hidden_ = v;
    Repaint();
}

void TSelectionRange::CollapseTo(int p) {
    BeginUpdate();
    backwards_ = false;
    SetRStart(p);
    SetREnd(p - 1);
    EndUpdate();
}

void TSelectionRange::ExtendTo(int p) {
    BeginUpdate();
    if (!backwards_) {
        if (p < RStart()) {
            backwards_ = true;
            const int anchor = RStart();
            SetRStart(p);
            SetREnd(anchor - 1);
        } else {
            SetREnd(p - 1);
        }
    } else {
        if (p > REnd()) {
            backwards_ = false;
            const int anchor = REnd();
            SetRStart(anchor + 1);
            SetREnd(p - 1);
        } else {
            SetRStart(p);
        }
    }
    EndUpdate();
}

int TSelectionRange::DesiredColumn() {
    if (desiredColumn_ < 0 && memo_) {
        const TPoint p = memo_->OffsetToPoint(CaretOffset());
        desiredColumn_ = memo_->PointToVisualColumn(p.X, p.Y);
    }
    return desiredColumn_;
}

int TSelectionRange::ColumnForLine(int line) {
    if (!memo_) return 1;
    const int col = memo_->VisualToPoint(DesiredColumn(), line).X;
    return std::min(col, memo_->LineLength(line) + 1);
}

void TSelectionRange::HideCaret() {
    if (memo_ && memo_->View()) memo_->View()->HideCaret();
    caretShown_ = false;
}

void TSelectionRange::ShowCaret() {
    if (UpdateCount() > 0 || !memo_ || !memo_->View()) return;
    memo_->View()->ShowCaret();
    caretShown_ = true;
}

void TSelectionRange::PlaceCaret() {
    if (UpdateCount() > 0 || !memo_ || !memo_->View()) return;
    memo_->View()->PlaceCaret();
}

void TSelectionRange::Assign(const TCustomRange& source) {
    BeginUpdate();
    if (auto* s = dynamic_cast<const TSelectionRange*>(&source)) backwards_ = s->backwards_;
    SetRStart(source.RStart());
    SetREnd(source.REnd());
    EndUpdate();
}

void TSelectionRange::DoBeginUpdate() {
    HideCaret();
    desiredColumn_ = -1;
    hasSnapshot_ = true;
    snapStart_ = RStart();
    snapEnd_ = REnd();
}

void TSelectionRange::DoChanged() {
    TMCRange::DoChanged();
    if (hasSnapshot_ && memo_) {
        hasSnapshot_ = false;
        TMCRange scratch(memo_);
        const int s = RStart(), e = REnd();
        auto paint = [&](int from, int to) {
            if (to < from) return;
            scratch.SetRStart(from);
            scratch.SetREnd(to);
            scratch.Repaint();
        };
        if (s != snapStart_ && e != snapEnd_) {
            paint(s, e);
            paint(snapStart_, snapEnd_);
        } else if (e != snapEnd_) {
            paint(std::min(snapEnd_, e) + 1, std::max(snapEnd_, e));
        } else if (s != snapStart_) {
            paint(std::min(snapStart_, s), std::max(snapStart_, s) - 1);
        }
    }
    PlaceCaret();
    ShowCaret();
    if (memo_) memo_->DoSelectionChange();
}

void TSelectionRange::DoEndUpdateQuiet() {
    hasSnapshot_ = false;
    PlaceCaret();
    ShowCaret();
}

// ---------------------------------------------------------------------------

void TCustomFormattedRange::Assign(const TCustomRange& source) {
    BeginUpdate();
    SetRStart(source.RStart());
    SetREnd(source.REnd());
    if (auto* f = dynamic_cast<const TCustomFormattedRange*>(&source)) {
        SetColor(f->GetColor());
        SetFont(f->GetFont());
    }
    EndUpdate();
}

TColor TNormalFormattedRange::GetColor() const { return memo_ ? memo_->Color() : clWindow; }
const TFont* TNormalFormattedRange::GetFont() const { return memo_ ? &memo_->Font() : nullptr; }
