#include "console/StackStr.h"

#include "base/SettingsStore.h"
#include "console/ConsoleSettings.h"

void StackStr::Push(std::string_view s) {
    if (Count() > w_)
        Put(w_, s);
    else
        Add(s);
    c_ = w_;
    if (++w_ >= capacity_) w_ = 0;
}

std::string StackStr::Current() const { return Count() == 0 ? std::string() : Get(c_); }

std::string StackStr::Previous() {
    if (c_ == w_) return {};
    int i = c_ - 1;
    if (i < 0) i = Count() - 1;
    if (i >= 0 && i < Count() && i != w_ - 1) {
        std::string s = Get(i);
        if (!s.empty()) {
            c_ = i;
            return s;
        }
    }
    return {};
}

std::string StackStr::NextEntry() {
    int i = c_ + 1;
    if (i >= capacity_) i = 0;
    if (i < Count() && i != w_) {
        std::string s = Get(i);
        if (!s.empty()) {
            c_ = i;
            return s;
        }
    }
    return {};
}

void StackStr::Offer(std::string_view text) {
    if (!text.empty() && text != Current()) Push(text);
}

std::string NamedSlots::MenuText(std::string_view nameKey) {
    std::string list;
    for (int i = 0; i < 10; ++i) {
        std::string path(ConsoleSettings::kKey);
        path.append(nameKey).append(std::to_string(i));
        list += std::to_string(i) + " " + ReadString(path, " ") + "^";
    }
    return list;
}
