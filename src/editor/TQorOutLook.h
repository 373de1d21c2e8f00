#pragma once
// The side bar: stacked page tabs, one page open between the tabs above it
// and the tabs below it.
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "TColor.h"

class QShortcut;
class TQorOutLook;

#include "base/TAlignment.h"

// One page of the bar; it holds ordinary child widgets.
class TQorOutLookPage : public QWidget {
public:
    explicit TQorOutLookPage(TQorOutLook* bar);
    ~TQorOutLookPage() override;

    TQorOutLook* Bar() const { return bar_; }
    // The caption may mark its accelerator with "&".
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string v);
    TColor ColorTab() const { return colorTab_; }
    void SetColorTab(TColor v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    int PageIndex() const;

protected:
    void changeEvent(QEvent* e) override;

private:
    friend class TQorOutLook;
    TQorOutLook* bar_;
    std::string caption_;
    TColor colorTab_ = clSilver;
    TColor color_ = clGray;
    int imageIndex_ = -1;
};

class TQorOutLook : public QWidget {
public:
    explicit TQorOutLook(QWidget* parent = nullptr);
    ~TQorOutLook() override;

    // Creates a page with that caption, adds it and opens it.
    TQorOutLookPage* NewPage(const std::string& caption);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TQorOutLookPage* Page(int i) const { return pages_.at(static_cast<size_t>(i)); }

    int PageIndex() const { return pageIndex_; }
    void SetPageIndex(int v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    int FrameWidth() const { return frameWidth_; }
    // Widths of 10 and more are refused.
    void SetFrameWidth(int v);
    int TabHeight() const { return tabHeight_; }
    // Heights of 51 and more are refused.
    void SetTabHeight(int v);
    const std::vector<QPixmap>& Images() const { return images_; }
    void SetImages(std::vector<QPixmap> images);
    TColor HighLightColor() const { return highLightColor_; }
    void SetHighLightColor(TColor v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);

    std::function<void()> OnChange;
    // May set allow to false to keep the open page.
    std::function<void(TQorOutLook& sender, bool& allow)> OnChanging;

    QRect TabRect(int i) const;
    QRect PageRect() const;
    // The tab under a pixel, -1 for none.
    int TabAt(QPoint p) const;
    int HotTab() const { return hot_; }
    int PressedTab() const { return pressed_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    friend class TQorOutLookPage;
    void LayoutPages();
    void RemovePage(TQorOutLookPage* page);
    void UpdateAccelerators();
    int PageOfAccelerator(QChar c) const;

    std::vector<TQorOutLookPage*> pages_;
    std::vector<QShortcut*> shortcuts_;
    std::vector<QPixmap> images_;
    int pageIndex_ = -1;
    int hot_ = -1;
    int pressed_ = -1;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    int frameWidth_ = 1;
    int tabHeight_ = 16;
    TColor highLightColor_ = clNavy;
    TColor color_ = clGray;
};
