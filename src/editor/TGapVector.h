#pragma once
// A vector with a movable gap: inserting or deleting where the last change
// happened costs only the change itself, so typing in the middle of a large
// text does not move the whole tail every time. Deleting from the very front
// (an output pane dropping its oldest lines) only advances the start.
#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

template <class T>
class TGapVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    size_t Size() const { return size_; }

    T At(size_t i) const { return body_[Physical(i)]; }
    T& Ref(size_t i) { return body_[Physical(i)]; }

    void Insert(size_t pos, const T* data, size_t n) {
        if (n == 0) return;
        Reserve(n);
        MoveGap(pos);
        std::memcpy(body_.data() + head_ + gapStart_, data, n * sizeof(T));
        gapStart_ += n;
        gapLen_ -= n;
        size_ += n;
    }
    void Insert(size_t pos, T value) { Insert(pos, &value, 1); }
    void PushBack(T value) { Insert(size_, &value, 1); }

    void Erase(size_t pos, size_t n) {
        if (n == 0) return;
        if (pos == 0 && n <= gapStart_) {
            head_ += n;
            gapStart_ -= n;
        } else {
            if (pos + n == gapStart_) {
                gapStart_ = pos;  // the stretch just before the gap joins it
            } else {
                MoveGap(pos);
            }
            gapLen_ += n;
        }
        size_ -= n;
    }

    void Clear() {
        body_.clear();
        head_ = gapStart_ = gapLen_ = size_ = 0;
    }

    // Calls f(pointer, count) for the one or two contiguous pieces that hold
    // the n elements from pos.
    template <class F>
    void ForEachPiece(size_t pos, size_t n, F&& f) const {
        const size_t before = pos < gapStart_ ? std::min(n, gapStart_ - pos) : 0;
        if (before) f(body_.data() + head_ + pos, before);
        if (n > before) f(body_.data() + head_ + pos + before + gapLen_, n - before);
    }

    // Copies n elements from pos into out.
    void Copy(size_t pos, size_t n, T* out) const {
        ForEachPiece(pos, n, [&out](const T* p, size_t k) {
            std::memcpy(out, p, k * sizeof(T));
            out += k;
        });
    }

    // The elements as one block, the gap moved behind them.
    const T* Contiguous() {
        MoveGap(size_);
        return body_.data() + head_;
    }

    // Replaces the whole content.
    void Assign(const T* data, size_t n) {
        body_.assign(data, data + n);
        head_ = 0;
        gapStart_ = n;
        gapLen_ = 0;
        size_ = n;
    }

private:
    size_t Physical(size_t i) const { return head_ + (i < gapStart_ ? i : i + gapLen_); }

    void MoveGap(size_t pos) {
        if (pos == gapStart_) return;
        T* b = body_.data() + head_;
        if (pos < gapStart_) {
            std::memmove(b + pos + gapLen_, b + pos, (gapStart_ - pos) * sizeof(T));
        } else {
            std::memmove(b + gapStart_, b + gapStart_ + gapLen_, (pos - gapStart_) * sizeof(T));
        }
        gapStart_ = pos;
    }

    void Reserve(size_t n) {
        if (gapLen_ >= n) return;
        if (head_ > 0) {
            // Reclaim the space freed at the front before growing.
            T* b = body_.data();
            std::memmove(b, b + head_, gapStart_ * sizeof(T));
            gapLen_ += head_;
            head_ = 0;
            if (gapLen_ >= n && gapLen_ >= size_ / 8) return;
        }
        const size_t grow = std::max<size_t>(n + size_ / 4, 64);
        const size_t tail = body_.size() - gapStart_ - gapLen_;
        body_.resize(body_.size() + grow);
        T* b = body_.data();
        std::memmove(b + gapStart_ + gapLen_ + grow, b + gapStart_ + gapLen_, tail * sizeof(T));
        gapLen_ += grow;
    }

    std::vector<T> body_;
    size_t head_ = 0;
    size_t gapStart_ = 0;
    size_t gapLen_ = 0;
    size_t size_ = 0;
};
