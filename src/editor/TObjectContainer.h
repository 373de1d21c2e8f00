#pragma once
// Owned persistents and collections whose items accept a two-argument
// notification; the memo's range registry is one of them.
#include <functional>
#include <memory>

#include "TCollection.h"

class TOwnedPersistent : public TPersistent {
public:
    explicit TOwnedPersistent(TPersistent* owner) : owner_(owner) {}
    ~TOwnedPersistent() override { owner_ = nullptr; }
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
};

class TContainerItem;

class TObjectContainer : public TOwnedCollection {
public:
    using TOwnedCollection::TOwnedCollection;
    // Forwards (a, b) to every item, the last item first, so that an item may
    // free itself in its handler without disturbing the walk.
    void Notify(int a, int b);
};

class TContainerItem : public TCollectionItem {
public:
    using NotifyHandler = std::function<void(TContainerItem& sender, int a, int b)>;
    using TCollectionItem::TCollectionItem;

    virtual void Notification(int a, int b) {
        if (onNotify_ && *onNotify_) (*onNotify_)(*this, a, b);
    }
    // Kept out of line: most items (the syntax tokens) never set it.
    void SetOnNotify(NotifyHandler h) { onNotify_ = std::make_unique<NotifyHandler>(std::move(h)); }

private:
    std::unique_ptr<NotifyHandler> onNotify_;
};
