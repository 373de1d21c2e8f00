#pragma once
// The class library's persistent objects and owned collections, as far as the
// text model needs them: a collection owns its items, an item leaves its
// collection when it is destroyed, and item changes are reported upwards.
#include <cstddef>
#include <vector>

class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual TPersistent* GetOwner() const { return nullptr; }
};

class TCollectionItem;

class TCollection : public TPersistent {
public:
    TCollection() = default;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;
    ~TCollection() override;

    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Item(int i) const { return items_[static_cast<std::size_t>(i)]; }
    int IndexOf(const TCollectionItem* item) const;
    // Frees every item.
    void Clear();
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

protected:
    friend class TCollectionItem;
    // A changed item, or nullptr when the collection as a whole changed.
    virtual void Update(TCollectionItem* /*item*/) {}
    void Changed(TCollectionItem* item);
    // The collection tells of a new item once the item is whole: a
    // notification from inside the item's base constructor would show its
    // observers an object not yet built.
    template <class T>
    T* Added(T* item) {
        Changed(nullptr);
        return item;
    }

private:
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);

    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
};

class TCollectionItem {
public:
    // Joins the collection, when one is given; the collection then owns it.
    explicit TCollectionItem(TCollection* collection);
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;
    virtual ~TCollectionItem();

    TCollection* Collection() const { return collection_; }
    int Index() const { return collection_ ? collection_->IndexOf(this) : -1; }

protected:
    void Changed() {
        if (collection_) collection_->Changed(this);
    }

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
};

class TOwnedCollection : public TCollection {
public:
    explicit TOwnedCollection(TPersistent* owner) : owner_(owner) {}
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
};
