#include "app/TBusySplitter.h"

#include <QPainter>
#include <QSplitterHandle>

namespace {

class BusyHandle : public QSplitterHandle {
public:
    BusyHandle(Qt::Orientation o, TBusySplitter* parent) : QSplitterHandle(o, parent), owner_(parent) {}

protected:
    void paintEvent(QPaintEvent* e) override {
        QSplitterHandle::paintEvent(e);
        QPainter p(this);
        p.fillRect(QRect(30, 0, 10, 7), owner_->Mark(1));
        p.fillRect(QRect(50, 0, 10, 7), owner_->Mark(2));
    }

private:
    TBusySplitter* owner_;
};

}  // namespace

TBusySplitter::TBusySplitter(Qt::Orientation orientation, QWidget* parent) : QSplitter(orientation, parent) {
    setHandleWidth(7);
}

void TBusySplitter::SetMark(int slot, bool on, QColor colour) {
    if (slot < 1 || slot > 2) return;
    on_[static_cast<size_t>(slot - 1)] = on;
    marks_[static_cast<size_t>(slot - 1)] = colour;
    // A run blocks the event loop: paint the handle now.
    for (int i = 1; i < count(); ++i)
        if (QSplitterHandle* h = handle(i)) h->repaint();
}

QColor TBusySplitter::Mark(int slot) const {
    const size_t i = static_cast<size_t>(slot - 1);
    return on_[i] ? marks_[i] : palette().color(QPalette::Button);
}

QSplitterHandle* TBusySplitter::createHandle() { return new BusyHandle(orientation(), this); }
