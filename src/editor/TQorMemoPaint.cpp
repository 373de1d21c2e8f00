#include "TQorMemo.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>

#include "MemoText.h"
#include "QorQtEdge.h"
#include "TFormattedRange.h"
#include "TSelectionRange.h"
#include "TVisibleRange.h"

using namespace memo_text;

// Painting: cells, glyphs looked up once per font, and the rows drawn
// from them.

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
                        const QColor& cpen = ch.valid ? pen : LegacyByteColor();
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
