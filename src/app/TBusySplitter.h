#pragma once
#include <QColor>
#include <QSplitter>
#include <array>

// The splitter between the output pane and the input editor; its handle
// carries the two busy marks (x 30-40 and 50-60), each on in its colour or
// off in the button face colour.
class TBusySplitter : public QSplitter {
public:
    explicit TBusySplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

    void SetMark(int slot, bool on, QColor colour);
    // The colour slot (1 or 2) shows now.
    QColor Mark(int slot) const;

protected:
    QSplitterHandle* createHandle() override;

private:
    std::array<QColor, 2> marks_;
    std::array<bool, 2> on_{};
};
