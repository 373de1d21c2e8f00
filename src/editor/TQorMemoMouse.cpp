#include "TQorMemo.h"

#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

#include "MemoText.h"
#include "TSelectionRange.h"
#include "TVisibleRange.h"

using namespace memo_text;

// ---------------------------------------------------------------------------
// Mouse

void TQorMemo::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    if (dblClick_) return;
    setFocus(Qt::MouseFocusReason);
    lastMouse_ = e->position().toPoint();
    model_->Selection().CollapseTo(OffsetAtPixel(lastMouse_));
    if (!selecting_) {
        selecting_ = true;
        dragTimer_->start();
    }
}

void TQorMemo::mouseMoveEvent(QMouseEvent* e) {
    lastMouse_ = e->position().toPoint();
    if (selecting_ && ClientArea().contains(lastMouse_)) model_->Selection().ExtendTo(OffsetAtPixel(lastMouse_));
}

void TQorMemo::DragStep() {
    if (!selecting_) {
        dragTimer_->stop();
        return;
    }
    TSelectionRange& sel = model_->Selection();
    sel.ExtendTo(OffsetAtPixel(lastMouse_));
    sel.ScrollIntoView();
}

void TQorMemo::mouseReleaseEvent(QMouseEvent* e) {
    if (selecting_ && (e->button() == Qt::LeftButton || e->button() == Qt::RightButton)) {
        dragTimer_->stop();
        selecting_ = false;
    }
    dblClick_ = false;
}

void TQorMemo::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    dblClick_ = true;
    SelectWordAtCaret();
}

void TQorMemo::SelectWordAtCaret() {
    TSelectionRange& sel = model_->Selection();
    const TMemoModel& m = *model_;
    int s = sel.RStart(), en = sel.REnd();
    while (s > 1 && m.CharAt(s - 1) != '\n' && IsWordChar(m.CharInfoAt(m.PrevCharOffset(s)))) s = m.PrevCharOffset(s);
    while (en < m.TextLength() && m.CharAt(en + 1) != '\n' && IsWordChar(m.CharInfoAt(en + 1)))
        en = m.NextCharOffset(en + 1) - 1;
    sel.BeginUpdate();
    sel.SetBackwards(false);
    sel.SetRStart(s);
    sel.SetREnd(en);
    sel.EndUpdate();
}
