#include "TQorMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>

#include "QorQtEdge.h"
#include "TFormattedRange.h"
#include "TSelectionRange.h"
#include "TVisibleRange.h"
#include "base/Utf8.h"
#include "base/TStrings.h"

namespace {

// The character drawn for a character of the text: control characters
// have no glyph, so they show a middle dot (a cell stays a cell).
char32_t ShownCode(char32_t u) { return u < 0x20 ? 0x00B7 : u; }

// Letters of every script, digits and the identifier marks make words.
bool IsWordChar(const Utf8Char& ch) {
    const char32_t c = ch.code;
    if (!ch.valid) return false;
    if (c >= 0x80) return IsLetterChar(c);
    return c == '#' || c == '$' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

// Ill-formed bytes show as their Windows-1251 letters, in their own colour.
const QColor kLegacyByteColor(0x80, 0x00, 0x80);

// Floor division: pixels left of or above the text map to earlier cells.
int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The digit row, also as the shifted characters of a US layout, since
// Ctrl+Shift+3 may arrive as '#'.
int DigitOf(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
    static constexpr int shifted[10] = {Qt::Key_ParenRight, Qt::Key_Exclam,     Qt::Key_At,       Qt::Key_NumberSign,
                                        Qt::Key_Dollar,     Qt::Key_Percent,    Qt::Key_AsciiCircum, Qt::Key_Ampersand,
                                        Qt::Key_Asterisk,   Qt::Key_ParenLeft};
    for (int i = 0; i < 10; ++i)
        if (key == shifted[i]) return i;
    return -1;
}

constexpr int kFrame = 2;

}  // namespace

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

void TQorMemo::MeasureCell() {
    QFont& q = baseFont_.Font;
    q = ToQFont(model_->Font());
    QFontMetricsF fmf(q);
    // The grid needs whole-pixel cells; spacing makes every glyph advance
    // exactly one cell even when the substituted font's advance is fractional.
    const qreal adv = fmf.horizontalAdvance(QLatin1Char('M'));
    const int w = static_cast<int>(std::lround(adv));
    if (std::abs(adv - w) > 0.001) q.setLetterSpacing(QFont::AbsoluteSpacing, w - adv);
    QFontMetrics fm(q);
    cellW_ = fm.horizontalAdvance(QLatin1Char('M'));
    cellH_ = fm.height();
    if (cellW_ < 1 || cellH_ < 1) {
        cellW_ = 8;
        cellH_ = 13;
    }
    ascent_ = fm.ascent();
    runFonts_.clear();
    baseFont_.Key = model_->Font();
    baseFont_.Raw = QRawFont();
    baseFont_.GlyphState = 0;
}

TQorMemo::TRunFont& TQorMemo::RunFont(const TFont* f) {
    auto same = [f](const TFont& k) { return f->Name == k.Name && f->Size == k.Size && f->Style == k.Style; };
    if (!f || same(baseFont_.Key)) return baseFont_;
    for (const auto& rf : runFonts_)
        if (same(rf->Key)) return *rf;
    auto rf = std::make_unique<TRunFont>();
    rf->Key = *f;
    rf->Font = ToQFont(*f);
    rf->Font.setLetterSpacing(QFont::AbsoluteSpacing, baseFont_.Font.letterSpacing());
    runFonts_.push_back(std::move(rf));
    return *runFonts_.back();
}

void TQorMemo::LookUpGlyphs(TRunFont& rf) {
    rf.GlyphState = -1;
    // Lines, rectangles and the glyph positions of a decorated font come
    // out of the text layout; such a font keeps being drawn as text.
    if (rf.Font.underline() || rf.Font.strikeOut() || rf.Font.overline()) return;
    // The font as this widget's screen resolves it, as the painter would.
    rf.Raw = QRawFont::fromFont(QFont(rf.Font, this));
    if (!rf.Raw.isValid()) return;
    QString chars(128, QChar(u' '));
    for (int u = 0; u < 128; ++u)
        if (u != '\t') chars[u] = QChar(static_cast<char16_t>(ShownCode(static_cast<char32_t>(u))));
    const QList<quint32> glyphs = rf.Raw.glyphIndexesForString(chars);
    if (glyphs.size() != 128) return;
    // The cells are placed by hand, so the font has to fill them the way the
    // layout would: one advance plus the spacing per cell.
    const QList<QPointF> adv = rf.Raw.advancesForGlyphIndexes(QList<quint32>{glyphs['M']});
    if (adv.size() != 1 || std::abs(adv[0].x() + rf.Font.letterSpacing() - cellW_) > 0.02) return;
    std::copy(glyphs.begin(), glyphs.end(), rf.Ascii.begin());
    rf.Other.clear();
    rf.Fallbacks.clear();
    rf.GlyphState = 1;
}

TQorMemo::TGlyph TQorMemo::GlyphOf(TRunFont& rf, char32_t c) {
    c = ShownCode(c);
    if (c < 128) return {&rf.Raw, rf.Ascii[c]};
    const auto it = rf.Other.find(c);
    if (it != rf.Other.end()) return it->second;
    TGlyph glyph;
    const QList<quint32> own = rf.Raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
    if (own.size() == 1 && own[0] != 0) {
        glyph = {&rf.Raw, own[0]};
    } else {
        // Laid out once, the character shows which font Qt falls back to;
        // its glyph is drawn from that font from then on.
        QTextLayout layout(QString::fromUcs4(&c, 1), QFont(rf.Font, this));
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.size() == 1 && runs[0].glyphIndexes().size() == 1 && runs[0].glyphIndexes()[0] != 0) {
            const QRawFont raw = runs[0].rawFont();
            auto same = std::find(rf.Fallbacks.begin(), rf.Fallbacks.end(), raw);
            if (same == rf.Fallbacks.end()) {
                rf.Fallbacks.push_back(raw);
                same = rf.Fallbacks.end() - 1;
            }
            glyph = {&*same, runs[0].glyphIndexes()[0]};
        }
    }
    rf.Other.emplace(c, glyph);
    return glyph;
}

void TQorMemo::FontChanged() {
    MeasureCell();
    UpdateScrollBars();
}

// ---------------------------------------------------------------------------
// Painting

void TQorMemo::UpdateTextArea() {
    if (fullRepaintPending_) return;
    fullRepaintPending_ = true;
    update(ClientArea());
}

void TQorMemo::RepaintRange(const TCustomRange& range) {
    if (!Showing() || fullRepaintPending_) return;
    const TVisibleRange& vis = model_->VisibleRange();
    const int rows = model_->VisibleRows();
    const int L = model_->TextLength();
    int first = model_->OffsetToPoint(std::min(range.RStart(), std::max(L, 1))).Y;
    int last = model_->OffsetToPoint(std::max(range.REnd(), 1)).Y;
    const bool toEnd = range.REnd() >= L || range.RStart() > L;
    first = std::max(first, vis.TopLine());
    last = std::min(last, vis.TopLine() + rows + 1);
    const QRect a = ClientArea();
    if (toEnd) {
        if (first > vis.TopLine() + rows + 1) first = vis.TopLine() + rows + 1;
        update(QRect(a.left(), a.top() + topMargin_ + (first - vis.TopLine()) * cellH_, a.width(), a.height()).intersected(a));
        return;
    }
    if (last < first) return;
    const int y = a.top() + topMargin_ + (first - vis.TopLine()) * cellH_;
    QRect dirty(a.left(), y, a.width(), (last - first + 1) * cellH_);
    if (first == last) {
        // Within one line only the cells from the range's first character
        // on change; up to its last one, or to the right edge when the range
        // takes in the line break (a line that got shorter leaves cells to
        // clear).
        const TPoint s = model_->OffsetToPoint(range.RStart());
        const TPoint e = model_->OffsetToPoint(range.REnd() + 1);
        if (s.Y == first) {
            const int x0 = leftMargin_ + (model_->PointToVisualColumn(s.X, s.Y) - vis.LeftCol()) * cellW_;
            if (x0 > leftMargin_) dirty.setLeft(a.left() + x0);
        }
        if (e.Y == first && e.X <= model_->LineLength(first)) {
            const int x1 = leftMargin_ + (model_->PointToVisualColumn(e.X, e.Y) - vis.LeftCol()) * cellW_;
            dirty.setRight(std::max(dirty.left(), a.left() + x1 - 1));
        }
    }
    update(dirty.intersected(a));
}

void TQorMemo::paintEvent(QPaintEvent* e) {
    if (scrollBarsDirty_) SyncScrollBars();
    const QRect a = ClientArea();
    // Whatever was pending is painted now, merged into this event.
    fullRepaintPending_ = false;
    if (bitmapped_) {
        if (bitmap_.size() != size()) {
            bitmap_ = QPixmap(size());
            bitmap_.fill(ToQColor(Color(), palette()));
            QPainter bp(&bitmap_);
            PaintArea(bp, QRegion(a));
        } else {
            QPainter bp(&bitmap_);
            PaintArea(bp, e->region());
        }
    }
    QPainter p(this);
    if (bitmapped_) {
        p.drawPixmap(e->rect(), bitmap_, e->rect());
    } else {
        PaintArea(p, e->region());
    }
    // A frame inside the text (a typed character, the caret) leaves the
    // border and the scroll bar corner alone.
    if (borderStyle_ == TBorderStyle::bsSingle && !rect().adjusted(kFrame, kFrame, -kFrame, -kFrame).contains(e->rect())) {
        // A sunken client edge: dark outer line top-left, light bottom-right.
        const QRect r = rect();
        const QPalette& pal = palette();
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
        p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
        p.setPen(pal.color(QPalette::Midlight));
        p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
        p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    }
    if (vbar_->isVisible() && hbar_->isVisible()) {
        const QRect corner(vbar_->x(), hbar_->y(), vbar_->width(), hbar_->height());
        if (e->rect().intersects(corner)) p.fillRect(corner, palette().color(QPalette::Button));
    }
    caretDrawn_ = QRect();
    if (caretPosDirty_) {
        caretPos_ = CaretPixel();
        caretPosDirty_ = false;
    }
    if (CaretVisible() && caretBlinkOn_) {
        const QRect c = CaretRect().intersected(a);
        if (!c.isEmpty()) {
            p.fillRect(c, ToQColor(clWindowText, palette()));
            caretDrawn_ = c;
        }
    }
}

void TQorMemo::PaintArea(QPainter& p, const QRegion& region) {
    const QRect a = ClientArea();
    p.save();
    p.setClipRegion(region.intersected(a));
    p.translate(a.topLeft());
    const QColor bg = ToQColor(Color(), palette());
    if (topMargin_ > 0) p.fillRect(0, 0, a.width(), topMargin_, bg);
    if (leftMargin_ > 0) p.fillRect(0, 0, leftMargin_, a.height(), bg);
    // Each row a dirty rectangle touches is drawn once, across the columns
    // the rectangles cover in it (the clip keeps the rest as it was).
    const int rowCount = std::max(0, (a.height() - topMargin_ + cellH_ - 1) / cellH_);
    rowSpans_.assign(static_cast<size_t>(rowCount), {0, -1});
    for (const QRect& r : region) {
        const QRect local = r.translated(-a.topLeft()).intersected(QRect(0, 0, a.width(), a.height()));
        if (local.isEmpty()) continue;
        const int r0 = std::max(0, (local.top() - topMargin_) / cellH_);
        const int r1 = std::min(rowCount - 1, FloorDiv(local.bottom() - topMargin_, cellH_));
        for (int i = r0; i <= r1; ++i) {
            auto& [left, right] = rowSpans_[static_cast<size_t>(i)];
            if (right < left) {
                left = local.left();
                right = local.right();
            } else {
                left = std::min(left, local.left());
                right = std::max(right, local.right());
            }
        }
    }
    const int top = model_->VisibleRange().TopLine();
    for (int i = 0; i < rowCount; ++i) {
        const auto [left, right] = rowSpans_[static_cast<size_t>(i)];
        if (right < left) continue;
        const int line = top + i;
        const int y = topMargin_ + i * cellH_;
        ++paintedLines_;
        if (line <= model_->LineCount()) {
            // A glyph may reach a little into the next cell: the runs next
            // to the span are drawn too.
            spanLeft_ = left - cellW_;
            spanRight_ = right + cellW_;
            PaintTextLine(p, line, y);
        } else {
            p.fillRect(QRect(0, y, a.width(), cellH_), bg);
        }
    }
    spanLeft_ = INT_MIN;
    spanRight_ = INT_MAX;
    p.restore();
}

void TQorMemo::PaintTextLine(QPainter& p, int line, int y) {
    const TVisibleRange& vis = model_->VisibleRange();
    int reached = 1;
    const TPoint sp = model_->VisualToPoint(vis.LeftCol(), line, reached);
    const int start = model_->PointToOffset(sp.X, line);
    int end = std::min(model_->PointToOffset(0, line + 1), model_->TextLength());
    if (line < model_->LineCount() && model_->LineWidth(line) > vis.RightCol()) {
        const TPoint ep = model_->VisualToPoint(vis.RightCol(), line);
        end = model_->PointToOffset(ep.X, line);
    }
    TMCRange r(model_.get());
    r.SetRStart(start);
    r.SetREnd(end);
    const int tab = model_->TabSize();
    PaintLine(p, r, leftMargin_ + (reached - vis.LeftCol()) * cellW_, tab - (reached - 1) % tab, y);
}

std::vector<TCustomFormattedRange*> TQorMemo::GetFormattedRanges(const TCustomRange& r) {
    std::vector<TCustomFormattedRange*> out;
    TMemoModel* m = model_.get();
    auto normal = [&](int s, int e) {
        if (e < s) return;
        auto* run = new TNormalFormattedRange(m);
        run->SetRStart(s);
        run->SetREnd(e);
        run->SetFreeAfterDraw(true);
        out.push_back(run);
    };
    const TSelectionRange& sel = m->Selection();
    if (sel.Hidden() || sel.RLength() < 1) {
        auto* run = new TNormalFormattedRange(m);
        run->SetRStart(r.RStart());
        run->SetREnd(r.REnd());
        run->SetFreeAfterDraw(true);
        out.push_back(run);
        return out;
    }
    const int s = r.RStart(), e = r.REnd();
    normal(s, std::min(e, sel.RStart() - 1));
    const int is = std::max(s, sel.RStart()), ie = std::min(e, sel.REnd());
    if (is <= ie) {
        auto* run = new TFormattedRange(m);
        run->SetRStart(is);
        run->SetREnd(ie);
        run->SetColor(clHighlight);
        TFont f = m->Font();
        f.Color = clHighlightText;
        run->SetFont(&f);
        run->SetFreeAfterDraw(true);
        out.push_back(run);
    }
    normal(std::max(s, sel.REnd() + 1), e);
    return out;
}

void TQorMemo::PaintLine(QPainter& p, const TCustomRange& r, int x, int tabPhase, int y) {
    const TMemoModel& m = *model_;
    const int L = m.TextLength();
    if (r.RLength() < 1 && r.REnd() < L) return;
    const int clientW = ClientArea().width();
    const int tab = m.TabSize();
    const QPalette& pal = palette();
    // The row is drawn in two passes: first the backgrounds, neighbours of
    // one colour in one rectangle, then the glyphs, all glyphs of one font
    // and colour in one glyph run. Characters the font lacks are laid out
    // one cluster at a time at their cells; a decorated font's runs whole.
    for (TGlyphBatch& b : batches_) {
        b.Glyphs.clear();
        b.Positions.clear();
    }
    usedBatches_ = 0;
    textRuns_.clear();
    QRect bgRect;
    QColor bgColor;
    auto fill = [&](const QRect& cell, const QColor& c) {
        if (!bgRect.isEmpty() && c == bgColor && cell.left() == bgRect.right() + 1) {
            bgRect.setRight(cell.right());
            return;
        }
        if (!bgRect.isEmpty()) p.fillRect(bgRect, bgColor);
        bgRect = cell;
        bgColor = c;
    };
    auto batchFor = [&](const QRawFont* f, const QColor& c) -> TGlyphBatch& {
        for (size_t i = 0; i < usedBatches_; ++i)
            if (batches_[i].Raw == f && batches_[i].Pen == c) return batches_[i];
        if (usedBatches_ == batches_.size()) batches_.emplace_back();
        TGlyphBatch& b = batches_[usedBatches_++];
        b.Raw = f;
        b.Pen = c;
        return b;
    };

    for (TCustomFormattedRange* run : GetFormattedRanges(r)) {
        if (run->RLength() >= 1) {
            const int s = run->RStart();
            int e = run->REnd();
            // The line break takes no cell; the run's colour fills the rest
            // of the row after the line's last character.
            const bool endsLine = m.CharAt(e) == '\n';
            if (endsLine) --e;
            runText_ = m.Substr(s, e - s + 1);
            const std::string& text = runText_;
            const TFont* f = run->GetFont();
            TRunFont& rf = RunFont(f);
            if (rf.GlyphState == 0) LookUpGlyphs(rf);
            const QColor pen = ToQColor(f ? f->Color : clWindowText, pal);
            // Count the cells first: whether the run is clipped depends on
            // where it ends.
            int cells = 0;
            bool blank = true;
            int phase = tabPhase;
            for (size_t i = 0; i < text.size();) {
                const Utf8Char ch = DecodeUtf8(text, i);
                i += ch.length;
                if (ch.valid && ch.code == '\t') {
                    cells += phase;
                    phase = tab;
                    continue;
                }
                if (!(ch.valid && ch.code == ' ')) blank = false;
                const int w = CharCells(ch);
                cells += w;
                phase -= w;
                while (phase < 1) phase += tab;
            }
            const int right = endsLine ? std::max(clientW, x) : x + cells * cellW_;
            QRect cell(x, y, right - x, cellH_);
            if (cell.left() < leftMargin_) cell.setLeft(leftMargin_);
            // Runs outside the columns being repainted are left out.
            if (cell.width() > 0 && cell.right() >= spanLeft_ && cell.left() <= spanRight_) {
                fill(cell, ToQColor(run->GetColor(), pal));
                if (rf.GlyphState != 1) {
                    // A decorated font lays its run out whole (blanks too:
                    // they carry the underline).
                    QString shown;
                    int ph = tabPhase;
                    for (size_t i = 0; i < text.size();) {
                        const Utf8Char ch = DecodeUtf8(text, i);
                        i += ch.length;
                        if (ch.valid && ch.code == '\t') {
                            shown += QString(ph, QLatin1Char(' '));
                            ph = tab;
                            continue;
                        }
                        const char32_t u = ShownCode(ch.code);
                        shown += QString::fromUcs4(&u, 1);
                        ph -= CharCells(ch);
                        while (ph < 1) ph += tab;
                    }
                    textRuns_.push_back({&rf, pen, cell, x, shown});
                } else if (!blank) {
                    // Every character at its own cell: a glyph where the font
                    // has one, else its cluster laid out as text there.
                    const bool clipped = cell.left() != x;
                    int col = 0, ph = tabPhase;
                    for (size_t i = 0; i < text.size();) {
                        const auto byte = static_cast<unsigned char>(text[i]);
                        // Printable ASCII, nearly all of a script: one glyph
                        // in one cell, no decoding.
                        if (byte >= 0x20 && byte < 0x7F && !clipped &&
                            (i + 1 == text.size() || static_cast<unsigned char>(text[i + 1]) < 0x80)) {
                            const quint32 g = byte == ' ' ? 1 : rf.Ascii[byte];
                            if (g != 0) {
                                if (byte != ' ') {
                                    TGlyphBatch& b = batchFor(&rf.Raw, pen);
                                    b.Glyphs.push_back(g);
                                    b.Positions.emplace_back(x + col * cellW_, y + ascent_);
                                }
                                ++i;
                                ++col;
                                if (--ph < 1) ph += tab;
                                continue;
                            }
                        }
                        const size_t at = i;
                        const Utf8Char ch = DecodeUtf8(text, i);
                        i += ch.length;
                        if (ch.valid && ch.code == '\t') {
                            col += ph;
                            ph = tab;
                            continue;
                        }
                        const int w = CharCells(ch);
                        // A cluster: the character and the marks after it.
                        size_t end = i;
                        while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80) {
                            const Utf8Char mark = DecodeUtf8(text, end);
                            if (CharCells(mark) != 0) break;
                            end += mark.length;
                        }
                        const QColor& cpen = ch.valid ? pen : kLegacyByteColor;
                        const int px = x + col * cellW_;
                        const bool space = ch.valid && ch.code == ' ' && end == i;
                        bool byGlyphs = !clipped;
                        TGlyph glyphs[8];
                        int count = 0;
                        for (size_t k = at; k < end && byGlyphs && !space;) {
                            const Utf8Char c = DecodeUtf8(text, k);
                            k += c.length;
                            const TGlyph g = GlyphOf(rf, c.code);
                            if (!g.Raw || g.Index == 0 || count == 8) {
                                byGlyphs = false;
                                break;
                            }
                            glyphs[count++] = g;
                        }
                        if (space) {
                            // A blank only advances.
                        } else if (byGlyphs) {
                            // A mark is drawn from the origin of its letter's last cell.
                            for (int k = 0; k < count; ++k) {
                                TGlyphBatch& b = batchFor(glyphs[k].Raw, cpen);
                                b.Glyphs.push_back(glyphs[k].Index);
                                b.Positions.emplace_back(px + (k == 0 ? 0 : (w - 1) * cellW_), y + ascent_);
                            }
                        } else {
                            QString shown;
                            for (size_t k = at; k < end;) {
                                const Utf8Char c = DecodeUtf8(text, k);
                                k += c.length;
                                const char32_t u = ShownCode(c.code);
                                shown += QString::fromUcs4(&u, 1);
                            }
                            const QRect box(px, y, std::max(w, 1) * cellW_, cellH_);
                            textRuns_.push_back({&rf, cpen, box.intersected(cell), px, shown});
                        }
                        col += w;
                        ph -= w;
                        while (ph < 1) ph += tab;
                        i = end;
                    }
                }
            }
            tabPhase = phase;
            x = right;
        }
        if (run->FreeAfterDraw()) delete run;
    }
    if (r.REnd() >= L && x < clientW) {
        QRect rest(x, y, clientW - x, cellH_);
        if (rest.left() < leftMargin_) rest.setLeft(leftMargin_);
        fill(rest, ToQColor(Color(), pal));
    }
    if (!bgRect.isEmpty()) p.fillRect(bgRect, bgColor);

    QGlyphRun glyphRun;
    for (size_t i = 0; i < usedBatches_; ++i) {
        const TGlyphBatch& b = batches_[i];
        if (b.Glyphs.empty()) continue;
        p.setPen(b.Pen);
        glyphRun.setRawFont(*b.Raw);
        glyphRun.setRawData(b.Glyphs.data(), b.Positions.data(), static_cast<int>(b.Glyphs.size()));
        p.drawGlyphRun(QPointF(0, 0), glyphRun);
    }
    for (const TTextRun& t : textRuns_) {
        p.setPen(t.Pen);
        p.setFont(t.Font->Font);
        // A fallback glyph stays inside its cells, and a glyph cut by the
        // left margin inside the text area.
        p.save();
        p.setClipRect(t.Cell, Qt::IntersectClip);
        p.drawText(t.X, t.Cell.top() + ascent_, t.Text);
        p.restore();
    }
}

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

// ---------------------------------------------------------------------------
// Keyboard

int TQorMemo::WordLeft(int c) const {
    if (c <= 1) return 1;
    const TMemoModel& m = *model_;
    int p = m.PrevCharOffset(c);
    if (m.CharAt(p) == '\n') return p;
    const bool word = IsWordChar(m.CharInfoAt(p));
    while (p > 1) {
        const int before = m.PrevCharOffset(p);
        if (m.CharAt(before) == '\n' || IsWordChar(m.CharInfoAt(before)) != word) break;
        p = before;
    }
    return p;
}

int TQorMemo::WordRight(int c) const {
    const TMemoModel& m = *model_;
    const int L = m.TextLength();
    if (c > L) return L + 1;
    if (m.CharAt(c) == '\n') return c + 1;
    const bool word = IsWordChar(m.CharInfoAt(c));
    int p = c;
    while (p <= L && m.CharAt(p) != '\n' && IsWordChar(m.CharInfoAt(p)) == word) p = m.NextCharOffset(p);
    return p;
}

void TQorMemo::MoveCaret(int offset, bool extend) {
    TSelectionRange& sel = model_->Selection();
    if (extend) {
        sel.ExtendTo(offset);
    } else {
        sel.CollapseTo(offset);
    }
}

void TQorMemo::keyPressEvent(QKeyEvent* e) {
    int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (OnKeyDown) OnKeyDown(key, mods);
    KeyDown(key, mods);
    const QString text = e->text();
    const bool ctrlOnly = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
    if (key == 0 || text.isEmpty() || ctrlOnly) return;
    const char32_t u = text.toUcs4().value(0);
    // Keys such as Delete and Escape carry control codes that are no
    // characters to type.
    if (u == 0x7F || (u < 0x20 && u != '\t' && u != '\r')) return;
    if (u >= 0x80) {
        InsertTyped(text);
        return;
    }
    char c = static_cast<char>(u);
    KeyPress(c);
}

void TQorMemo::InsertTyped(const QString& text) {
    // Characters beyond ASCII go in whole, as their UTF-8 bytes.
    if (readOnly_ || text.isEmpty()) return;
    TSelectionRange& sel = model_->Selection();
    sel.SetText(text.toStdString());
    sel.ScrollIntoView();
}

void TQorMemo::inputMethodEvent(QInputMethodEvent* e) {
    // A composed character arrives whole when the input method commits it.
    if (!e->commitString().isEmpty()) InsertTyped(e->commitString());
    e->accept();
}

QVariant TQorMemo::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled: return !readOnly_;
        case Qt::ImCursorRectangle: return CaretRect();
        default: return QWidget::inputMethodQuery(query);
    }
}

void TQorMemo::KeyPress(char& c) {
    if (OnKeyPress) OnKeyPress(c);
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 && c != '\t' && c != '\r') return;
    if (readOnly_) return;
    TSelectionRange& sel = model_->Selection();
    if (c == '\r') {
        sel.SetText("\n");
    } else {
        sel.SetText(std::string_view(&c, 1));
    }
    sel.ScrollIntoView();
}

void TQorMemo::KeyDown(int& key, Qt::KeyboardModifiers mods) {
    if (key == 0) return;
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    TSelectionRange& sel = model_->Selection();
    TMemoModel& m = *model_;

    if (const int d = DigitOf(key); d >= 0 && ctrl && !alt) {
        const auto i = static_cast<size_t>(d);
        if (shift) {
            bookmarks_[i] = sel.GetStartPoint();
            bookmarkSet_[i] = true;
            QApplication::beep();
        } else if (bookmarkSet_[i]) {
            sel.CollapseTo(m.PointToOffset(bookmarks_[i].X, bookmarks_[i].Y));
            sel.ScrollIntoView();
            QApplication::beep();
        }
        return;
    }

    auto ctrlKeys = [&] {
        if (!ctrl) return;
        if (!shift && !alt && key == Qt::Key_C) {
            CopyToClipboard();
        } else if (!shift && !alt && key == Qt::Key_V && !readOnly_) {
            PasteFromClipboard();
        } else if (!shift && !alt && key == Qt::Key_X && !readOnly_) {
            CutToClipboard();
        } else if (key == Qt::Key_Z && !alt && !readOnly_) {
            Undo(shift);
        }
    };

    if (readOnly_ && !alwaysMoveCaret_) {
        switch (key) {
            case Qt::Key_PageUp: VScroll(TScrollCode::PageUp); break;
            case Qt::Key_PageDown: VScroll(TScrollCode::PageDown); break;
            case Qt::Key_End:
                if (ctrl) {
                    VScroll(TScrollCode::Bottom);
                } else {
                    HScroll(TScrollCode::Bottom);
                }
                break;
            case Qt::Key_Home:
                if (ctrl) VScroll(TScrollCode::Top);
                HScroll(TScrollCode::Top);
                break;
            case Qt::Key_Left: HScroll(TScrollCode::LineUp); break;
            case Qt::Key_Right: HScroll(TScrollCode::LineDown); break;
            case Qt::Key_Up: VScroll(TScrollCode::LineUp); break;
            case Qt::Key_Down: VScroll(TScrollCode::LineDown); break;
            case Qt::Key_Insert:
                if (ctrl) CopyToClipboard();
                break;
            default: break;
        }
        ctrlKeys();
        return;
    }

    const bool plain = !shift && !ctrl && !alt;
    const int caret = sel.CaretOffset();
    const TPoint cp = CaretPoint();
    int target = -1;
    bool vertical = false;
    // The column vertical moves aim for survives only while nothing else
    // moved the caret since the last vertical move.
    auto desired = [&] {
        if (vertCaret_ != caret || vertColumn_ < 0) vertColumn_ = m.PointToVisualColumn(cp.X, cp.Y);
        return vertColumn_;
    };
    auto lineTarget = [&](int line) {
        line = std::clamp(line, 1, m.LineCount());
        const int col = std::min(m.VisualToPoint(desired(), line).X, m.LineLength(line) + 1);
        vertical = true;
        return m.PointToOffset(col, line);
    };
    auto collapseOnly = [&](bool toStart) {
        if (shift || sel.RLength() < 1 || alwaysShowCaret_) return false;
        sel.CollapseTo(toStart ? sel.RStart() : sel.REnd() + 1);
        sel.ScrollIntoView();
        return true;
    };
    auto deleteWith = [&](int from, int to) {
        if (sel.RLength() < 1 && from <= to) {
            sel.BeginUpdate();
            sel.SetRStart(from);
            sel.SetREnd(to);
            sel.EndUpdateQuiet();
        }
        ClearSelection();
        sel.ScrollIntoView();
    };

    switch (key) {
        case Qt::Key_Backspace:
            if (readOnly_) break;
            if (plain) {
                deleteWith(caret > 1 ? m.PrevCharOffset(caret) : caret, caret - 1);
            } else if (alt && !ctrl) {
                Undo(shift);
            }
            break;
        case Qt::Key_Clear:
            if (!readOnly_) deleteWith(1, 0);
            break;
        case Qt::Key_PageUp: target = lineTarget(cp.Y - (m.VisibleRows() - 1)); break;
        case Qt::Key_PageDown: target = lineTarget(cp.Y + (m.VisibleRows() - 1)); break;
        case Qt::Key_End:
            target = ctrl ? m.PointToOffset(m.LineLength(m.LineCount()) + 1, m.LineCount())
                          : m.PointToOffset(m.LineLength(cp.Y) + 1, cp.Y);
            break;
        case Qt::Key_Home: target = ctrl ? 1 : m.PointToOffset(1, cp.Y); break;
        case Qt::Key_Left:
            if (collapseOnly(true)) break;
            if (ctrl) {
                target = WordLeft(caret);
            } else {
                target = m.PrevCharOffset(caret);
            }
            break;
        case Qt::Key_Right:
            if (collapseOnly(false)) break;
            if (ctrl) {
                target = WordRight(caret);
            } else {
                target = m.NextCharOffset(caret);
            }
            break;
        case Qt::Key_Up:
            if (collapseOnly(true)) break;
            target = lineTarget(cp.Y - 1);
            break;
        case Qt::Key_Down:
            if (collapseOnly(false)) break;
            target = lineTarget(cp.Y + 1);
            break;
        case Qt::Key_Insert:
            if (shift && !ctrl && !readOnly_) {
                PasteFromClipboard();
            } else if (ctrl && !shift) {
                CopyToClipboard();
            }
            break;
        case Qt::Key_Delete:
            if (readOnly_) break;
            if (plain) {
                deleteWith(caret, caret <= m.TextLength() ? m.NextCharOffset(caret) - 1 : caret - 1);
            } else if (shift && !ctrl && !alt) {
                CutToClipboard();
            }
            break;
        default: break;
    }
    if (target >= 1) {
        const int keep = vertColumn_;
        MoveCaret(target, shift);
        sel.ScrollIntoView();
        if (vertical) {
            vertColumn_ = keep;
            vertCaret_ = sel.CaretOffset();
        } else {
            vertColumn_ = -1;
        }
    }
    ctrlKeys();
}

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
