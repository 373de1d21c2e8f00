#pragma once
// A vector with a movable gap: inserting or deleting where the last change
// happened costs only the change itself, so typing in the middle of a large
// text, and trimming the head of a long output, do not move the whole tail
// every time.
#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

template <class T>
class TGapVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    size_t Size() const { return size_; }

    T At(size_t i) const { return i < gapStart_ ? body_[i] : body_[i + gapLen_]; }
    T& Ref(size_t i) { return i < gapStart_ ? body_[i] : body_[i + gapLen_]; }

    void Insert(size_t pos, const T* data, size_t n) {
        if (n == 0) return;
        Reserve(n);
        MoveGap(pos);
        std::memcpy(body_.data() + gapStart_, data, n * sizeof(T));
        gapStart_ += n;
        gapLen_ -= n;
        size_ += n;
    }
    void Insert(size_t pos, T value) { Insert(pos, &value, 1); }
    void PushBack(T value) { Insert(size_, &value, 1); }

    void Erase(size_t pos, size_t n) {
        if (n == 0) return;
        if (pos + n == gapStart_) {
            gapStart_ = pos;  // the stretch just before the gap joins it
        } else {
            MoveGap(pos);
        }
        gapLen_ += n;
        size_ -= n;
    }

    void Clear() {
        body_.clear();
        gapStart_ = gapLen_ = size_ = 0;
    }

    // Copies n elements from pos into out.
    void Copy(size_t pos, size_t n, T* out) const {
        const size_t before = pos < gapStart_ ? std::min(n, gapStart_ - pos) : 0;
        if (before) std::memcpy(out, body_.data() + pos, before * sizeof(T));
        if (n > before) std::memcpy(out + before, body_.data() + pos + before + gapLen_, (n - before) * sizeof(T));
    }

    // The elements as one block, the gap moved behind them.
    const T* Contiguous() {
        MoveGap(size_);
        return body_.data();
    }

    // Replaces the whole content.
    void Assign(const T* data, size_t n) {
        body_.assign(data, data + n);
        gapStart_ = n;
        gapLen_ = 0;
        size_ = n;
    }

private:
    void MoveGap(size_t pos) {
        if (pos == gapStart_) return;
        T* b = body_.data();
        if (pos < gapStart_) {
            std::memmove(b + pos + gapLen_, b + pos, (gapStart_ - pos) * sizeof(T));
        } else {
            std::memmove(b + gapStart_, b + gapStart_ + gapLen_, (pos - gapStart_) * sizeof(T));
        }
        gapStart_ = pos;
    }

    void Reserve(size_t n) {
        if (gapLen_ >= n) return;
        const size_t grow = std::max<size_t>(n + size_ / 4, 64);
        const size_t tail = body_.size() - gapStart_ - gapLen_;
        body_.resize(body_.size() + grow);
        T* b = body_.data();
        std::memmove(b + gapStart_ + gapLen_ + grow, b + gapStart_ + gapLen_, tail * sizeof(T));
        gapLen_ += grow;
    }

    std::vector<T> body_;
    size_t gapStart_ = 0;
    size_t gapLen_ = 0;
    size_t size_ = 0;
};
