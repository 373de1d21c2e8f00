#pragma once
#include "IMemoView.h"
#include "TCustomRange.h"

// The part of the text on screen: from the first column of the top line to
// the end of the last visible line.
class TVisibleRange : public TCustomRange {
public:
    using TCustomRange::TCustomRange;

    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int v);
    int RightCol() const;
    void SetRightCol(int v);
    int TopLine() const { return topLine_; }
    void SetTopLine(int v);
    // Re-applies the limits after the text or the window size changed.
    void Clamp();
    TVisibleRect Rect() const;

    void SetRStart(int v) override;
    int GetRStart() const override;
    int GetREnd() const override;
    void SetRLength(int) override {}

protected:
    void DoBeginUpdate() override;
    void DoChanged() override;

private:
    int leftCol_ = 1;
    int topLine_ = 1;
    TVisibleRect saved_;
};
