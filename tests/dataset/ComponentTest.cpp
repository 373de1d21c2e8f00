#include <gtest/gtest.h>

#include <vector>

#include "dataset/TComponent.h"

namespace {

// Records what it hears and reports its own destruction.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::string name, std::vector<std::string>* log)
        : TComponent(owner), log_(log) {
        SetName(std::move(name));
    }
    ~Probe() override { log_->push_back("~" + Name()); }
    TComponent* watched = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove && c == watched) {
            log_->push_back(Name() + " lost watched");
            watched = nullptr;
        }
    }

private:
    std::vector<std::string>* log_;
};

TEST(Component, OwnerEnumeratesAndDestroysItsComponentsLastFirst) {
    std::vector<std::string> log;
    {
        TComponent owner;
        new Probe(&owner, "a", &log);
        new Probe(&owner, "b", &log);
        ASSERT_EQ(owner.ComponentCount(), 2);
        EXPECT_EQ(owner.Components()[0]->Name(), "a");
        EXPECT_EQ(owner.FindComponent("B"), owner.Component(1));
        EXPECT_EQ(owner.Component(1)->Owner(), &owner);
        EXPECT_EQ(owner.FindComponent("c"), nullptr);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"~b", "~a"}));
}

TEST(Component, DeletingAnOwnedComponentLeavesTheOwnerConsistent) {
    std::vector<std::string> log;
    TComponent owner;
    auto* a = new Probe(&owner, "a", &log);
    auto* b = new Probe(&owner, "b", &log);
    b->watched = a;
    delete a;
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(b->watched, nullptr) << "siblings hear about a removal";

    std::unique_ptr<TComponent> taken = owner.RemoveComponent(b);
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(taken->Owner(), nullptr);
    TComponent other;
    other.InsertComponent(std::move(taken));
    EXPECT_EQ(other.ComponentCount(), 1);
    EXPECT_EQ(b->Owner(), &other);
}

TEST(Component, FreeNotificationReachesComponentsOfOtherOwners) {
    std::vector<std::string> log;
    TComponent ownerA, ownerB;
    auto* target = new Probe(&ownerA, "target", &log);
    auto* watcher = new Probe(&ownerB, "watcher", &log);
    watcher->watched = target;
    watcher->FreeNotification(target);
    delete target;
    EXPECT_EQ(watcher->watched, nullptr);

    // A watcher that goes first must not be called back later.
    auto* target2 = new Probe(&ownerA, "target2", &log);
    auto* watcher2 = new Probe(&ownerB, "watcher2", &log);
    watcher2->FreeNotification(target2);
    delete watcher2;
    delete target2;  // ASan would catch a call into the dead watcher
    EXPECT_EQ(log.back(), "~target2");
}

}  // namespace
