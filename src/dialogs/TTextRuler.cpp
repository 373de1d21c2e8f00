#include "dialogs/TTextRuler.h"

#include <span>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kHeight = 22;
constexpr int kHalf = 5;  // half a marker's width
}  // namespace

TTextRuler::TTextRuler(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeight);
    setMouseTracking(false);
}

QSize TTextRuler::sizeHint() const { return {width_ + origin_, kHeight}; }

void TTextRuler::SetIndents(int first, int left, int right) {
    first_ = std::max(0, first);
    left_ = std::max(0, left);
    right_ = std::max(0, right);
    update();
}

void TTextRuler::SetTextArea(int origin, int width) {
    origin_ = origin;
    width_ = std::max(1, width);
    update();
}

int TTextRuler::MarkerX(Marker m) const {
    switch (m) {
        case FirstIndent: return origin_ + first_;
        case LeftIndent: return origin_ + left_;
        case RightIndent: return origin_ + width_ - right_;
        default: return -1;
    }
}

TTextRuler::Marker TTextRuler::MarkerAt(QPoint p) const {
    // The first-line marker hangs from the top, the other two stand on
    // the bottom.
    static constexpr Marker kTop[] = {FirstIndent};
    static constexpr Marker kBottom[] = {LeftIndent, RightIndent};
    const bool top = p.y() < height() / 2;
    for (Marker m : top ? std::span<const Marker>(kTop) : std::span<const Marker>(kBottom))
        if (std::abs(p.x() - MarkerX(m)) <= kHalf + 1) return m;
    return None;
}

void TTextRuler::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.fillRect(QRect(origin_, 3, width_, height() - 6), palette().color(QPalette::Base));
    p.setPen(palette().color(QPalette::WindowText));
    // A tick every quarter inch (24 pixels), a longer one every inch.
    for (int x = 0, i = 0; x <= width_; x += 24, ++i) {
        const int len = i % 4 == 0 ? 6 : 3;
        p.drawLine(origin_ + x, height() / 2 - len / 2, origin_ + x, height() / 2 + len / 2);
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(palette().color(QPalette::Mid));
    auto triangle = [&](int x, bool down) {
        QPainterPath path;
        const int y0 = down ? 0 : height();
        const int y1 = down ? kHalf + 3 : height() - kHalf - 3;
        path.moveTo(x - kHalf, y0);
        path.lineTo(x + kHalf, y0);
        path.lineTo(x, y1);
        path.closeSubpath();
        p.drawPath(path);
    };
    triangle(MarkerX(FirstIndent), true);
    triangle(MarkerX(LeftIndent), false);
    triangle(MarkerX(RightIndent), false);
}

void TTextRuler::mousePressEvent(QMouseEvent* e) {
    dragged_ = e->button() == Qt::LeftButton ? MarkerAt(e->position().toPoint()) : None;
}

void TTextRuler::mouseMoveEvent(QMouseEvent* e) {
    if (dragged_ == None) return;
    const int x = std::clamp(static_cast<int>(e->position().x()) - origin_, 0, width_);
    switch (dragged_) {
        case FirstIndent: first_ = std::min(x, width_ - right_); break;
        case LeftIndent: left_ = std::min(x, width_ - right_); break;
        case RightIndent: right_ = std::max(0, width_ - std::max({x, left_, first_})); break;
        default: break;
    }
    update();
    if (OnChanged) OnChanged(first_, left_, right_);
}

void TTextRuler::mouseReleaseEvent(QMouseEvent*) { dragged_ = None; }
