#pragma once
#include "TCustomRange.h"

// The whole text of a memo: start 1, end the text length; it cannot be moved,
// and setting its text replaces everything.
class TWholeTextRange : public TCustomRange {
public:
    using TCustomRange::TCustomRange;
    int GetRStart() const override { return 1; }
    int GetREnd() const override;
    void SetRLength(int) override {}
};
