#include "console/TListVar.h"

#include "base/AnsiString.h"

bool TListVar::Find(std::string_view name, int& index) const {
    int lo = 0;
    int hi = Count() - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = AnsiCompareText(items_[mid]->Name(), name);
        if (c == 0) {
            index = mid;
            return true;
        }
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    index = lo;
    return false;
}

void TListVar::Set(std::string_view name, const Variant& value) {
    int index = 0;
    if (Find(name, index))
        items_[index]->SetValue(value);
    else
        items_.insert(items_.begin() + index, std::make_unique<TNameVar>(std::string(name), value));
}

Variant TListVar::Get(std::string_view name) const {
    int index = 0;
    return Find(name, index) ? items_[index]->Value() : Variant();
}

const TNameVar* TListVar::Item(int index) const {
    return index >= 0 && index < Count() ? items_[index].get() : nullptr;
}

Variant TListVar::ValueAt(int index) const {
    const TNameVar* item = Item(index);
    return item ? item->Value() : Variant();
}

std::string TListVar::NameAt(int index) const {
    const TNameVar* item = Item(index);
    return item ? AnsiUpperCase(item->Name()) : std::string();
}

void TListVar::DeleteAt(int index) {
    if (Item(index)) items_.erase(items_.begin() + index);
}
