#pragma once
// A list of 32-bit integers. Besides the plain list operations it can add a
// delta to every entry from an index on; that addition is applied lazily
// behind a partition point, so the line starts after an edit are shifted in
// constant time while the edits stay close together.
#include <cstdint>

#include "TGapVector.h"

class TIntegerList {
public:
    int Count() const { return static_cast<int>(items_.Size()); }
    int32_t Get(int i) const {
        const int32_t v = items_.At(static_cast<size_t>(i));
        return i > stepPartition_ ? v + stepDelta_ : v;
    }
    int32_t operator[](int i) const { return Get(i); }
    void Put(int i, int32_t v) { items_.Ref(static_cast<size_t>(i)) = i > stepPartition_ ? v - stepDelta_ : v; }
    int Add(int32_t v) {
        Insert(Count(), v);
        return Count() - 1;
    }
    void Insert(int i, int32_t v);
    void Delete(int i) { DeleteRange(i, 1); }
    void DeleteRange(int i, int n);
    void Clear();
    // Adds delta to the entries first .. Count - 1.
    void AddFrom(int first, int32_t delta);
    // Index of the last entry that is <= v (the list must be ascending);
    // -1 when every entry is greater.
    int UpperIndex(int32_t v) const;

private:
    void ApplyStepUpTo(int last);
    void UnapplyStepDownTo(int last);

    TGapVector<int32_t> items_;
    // Entries after this index still lack stepDelta_.
    int stepPartition_ = 0;
    int32_t stepDelta_ = 0;
};
