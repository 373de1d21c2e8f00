#include "TQorMemo.h"

#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "MemoText.h"
#include "TSelectionRange.h"
#include "TVisibleRange.h"

using namespace memo_text;

// ---------------------------------------------------------------------------
// Scrolling

void TQorMemo::UpdateScrollBars() {
    const QRect a = ClientArea();
    model_->SetVisibleSize((a.height() - topMargin_) / cellH_, (a.width() - leftMargin_) / cellW_);
    UpdateTextArea();
    TSelectionRange& sel = model_->Selection();
    sel.PlaceCaret();
    sel.ShowCaret();
    ScheduleScrollBarSync();
}

void TQorMemo::WidestLineChanged() {
    // A narrower text may leave the window scrolled past its new right end;
    // pulling it back is a scroll, repainted as one. Otherwise only the
    // horizontal scroll bar changes.
    TVisibleRange& vis = model_->VisibleRange();
    vis.BeginUpdate();
    vis.Clamp();
    vis.EndUpdate();
    ScheduleScrollBarSync();
}

void TQorMemo::ScheduleScrollBarSync() {
    if (scrollBarsDirty_) return;
    scrollBarsDirty_ = true;
    syncTimer_->start();
}

void TQorMemo::SyncScrollBars() {
    scrollBarsDirty_ = false;
    const TVisibleRange& vis = model_->VisibleRange();
    const int rows = model_->VisibleRows(), cols = model_->VisibleCols();
    {
        QSignalBlocker b(vbar_);
        vbar_->setRange(1, std::max(1, model_->LineCount() - rows + 1));
        vbar_->setPageStep(rows);
        vbar_->setValue(vis.TopLine());
    }
    {
        QSignalBlocker b(hbar_);
        hbar_->setRange(1, std::max(1, model_->MaxLineWidth() - cols + 1));
        hbar_->setPageStep(cols);
        hbar_->setValue(vis.LeftCol());
    }
}

QScrollBar* TQorMemo::VerticalScrollBar() {
    if (scrollBarsDirty_) SyncScrollBars();
    return vbar_;
}

QScrollBar* TQorMemo::HorizontalScrollBar() {
    if (scrollBarsDirty_) SyncScrollBars();
    return hbar_;
}

void TQorMemo::VScroll(TScrollCode code, int pos) { ApplyScroll(true, code, pos); }
void TQorMemo::HScroll(TScrollCode code, int pos) { ApplyScroll(false, code, pos); }

void TQorMemo::ApplyScroll(bool vertical, TScrollCode code, int pos) {
    TVisibleRange& vis = model_->VisibleRange();
    const int page = vertical ? model_->VisibleRows() : model_->VisibleCols();
    const int extent = vertical ? model_->LineCount() : model_->MaxLineWidth();
    const int old = vertical ? vis.TopLine() : vis.LeftCol();
    int v = old;
    switch (code) {
        case TScrollCode::LineUp: v = old - 1; break;
        case TScrollCode::LineDown: v = old + 1; break;
        case TScrollCode::PageUp: v = old - page; break;
        case TScrollCode::PageDown: v = old + page; break;
        case TScrollCode::ThumbPosition:
        case TScrollCode::ThumbTrack: v = pos; break;
        case TScrollCode::Top: v = 1; break;
        case TScrollCode::Bottom: v = extent - page + 1; break;
    }
    v = std::max(1, std::min(v, extent - page + 1));
    vis.BeginUpdate();
    if (vertical) {
        vis.SetTopLine(v);
    } else {
        vis.SetLeftCol(v);
    }
    if (v != old) {
        ScheduleScrollBarSync();
        vis.EndUpdate();
    } else {
        vis.EndUpdateQuiet();
    }
}

void TQorMemo::VisibleAreaChanged(const TVisibleRect& before, const TVisibleRect& after) {
    ScheduleScrollBarSync();
    if (!Showing() || fullRepaintPending_) return;
    const bool overlap = after.Top < before.Bottom && before.Top < after.Bottom;
    if (before.Left != after.Left || !overlap) {
        UpdateTextArea();
        return;
    }
    const QRect a = ClientArea();
    const QRect text(a.left() + leftMargin_, a.top() + topMargin_, a.width() - leftMargin_, a.height() - topMargin_);
    const int dy = (before.Top - after.Top) * cellH_;
    if (std::abs(dy) >= text.height()) {
        UpdateTextArea();
        return;
    }
    // The caret's pixels travel with the text; the spot they land on is
    // repainted so that no stale caret stays behind.
    const QRect staleCaret = caretDrawn_.translated(0, dy);
    if (bitmapped_ && !bitmap_.isNull()) bitmap_.scroll(0, dy, text);
    scroll(0, dy, text);
    if (!staleCaret.isEmpty()) update(staleCaret);
    caretDrawn_ = QRect();
}
