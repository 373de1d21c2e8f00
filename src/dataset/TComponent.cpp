#include "TComponent.h"

#include <algorithm>

#include "base/AnsiString.h"

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(std::unique_ptr<TComponent>(this));
}

TComponent::~TComponent() {
    destroying_ = true;
    DestroyComponents();
    NotifyRemoval();
    if (owner_) {
        auto& list = owner_->components_;
        auto self = std::find_if(list.begin(), list.end(),
                                 [this](const auto& p) { return p.get() == this; });
        if (self != list.end()) {
            // The owner is not destroying us: let go without deleting twice.
            self->release();
            list.erase(self);
        }
        owner_ = nullptr;
    }
}

TComponent* TComponent::Component(int index) const {
    if (index < 0 || index >= ComponentCount()) return nullptr;
    return components_[static_cast<size_t>(index)].get();
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    for (const auto& c : components_)
        if (!name.empty() && AnsiSameText(c->Name(), name)) return c.get();
    return nullptr;
}

void TComponent::InsertComponent(std::unique_ptr<TComponent> component) {
    if (!component) return;
    TComponent* c = component.get();
    if (c->owner_ == this) {
        component.release();  // already ours
        return;
    }
    if (c->owner_) c->owner_->RemoveComponent(c).release();
    c->owner_ = this;
    components_.push_back(std::move(component));
    for (const auto& other : components_)
        if (other.get() != c) other->Notification(c, TOperation::opInsert);
}

std::unique_ptr<TComponent> TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find_if(components_.begin(), components_.end(),
                           [component](const auto& p) { return p.get() == component; });
    if (it == components_.end()) return nullptr;
    std::unique_ptr<TComponent> owned = std::move(*it);
    components_.erase(it);
    owned->owner_ = nullptr;
    for (const auto& other : components_) other->Notification(component, TOperation::opRemove);
    return owned;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        // Detach first so the child's destructor does not search for itself.
        std::unique_ptr<TComponent> last = std::move(components_.back());
        components_.pop_back();
        last->owner_ = nullptr;
        TComponent* gone = last.get();
        last.reset();
        for (const auto& other : components_) other->Notification(gone, TOperation::opRemove);
    }
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
        freeNotifies_.push_back(other);
    if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) ==
        other->freeNotifies_.end())
        other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    DropSubscriber(other);
    other->DropSubscriber(this);
}

void TComponent::DropSubscriber(TComponent* subscriber) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), subscriber),
                        freeNotifies_.end());
}

void TComponent::NotifyRemoval() {
    // Siblings hear about it through the owner; free-notification partners
    // directly. Every partner also forgets us so it never calls back later.
    if (owner_)
        for (const auto& sibling : owner_->components_)
            if (sibling.get() != this) sibling->Notification(this, TOperation::opRemove);
    std::vector<TComponent*> partners;
    partners.swap(freeNotifies_);
    for (TComponent* p : partners) {
        p->DropSubscriber(this);
        p->Notification(this, TOperation::opRemove);
    }
}

void TComponent::Notification(TComponent*, TOperation) {}
