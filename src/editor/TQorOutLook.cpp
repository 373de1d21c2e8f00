#include "TQorOutLook.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <algorithm>

#include "QorQtEdge.h"

TQorOutLookPage::TQorOutLookPage(TQorOutLook* bar) : QWidget(bar), bar_(bar) {
    setAutoFillBackground(true);
    SetColor(clGray);
    hide();
}

TQorOutLookPage::~TQorOutLookPage() {
    if (bar_) bar_->RemovePage(this);
}

void TQorOutLookPage::SetCaption(std::string v) {
    caption_ = std::move(v);
    if (bar_) {
        bar_->UpdateAccelerators();
        bar_->update();
    }
}

void TQorOutLookPage::SetColorTab(TColor v) {
    colorTab_ = v;
    if (bar_) bar_->update();
}

void TQorOutLookPage::SetColor(TColor v) {
    color_ = v;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(v, pal));
    setPalette(pal);
}

void TQorOutLookPage::SetImageIndex(int v) {
    imageIndex_ = v;
    if (bar_) bar_->update();
}

int TQorOutLookPage::PageIndex() const {
    if (!bar_) return -1;
    const auto& pages = bar_->pages_;
    const auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TQorOutLookPage::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange && bar_) bar_->update();
}

// ---------------------------------------------------------------------------

TQorOutLook::TQorOutLook(QWidget* parent) : QWidget(parent) {
    setGeometry(12, 12, 135, 112);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

TQorOutLook::~TQorOutLook() {
    // The pages are freed with the widget's children after this; they must
    // not report back to a bar that is going away.
    for (TQorOutLookPage* p : pages_) p->bar_ = nullptr;
}

TQorOutLookPage* TQorOutLook::NewPage(const std::string& caption) {
    auto* page = new TQorOutLookPage(this);
    page->caption_ = caption;
    page->imageIndex_ = PageCount();
    page->setObjectName(objectName() + "Page" + QString::number(PageCount() + 1));
    pages_.push_back(page);
    UpdateAccelerators();
    SetPageIndex(PageCount() - 1);
    LayoutPages();
    update();
    return page;
}

void TQorOutLook::RemovePage(TQorOutLookPage* page) {
    const auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    pages_.erase(it);
    page->bar_ = nullptr;
    pageIndex_ = pages_.empty() ? -1 : 0;
    hot_ = pressed_ = -1;
    UpdateAccelerators();
    LayoutPages();
    update();
}

void TQorOutLook::SetPageIndex(int v) {
    if (v == pageIndex_) return;
    if (!pages_.empty() && (v < 0 || v >= PageCount())) return;
    bool allow = true;
    if (OnChanging) OnChanging(*this, allow);
    if (!allow) return;
    pageIndex_ = v;
    LayoutPages();
    update();
    if (OnChange) OnChange();
}

void TQorOutLook::SetAlignment(TAlignment v) {
    alignment_ = v;
    update();
}

void TQorOutLook::SetFrameWidth(int v) {
    if (v < 0 || v >= 10) return;
    frameWidth_ = v;
    LayoutPages();
    update();
}

void TQorOutLook::SetTabHeight(int v) {
    if (v < 1 || v >= 51) return;
    tabHeight_ = v;
    LayoutPages();
    update();
}

void TQorOutLook::SetImages(std::vector<QPixmap> images) {
    images_ = std::move(images);
    update();
}

void TQorOutLook::SetHighLightColor(TColor v) {
    highLightColor_ = v;
    update();
}

void TQorOutLook::SetColor(TColor v) {
    color_ = v;
    update();
}

QRect TQorOutLook::TabRect(int i) const {
    const int w = width(), h = height(), F = frameWidth_, T = tabHeight_, n = PageCount();
    const int a = std::max(0, pageIndex_);
    const int top = i <= a ? i * T + F : h - (n - i) * T - 1 - F;
    return QRect(QPoint(F + 1, top), QPoint(w - F - 1 - 1, top + T - 1));
}

QRect TQorOutLook::PageRect() const {
    const int w = width(), h = height(), F = frameWidth_, T = tabHeight_, n = PageCount();
    const int a = std::max(0, pageIndex_);
    const int top = (a + 1) * T + F;
    const int bottom = h - std::max(0, n - (a + 1)) * T - F - 1;
    return QRect(QPoint(F, top), QPoint(w - F - 1, bottom - 1));
}

int TQorOutLook::TabAt(QPoint p) const {
    for (int i = 0; i < PageCount(); ++i)
        if (TabRect(i).contains(p)) return i;
    return -1;
}

void TQorOutLook::LayoutPages() {
    const QRect area = PageRect();
    for (int i = 0; i < PageCount(); ++i) {
        TQorOutLookPage* p = pages_[static_cast<size_t>(i)];
        p->setGeometry(area);
        if (i != pageIndex_) p->hide();
    }
    if (pageIndex_ >= 0 && pageIndex_ < PageCount()) {
        TQorOutLookPage* p = pages_[static_cast<size_t>(pageIndex_)];
        p->show();
        p->raise();
    }
}

void TQorOutLook::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    LayoutPages();
}

namespace {

void Frame3D(QPainter& p, QRect r, const QColor& topLeft, const QColor& bottomRight, int width) {
    for (int i = 0; i < width; ++i) {
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
}

}  // namespace

void TQorOutLook::paintEvent(QPaintEvent*) {
    LayoutPages();
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), ToQColor(PageCount() == 0 ? clSilver : color_, pal));
    const QColor black(Qt::black), light = ToQColor(clBtnHighlight, pal);
    Frame3D(p, rect(), black, light, frameWidth_);
    for (int i = PageCount() - 1; i >= 0; --i) {
        const TQorOutLookPage* page = pages_[static_cast<size_t>(i)];
        const QRect tab = TabRect(i);
        p.fillRect(tab, ToQColor(page->ColorTab(), pal));
        int imageWidth = 0;
        if (!images_.empty()) {
            const int k = page->ImageIndex();
            if (k >= 0 && k < static_cast<int>(images_.size())) {
                QPixmap img = images_[static_cast<size_t>(k)];
                img.setMask(img.createMaskFromColor(Qt::white));
                p.drawPixmap(tab.left() + 1, tab.top() + 1, img);
                imageWidth = img.width();
            }
            if (imageWidth == 0 && !images_.empty()) imageWidth = images_.front().width();
        }
        p.setFont(page->font());
        p.setPen(i == hot_ ? ToQColor(highLightColor_, pal) : page->palette().color(QPalette::WindowText));
        QRect text = tab.adjusted(2, 1, -2, -1);
        if (!images_.empty()) text.setLeft(text.left() + imageWidth + 2);
        const int align = alignment_ == TAlignment::taLeftJustify    ? Qt::AlignLeft
                          : alignment_ == TAlignment::taRightJustify ? Qt::AlignRight
                                                                     : Qt::AlignHCenter;
        const QString caption = AnsiToQString(page->Caption());
        const QString shown = p.fontMetrics().elidedText(caption, Qt::ElideRight, text.width(), Qt::TextShowMnemonic);
        p.drawText(text, align | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, shown);
        if (i == pressed_) {
            Frame3D(p, tab, black, light, 1);
        } else {
            Frame3D(p, tab, light, black, 1);
        }
    }
}

void TQorOutLook::mousePressEvent(QMouseEvent* e) {
    pressed_ = TabAt(e->position().toPoint());
    setFocus(Qt::MouseFocusReason);
    if (pressed_ >= 0) update();
}

void TQorOutLook::mouseMoveEvent(QMouseEvent* e) {
    const int t = TabAt(e->position().toPoint());
    if (t == hot_) return;
    hot_ = t;
    update();
}

void TQorOutLook::mouseReleaseEvent(QMouseEvent* e) {
    pressed_ = -1;
    const int t = TabAt(e->position().toPoint());
    if (t >= 0 && t != pageIndex_) {
        SetPageIndex(t);
    }
    update();
}

void TQorOutLook::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    hot_ = -1;
    update();
}

int TQorOutLook::PageOfAccelerator(QChar c) const {
    for (int i = 0; i < PageCount(); ++i) {
        const QString caption = AnsiToQString(pages_[static_cast<size_t>(i)]->Caption());
        const QKeySequence key = QKeySequence::mnemonic(caption);
        if (!key.isEmpty() && QKeySequence(QString("Alt+") + c.toUpper()) == key) return i;
    }
    return -1;
}

void TQorOutLook::keyPressEvent(QKeyEvent* e) {
    const int n = PageCount();
    if (n > 0 && e->key() == Qt::Key_Up) {
        SetPageIndex((pageIndex_ - 1 + n) % n);
    } else if (n > 0 && e->key() == Qt::Key_Down) {
        SetPageIndex((pageIndex_ + 1) % n);
    } else if ((e->modifiers() & Qt::AltModifier) && !e->text().isEmpty() && PageOfAccelerator(e->text()[0]) >= 0) {
        SetPageIndex(PageOfAccelerator(e->text()[0]));
    } else {
        QWidget::keyPressEvent(e);
    }
}

// Alt+accelerator works wherever the focus is in the window, as it does for
// buttons and labels.
void TQorOutLook::UpdateAccelerators() {
    for (QShortcut* s : shortcuts_) delete s;
    shortcuts_.clear();
    for (TQorOutLookPage* page : pages_) {
        const QKeySequence key = QKeySequence::mnemonic(AnsiToQString(page->Caption()));
        if (key.isEmpty()) continue;
        auto* s = new QShortcut(key, this);
        s->setContext(Qt::WindowShortcut);
        QObject::connect(s, &QShortcut::activated, this, [this, page] {
            const int i = page->PageIndex();
            if (i >= 0) SetPageIndex(i);
        });
        shortcuts_.push_back(s);
    }
}
