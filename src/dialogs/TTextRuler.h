#pragma once
// The text viewer's ruler: a scale above the rich text with three markers
// the user drags: the first line's indent (top), the left indent and the
// right indent (bottom). Positions are pixels from the text's left edge.
#include <QWidget>
#include <functional>

class TTextRuler : public QWidget {
public:
    enum Marker { None = -1, FirstIndent, LeftIndent, RightIndent };

    explicit TTextRuler(QWidget* parent = nullptr);

    // first and left from the text's left edge, right from its right edge.
    void SetIndents(int first, int left, int right);
    int First() const { return first_; }
    int Left() const { return left_; }
    int Right() const { return right_; }
    // Where the text begins inside the ruler and how wide it is.
    void SetTextArea(int origin, int width);
    int Origin() const { return origin_; }
    int TextWidth() const { return width_; }
    // The marker's x in the ruler's own pixels.
    int MarkerX(Marker m) const;

    // After every move of a marker by the user.
    std::function<void(int first, int left, int right)> OnChanged;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    Marker MarkerAt(QPoint p) const;

    int first_ = 0;
    int left_ = 0;
    int right_ = 0;
    int origin_ = 4;
    int width_ = 400;
    Marker dragged_ = None;
};
