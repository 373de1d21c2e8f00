#include "TStrings.h"

#include <algorithm>

#include "AnsiString.h"

int TStrings::Add(std::string_view s) {
    const int i = GetCount();
    Insert(i, s);
    return i;
}

int TStrings::AddObject(std::string_view s, void* o) {
    const int i = Add(s);
    PutObject(i, o);
    return i;
}

void TStrings::AddStrings(const TStrings& other) {
    BeginUpdate();
    try {
        for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const TStrings& other) {
    if (&other == this) return;
    BeginUpdate();
    try {
        Clear();
        for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::IndexOf(std::string_view s) const {
    for (int i = 0; i < GetCount(); ++i)
        if (AnsiCompareText(Get(i), s) == 0) return i;
    return -1;
}

int TStrings::IndexOfObject(const void* o) const {
    for (int i = 0; i < GetCount(); ++i)
        if (GetObject(i) == o) return i;
    return -1;
}

void TStrings::BeginUpdate() {
    if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Put(int i, std::string_view s) {
    void* o = GetObject(i);
    Delete(i);
    Insert(i, s);
    PutObject(i, o);
}

void* TStrings::GetObject(int) const { return nullptr; }
void TStrings::PutObject(int, void*) {}

std::string TStrings::GetTextStr() const {
    std::string out;
    for (int i = 0; i < GetCount(); ++i) {
        out += Get(i);
        out += '\n';
    }
    return out;
}

void TStrings::SetTextStr(std::string_view s) {
    BeginUpdate();
    try {
        Clear();
        size_t i = 0;
        while (i < s.size()) {
            size_t j = i;
            while (j < s.size() && s[j] != '\r' && s[j] != '\n') ++j;
            Add(s.substr(i, j - i));
            if (j < s.size() && s[j] == '\r') ++j;
            if (j < s.size() && s[j] == '\n') ++j;
            i = j;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---------------------------------------------------------------------------

void TStringList::CheckIndex(int i, int limit) const {
    if (i < 0 || i >= limit) throw EStringListError("List index out of bounds (" + IntToStr(i) + ")");
}

void TStringList::Changed() {
    if (UpdateCount() > 0) {
        changedWhileUpdating_ = true;
        return;
    }
    if (OnChange) OnChange();
}

void TStringList::SetUpdateState(bool updating) {
    if (updating) {
        changedWhileUpdating_ = false;
    } else if (changedWhileUpdating_) {
        changedWhileUpdating_ = false;
        if (OnChange) OnChange();
    }
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
    return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::SetSorted(bool v) {
    if (v == sorted_) return;
    if (v) Sort();
    sorted_ = v;
}

void TStringList::SetCaseSensitive(bool v) {
    if (v == caseSensitive_) return;
    caseSensitive_ = v;
    if (sorted_) Sort();
}

void TStringList::Sort() {
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
    Changed();
}

bool TStringList::Find(std::string_view s, int& index) const {
    if (!sorted_) {
        index = IndexOf(s);
        if (index >= 0) return true;
        index = GetCount();
        return false;
    }
    int lo = 0, hi = GetCount() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = CompareStrings(items_[mid].text, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                // Duplicates accepted: report the first equal entry.
                if (duplicates_ != TDuplicates::dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TStringList::IndexOf(std::string_view s) const {
    if (sorted_) {
        int i = 0;
        return Find(s, i) ? i : -1;
    }
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(items_[i].text, s) == 0) return i;
    return -1;
}

int TStringList::Add(std::string_view s) {
    int i = GetCount();
    if (sorted_ && Find(s, i)) {
        switch (duplicates_) {
            case TDuplicates::dupIgnore: return i;
            case TDuplicates::dupError: throw EStringListError("String list does not allow duplicates");
            case TDuplicates::dupAccept: break;
        }
    }
    InsertItem(i, s, nullptr);
    return i;
}

void TStringList::InsertItem(int i, std::string_view s, void* o) {
    items_.insert(items_.begin() + i, Item{std::string(s), o});
    Changed();
}

std::string TStringList::Get(int i) const {
    CheckIndex(i, GetCount());
    return items_[i].text;
}

void TStringList::Put(int i, std::string_view s) {
    if (sorted_) throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(i, GetCount());
    items_[i].text = std::string(s);
    Changed();
}

void* TStringList::GetObject(int i) const {
    CheckIndex(i, GetCount());
    return items_[i].object;
}

void TStringList::PutObject(int i, void* o) {
    CheckIndex(i, GetCount());
    items_[i].object = o;
    Changed();
}

void TStringList::Insert(int i, std::string_view s) {
    if (sorted_) throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(i, GetCount() + 1);
    InsertItem(i, s, nullptr);
}

void TStringList::Delete(int i) {
    CheckIndex(i, GetCount());
    items_.erase(items_.begin() + i);
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}
