#pragma once
#include "TCustomRange.h"

// The selection; an empty selection is the caret. While a change bracket is
// open it keeps a snapshot of its old extent so that the change report
// repaints only what moved.
class TSelectionRange : public TMCRange {
public:
    using TMCRange::TMCRange;

    bool Backwards() const { return backwards_; }
    void SetBackwards(bool v) { backwards_ = v; }
    bool Hidden() const { return hidden_; }
    void SetHidden(bool v);

    int CaretOffset() const { return backwards_ ? RStart() : REnd() + 1; }
    void CollapseTo(int p);
    void ExtendTo(int p);
    // The visual column that vertical moves aim for; remembered on first use.
    int DesiredColumn();
    void ForgetDesiredColumn() { desiredColumn_ = -1; }
    int ColumnForLine(int line);

    void HideCaret();
    void ShowCaret();
    void PlaceCaret();
    // The edit primitive repaints by itself; the bracket it opens must not.
    void DropSnapshot() { hasSnapshot_ = false; }

    void Assign(const TCustomRange& source) override;

protected:
    void DoBeginUpdate() override;
    void DoChanged() override;
    void DoEndUpdateQuiet() override;
    bool IsBackwards() const override { return backwards_; }

private:
    bool backwards_ = false;
    bool hidden_ = false;
    bool caretShown_ = false;
    int desiredColumn_ = -1;
    bool hasSnapshot_ = false;
    int snapStart_ = 1;
    int snapEnd_ = 0;
};
