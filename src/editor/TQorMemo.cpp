#include "TQorMemo.h"

// The memo control: construction, properties, geometry, the caret, window
// events and the clipboard. Painting, keys, the mouse and scrolling live in
// the TQorMemo*.cpp files named after them.
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "MemoText.h"
#include "QorQtEdge.h"
#include "TSelectionRange.h"
#include "TVisibleRange.h"
#include "base/TStrings.h"

using namespace memo_text;

TQorMemo::TQorMemo(QWidget* parent) : TQorMemo(std::make_unique<TMemoModel>(), parent) {}

TQorMemo::TQorMemo(std::unique_ptr<TMemoModel> model, QWidget* parent)
    : QWidget(parent), OnChange(model->OnChange), OnSelectionChange(model->OnSelectionChange), model_(std::move(model)) {
    Init();
}

TQorMemo::~TQorMemo() {
    // The model outlives the widget parts it would call back into.
    model_->SetView(nullptr);
}

void TQorMemo::Init() {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    resize(129, 129);
    setMinimumSize(64, 64);

    vbar_ = new QScrollBar(Qt::Vertical, this);
    hbar_ = new QScrollBar(Qt::Horizontal, this);
    vbar_->setFocusPolicy(Qt::NoFocus);
    hbar_->setFocusPolicy(Qt::NoFocus);
    vbar_->setCursor(Qt::ArrowCursor);
    hbar_->setCursor(Qt::ArrowCursor);
    auto codeOf = [](int action) {
        switch (action) {
            case QAbstractSlider::SliderSingleStepSub: return TScrollCode::LineUp;
            case QAbstractSlider::SliderSingleStepAdd: return TScrollCode::LineDown;
            case QAbstractSlider::SliderPageStepSub: return TScrollCode::PageUp;
            case QAbstractSlider::SliderPageStepAdd: return TScrollCode::PageDown;
            case QAbstractSlider::SliderToMinimum: return TScrollCode::Top;
            case QAbstractSlider::SliderToMaximum: return TScrollCode::Bottom;
            default: return TScrollCode::ThumbTrack;
        }
    };
    connect(vbar_, &QAbstractSlider::actionTriggered, this, [this, codeOf](int action) {
        if (action == QAbstractSlider::SliderNoAction) return;
        VScroll(codeOf(action), vbar_->sliderPosition());
        vbar_->setSliderPosition(model_->VisibleRange().TopLine());
    });
    connect(hbar_, &QAbstractSlider::actionTriggered, this, [this, codeOf](int action) {
        if (action == QAbstractSlider::SliderNoAction) return;
        HScroll(codeOf(action), hbar_->sliderPosition());
        hbar_->setSliderPosition(model_->VisibleRange().LeftCol());
    });

    dragTimer_ = new QTimer(this);
    dragTimer_->setInterval(20);
    connect(dragTimer_, &QTimer::timeout, this, [this] { DragStep(); });
    blinkTimer_ = new QTimer(this);
    connect(blinkTimer_, &QTimer::timeout, this, [this] {
        caretBlinkOn_ = !caretBlinkOn_;
        UpdateCaretRect();
    });
    syncTimer_ = new QTimer(this);
    syncTimer_->setSingleShot(true);
    syncTimer_->setInterval(0);
    connect(syncTimer_, &QTimer::timeout, this, [this] { SyncScrollBars(); });

    model_->SetView(this);
    MeasureCell();
    LayoutChildren();
}

// ---------------------------------------------------------------------------
// Properties

void TQorMemo::SetReadOnly(bool v) {
    readOnly_ = v;
    model_->Selection().ShowCaret();
}

void TQorMemo::SetAlwaysShowCaret(bool v) {
    alwaysShowCaret_ = v;
    HideCaret();
    model_->Selection().ShowCaret();
}

void TQorMemo::SetBitmapped(bool v) {
    if (v == bitmapped_) return;
    bitmapped_ = v;
    if (!v) bitmap_ = QPixmap();
    UpdateTextArea();
    update();
}

void TQorMemo::SetScrollBars(TScrollStyle v) {
    scrollBars_ = v;
    LayoutChildren();
    UpdateScrollBars();
}

void TQorMemo::SetBorderStyle(TBorderStyle v) {
    borderStyle_ = v;
    LayoutChildren();
    UpdateScrollBars();
    update();
}

void TQorMemo::SetColor(TColor c) {
    model_->SetColor(c);
    update();
}

void TQorMemo::SetFont(const TFont& f) {
    model_->SetFont(f);
    FontChanged();
}

// ---------------------------------------------------------------------------
// Geometry

bool TQorMemo::Showing() const { return isVisible(); }

void TQorMemo::LayoutChildren() {
    const bool v = scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth;
    const bool h = scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth;
    const int b = borderStyle_ == TBorderStyle::bsSingle ? kFrame : 0;
    const QRect inner = rect().adjusted(b, b, -b, -b);
    const int vw = v ? vbar_->sizeHint().width() : 0;
    const int hh = h ? hbar_->sizeHint().height() : 0;
    vbar_->setVisible(v);
    hbar_->setVisible(h);
    if (v) vbar_->setGeometry(inner.right() - vw + 1, inner.top(), vw, inner.height() - hh);
    if (h) hbar_->setGeometry(inner.left(), inner.bottom() - hh + 1, inner.width() - vw, hh);
    clientArea_ = inner.adjusted(0, 0, -vw, -hh);
}

TPoint TQorMemo::ClientToPoint(QPoint p) const {
    const QRect a = ClientArea();
    return {FloorDiv(p.x() - a.left() - leftMargin_ + cellW_ / 2, cellW_) + 1, FloorDiv(p.y() - a.top() - topMargin_, cellH_) + 1};
}

QPoint TQorMemo::PointToClient(TPoint p) const {
    const QRect a = ClientArea();
    return {a.left() + (p.X - 1) * cellW_ + leftMargin_, a.top() + (p.Y - 1) * cellH_ + topMargin_};
}

int TQorMemo::OffsetAtPixel(QPoint pixel) const {
    const TPoint g = ClientToPoint(pixel);
    const TVisibleRange& vis = model_->VisibleRange();
    const int line = std::clamp(g.Y + vis.TopLine() - 1, 1, model_->LineCount());
    const int visual = std::max(1, g.X + vis.LeftCol() - 1);
    const TPoint p = model_->VisualToPoint(visual, line);
    return model_->PointToOffset(p.X, p.Y);
}

// ---------------------------------------------------------------------------
// Caret

// The caret is only drawn inside the client area (see paintEvent); its
// updates are clipped the same way, since a caret in the last column would
// otherwise reach into the vertical scroll bar and repaint it with every key.
QRect TQorMemo::CaretRect() const {
    return QRect(caretPosDirty_ ? CaretPixel() : caretPos_, QSize(2, std::max(1, cellH_ - 2)));
}

void TQorMemo::UpdateCaretRect() {
    // A pending full repaint draws the caret where it now is.
    if (fullRepaintPending_) return;
    if (!caretDrawn_.isEmpty()) update(caretDrawn_);
    if (CaretVisible()) update(CaretRect().intersected(ClientArea()));
}

TPoint TQorMemo::CaretPoint() const { return model_->OffsetToPoint(model_->Selection().CaretOffset()); }

void TQorMemo::HideCaret() {
    if (!caretShown_) return;
    caretShown_ = false;
    if (!caretDrawn_.isEmpty() && !fullRepaintPending_) update(caretDrawn_);
}

void TQorMemo::ShowCaret() {
    if (!caretExists_) return;
    const TSelectionRange& sel = model_->Selection();
    const bool show = (sel.RLength() < 1 || alwaysShowCaret_) && !sel.Hidden();
    if (show == caretShown_) return;
    caretShown_ = show;
    caretBlinkOn_ = true;
    if (fullRepaintPending_) return;
    if (show) {
        update(CaretRect().intersected(ClientArea()));
    } else if (!caretDrawn_.isEmpty()) {
        update(caretDrawn_);
    }
}

QPoint TQorMemo::CaretPixel() const {
    const TPoint p = CaretPoint();
    const TVisibleRange& vis = model_->VisibleRange();
    const int c = model_->PointToVisualColumn(p.X, p.Y);
    const QRect a = ClientArea();
    return {a.left() + leftMargin_ + (c - vis.LeftCol()) * cellW_ - 1, a.top() + topMargin_ + (p.Y - vis.TopLine()) * cellH_ + 1};
}

void TQorMemo::PlaceCaret() {
    // Without a caret, or before a full repaint, the position is worked out
    // when it is needed: a burst of appends places it once.
    if (!caretExists_ || fullRepaintPending_) {
        caretPosDirty_ = true;
        return;
    }
    caretPosDirty_ = false;
    const QPoint pos = CaretPixel();
    if (pos == caretPos_) return;
    caretPos_ = pos;
    caretBlinkOn_ = true;
    UpdateCaretRect();
}

void TQorMemo::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    caretExists_ = true;
    TSelectionRange& sel = model_->Selection();
    sel.PlaceCaret();
    sel.ShowCaret();
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0) blinkTimer_->start(flash / 2);
}

void TQorMemo::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    HideCaret();
    caretExists_ = false;
    blinkTimer_->stop();
}

// ---------------------------------------------------------------------------
// Window events

void TQorMemo::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    LayoutChildren();
    if (bitmapped_) bitmap_ = QPixmap();
    UpdateScrollBars();
}

void TQorMemo::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    LayoutChildren();
    UpdateScrollBars();
}

void TQorMemo::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::PaletteChange) update();
}

// ---------------------------------------------------------------------------
// Clipboard and edits

void TQorMemo::CopyToClipboard() {
    if (model_->Selection().RLength() < 1) return;
    QGuiApplication::clipboard()->setText(AnsiToQString(model_->GetSelText()));
}

void TQorMemo::CutToClipboard() {
    if (model_->Selection().RLength() < 1) return;
    CopyToClipboard();
    ClearSelection();
}

void TQorMemo::PasteFromClipboard() {
    TSelectionRange& sel = model_->Selection();
    sel.SetText(QStringToAnsi(QGuiApplication::clipboard()->text()));
    sel.ScrollIntoView();
}

void TQorMemo::ClearSelection() {
    TSelectionRange& sel = model_->Selection();
    if (sel.RLength() >= 1) sel.SetText("");
}

void TQorMemo::Undo(bool redo) {
    if (redo) {
        model_->Redo();
    } else {
        model_->Undo();
    }
}
