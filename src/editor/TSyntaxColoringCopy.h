#pragma once
#include "TSyntaxColoring.h"

// A set of colouring settings kept aside, under the same names as the
// editor's own; with no editor behind it, changing it colours nothing.
// Assign copies in either direction.
class TSyntaxColoringCopy : public TSyntaxColoring {
public:
    TSyntaxColoringCopy() : TSyntaxColoring(nullptr) {}
};
