// Owners and their components, and data links through a data source.
#include <gtest/gtest.h>

#include "TestTable.h"
#include "dataset/TDataLink.h"
#include "dataset/TDataSource.h"

namespace {

// Records what it hears and reports its own destruction.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::string name, Log* log) : TComponent(owner), log_(log) { SetName(std::move(name)); }
    ~Probe() override { log_->push_back("~" + Name()); }
    TComponent* watched = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove && c == watched) watched = nullptr;
    }

private:
    Log* log_;
};

TEST(Component, OwnersDestroyLastFirstAndTellWhoGoes) {
    Log log;
    {
        TComponent owner;
        auto* a = new Probe(&owner, "a", &log);
        auto* b = new Probe(&owner, "b", &log);
        new Probe(&owner, "c", &log);
        new Probe(&owner, "d", &log);
        EXPECT_EQ(owner.FindComponent("B"), b);
        b->watched = a;
        delete a;
        EXPECT_EQ(owner.ComponentCount(), 3);
        EXPECT_EQ(b->watched, nullptr) << "siblings hear about a removal";
        std::unique_ptr<TComponent> taken = owner.RemoveComponent(b);
        EXPECT_EQ(taken->Owner(), nullptr);
        TComponent other;
        other.InsertComponent(std::move(taken));
        EXPECT_EQ(b->Owner(), &other);
    }
    EXPECT_EQ(log, (Log{"~a", "~b", "~d", "~c"})) << "the last made goes first";

    // Components of other owners hear through a free notification; a watcher
    // that goes first is not called back later (ASan would see it).
    TComponent ownerA, ownerB;
    auto* target = new Probe(&ownerA, "target", &log);
    auto* watcher = new Probe(&ownerB, "watcher", &log);
    watcher->watched = target;
    watcher->FreeNotification(target);
    delete target;
    EXPECT_EQ(watcher->watched, nullptr);
    target = new Probe(&ownerA, "target2", &log);
    watcher->FreeNotification(target);
    delete watcher;
    delete target;
    EXPECT_EQ(log.back(), "~target2");
}

class RecordingLink : public TDataLink {
public:
    Log log;

protected:
    void ActiveChanged() override { log.push_back(Active() ? "active" : "inactive"); }
    void EditingChanged() override { log.push_back(Editing() ? "editing" : "browsing"); }
    void DataSetChanged() override { log.push_back("changed"); }
    void DataSetScrolled(int d) override { log.push_back("scrolled " + std::to_string(d)); }
    void RecordChanged(TField* f) override { log.push_back("record " + (f ? f->FieldName() : "*")); }
    void UpdateData() override { log.push_back("update"); }
};

TEST(DataSource, LinksHearStateScrollsAndChanges) {
    auto ds = People();
    TDataSource source;
    source.SetDataSet(ds.get());
    RecordingLink link;
    link.SetDataSource(&source);
    ds->Open();
    ds->MoveBy(2);
    ds->Next();
    EXPECT_EQ(link.log, (Log{"active", "changed", "scrolled 2", "scrolled 1"}));
    link.log.clear();

    source.Edit();
    ds->FieldByName("AGE")->SetAsInteger(1);
    ds->Post();
    EXPECT_EQ(link.log, (Log{"editing", "record *", "record AGE", "update", "browsing", "changed"}));
    link.log.clear();

    ds->DisableControls();
    ds->DisableControls();
    ds->First();
    ds->EnableControls();
    EXPECT_TRUE(link.log.empty());
    ds->EnableControls();
    EXPECT_EQ(link.log, (Log{"changed"}));

    link.log.clear();
    source.SetEnabled(false);
    ds->Last();
    EXPECT_EQ(link.log, (Log{"inactive"})) << "a disabled source passes nothing on";
}

// The data set, the source and the link may each go first; nothing dangles.
TEST(DataSource, EitherSideMayGoFirst) {
    auto link = std::make_unique<RecordingLink>();
    {
        auto ds = People();
        auto source = std::make_unique<TDataSource>();
        source->SetDataSet(ds.get());
        link->SetDataSource(source.get());
        ds->Open();
        source.reset();
        EXPECT_EQ(link->DataSource(), nullptr);
        EXPECT_TRUE(ds->DataSources().empty());
        ds->Next();  // nobody to tell, nothing dangling
    }
    TDataSource source;
    {
        auto ds = People();
        source.SetDataSet(ds.get());
        link->SetDataSource(&source);
    }
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_FALSE(link->Active());
    link.reset();
    EXPECT_TRUE(source.DataLinks().empty());
}

}  // namespace
