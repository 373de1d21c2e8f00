#include "TIntegerList.h"

void TIntegerList::Insert(int i, int32_t v) {
    if (i <= stepPartition_ && stepDelta_ != 0) {
        items_.Insert(static_cast<size_t>(i), v);
        ++stepPartition_;
    } else {
        items_.Insert(static_cast<size_t>(i), i > stepPartition_ ? v - stepDelta_ : v);
        if (stepDelta_ == 0) stepPartition_ = Count() - 1;
    }
}

void TIntegerList::DeleteRange(int i, int n) {
    if (n <= 0) return;
    items_.Erase(static_cast<size_t>(i), static_cast<size_t>(n));
    if (i <= stepPartition_) stepPartition_ = std::max(i - 1, stepPartition_ - n);
    if (stepPartition_ >= Count() - 1) {
        stepPartition_ = Count() - 1;
        stepDelta_ = 0;
    }
}

void TIntegerList::Clear() {
    items_.Clear();
    stepPartition_ = -1;
    stepDelta_ = 0;
}

void TIntegerList::ApplyStepUpTo(int last) {
    for (int i = stepPartition_ + 1; i <= last; ++i) items_.Ref(static_cast<size_t>(i)) += stepDelta_;
    stepPartition_ = last;
}

void TIntegerList::UnapplyStepDownTo(int last) {
    for (int i = stepPartition_; i > last; --i) items_.Ref(static_cast<size_t>(i)) -= stepDelta_;
    stepPartition_ = last;
}

void TIntegerList::AddFrom(int first, int32_t delta) {
    const int n = Count();
    if (first >= n || delta == 0) return;
    if (first < 0) first = 0;
    const int p = first - 1;  // the last entry that keeps its value
    if (stepDelta_ == 0) {
        stepPartition_ = p;
        stepDelta_ = delta;
    } else if (p >= stepPartition_) {
        ApplyStepUpTo(p);
        stepDelta_ += delta;
    } else if (stepPartition_ - p <= (n - stepPartition_) + 64) {
        UnapplyStepDownTo(p);
        stepDelta_ += delta;
    } else {
        // Far back: settling the tail is cheaper than un-applying the head.
        ApplyStepUpTo(n - 1);
        stepPartition_ = p;
        stepDelta_ = delta;
    }
    if (stepDelta_ == 0 || stepPartition_ >= n - 1) {
        if (stepDelta_ != 0) ApplyStepUpTo(n - 1);
        stepPartition_ = n - 1;
        stepDelta_ = 0;
    }
}

int TIntegerList::UpperIndex(int32_t v) const {
    int lo = 0, hi = Count() - 1, ans = -1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        if (Get(mid) <= v) {
            ans = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return ans;
}
