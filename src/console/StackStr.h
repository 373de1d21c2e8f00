#pragma once
#include <string>
#include <string_view>

#include "base/TStrings.h"

// The command history: a ring of run texts with a fixed capacity, a write
// slot and the entry last pushed or recalled.
class StackStr : public TStringList {
public:
    explicit StackStr(int capacity) : capacity_(capacity < 1 ? 1 : capacity) {}

    void Push(std::string_view s);
    std::string Current() const;
    // The entry before / after the current one, moving to it; empty when the
    // oldest / newest is reached.
    std::string Previous();
    std::string NextEntry();
    // Pushes a text about to run unless it is empty or the current entry.
    void Offer(std::string_view text);

    int Capacity() const { return capacity_; }
    int WriteIndex() const { return w_; }
    int CurrentIndex() const { return c_; }

private:
    int capacity_;
    int w_ = 0;
    int c_ = 0;
};

// The settings value names of the ten named buffers and templates.
namespace NamedSlots {
// "0 name^1 name^..." for the slot menu, names read with " " as default.
std::string MenuText(std::string_view nameKey);
}  // namespace NamedSlots
