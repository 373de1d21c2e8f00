#pragma once
#include "TObjectContainer.h"

class TMemoModel;

// The ranges registered with one memo; every edit moves them.
class TMCRanges : public TObjectContainer {
public:
    explicit TMCRanges(TMemoModel* memo);
    TMemoModel* Memo() const { return memo_; }

private:
    TMemoModel* memo_;
};
