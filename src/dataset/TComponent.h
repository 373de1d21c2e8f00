#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TOperation { opInsert, opRemove };

// Base of every non-visual component: a name, an owner and the components it
// owns. A component created with an owner hands itself to that owner, which
// keeps it in a std::unique_ptr and destroys it with itself (last created
// first). Deleting an owned component directly is also safe: it takes itself
// out of its owner's list first.
class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    TComponent* Owner() const { return owner_; }

    // Owned components in the order they were created.
    const std::vector<std::unique_ptr<TComponent>>& Components() const { return components_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int index) const;
    // First owned component of that name (letter case ignored), or nullptr.
    TComponent* FindComponent(std::string_view name) const;

    // Takes ownership of a component (it leaves its previous owner).
    void InsertComponent(std::unique_ptr<TComponent> component);
    // Gives up ownership; nullptr when the component is not owned here.
    std::unique_ptr<TComponent> RemoveComponent(TComponent* component);
    // Destroys every owned component now, last created first. A descendant
    // whose components refer to it calls this from its own destructor, while
    // it is still whole.
    void DestroyComponents();

    // Asks to be told (Notification with opRemove) when `other` is destroyed,
    // for references to components that are not owned by the same owner.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // True while the base destructor runs.
    bool Destroying() const { return destroying_; }

protected:
    // Told about components inserted into or removed from the owner, and about
    // the destruction of components registered with FreeNotification. During
    // opRemove the component may already be partly destroyed: compare the
    // pointer, do not call it.
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void NotifyRemoval();
    void DropSubscriber(TComponent* subscriber);

    std::string name_;
    TComponent* owner_ = nullptr;
    std::vector<std::unique_ptr<TComponent>> components_;
    std::vector<TComponent*> freeNotifies_;  // both directions, each pair once
    bool destroying_ = false;
};
