#include "TCollection.h"

#include <algorithm>

TCollection::~TCollection() { Clear(); }

int TCollection::IndexOf(const TCollectionItem* item) const {
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TCollection::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    // Items remove themselves while they are destroyed.
    while (!items_.empty()) delete items_.back();
    EndUpdate();
}

void TCollection::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed(nullptr);
}

void TCollection::Changed(TCollectionItem* item) {
    if (updateCount_ == 0) Update(item);
}

void TCollection::InsertItem(TCollectionItem* item) {
    items_.push_back(item);
    item->collection_ = this;
}

void TCollection::RemoveItem(TCollectionItem* item) {
    // The newest items are the likeliest to go first.
    const auto it = std::find(items_.rbegin(), items_.rend(), item);
    if (it != items_.rend()) items_.erase(std::next(it).base());
    item->collection_ = nullptr;
    Changed(nullptr);
}

TCollectionItem::TCollectionItem(TCollection* collection) {
    if (collection) collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (collection_) collection_->RemoveItem(this);
}
