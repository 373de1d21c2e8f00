#include <gtest/gtest.h>

#include "TestTable.h"
#include "dataset/TDataLink.h"
#include "dataset/TDataSource.h"

namespace {

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
    int stateChanges = 0;
    source.OnStateChange = [&](TDataSource&) { ++stateChanges; };

    ds->Open();
    EXPECT_EQ(link.log, (Log{"active", "changed"}));
    EXPECT_EQ(source.State(), dsBrowse);
    link.log.clear();

    ds->MoveBy(2);
    ds->Next();
    EXPECT_EQ(link.log, (Log{"scrolled 2", "scrolled 1"}));
    link.log.clear();

    source.Edit();
    EXPECT_EQ(ds->State(), dsEdit);
    ds->FieldByName("AGE")->SetAsInteger(1);
    ds->Post();
    EXPECT_EQ(link.log, (Log{"editing", "record *", "record AGE", "update", "browsing", "changed"}));
    link.log.clear();

    ds->DisableControls();
    ds->DisableControls();
    ds->First();
    ds->Last();
    ds->EnableControls();
    EXPECT_TRUE(link.log.empty());
    ds->EnableControls();
    EXPECT_EQ(link.log, (Log{"changed"}));
    link.log.clear();

    source.SetEnabled(false);
    ds->First();
    EXPECT_EQ(link.log, (Log{"inactive"}));
    source.SetEnabled(true);
    link.log.clear();

    ds->Close();
    EXPECT_EQ(link.log, (Log{"inactive"}));
    EXPECT_GT(stateChanges, 4);
}

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

TEST(DataSource, OwnerClosesEveryDataSetItOwns) {
    // The connection's disconnect walks its owner's components this way.
    TComponent form;
    auto* a = People(&form).release();
    auto* b = People(&form).release();
    new TDataSource(&form);
    a->Open();
    b->Open();
    int closed = 0;
    for (const auto& c : form.Components())
        if (auto* ds = dynamic_cast<TDataSet*>(c.get()); ds && ds->Active()) {
            ds->Close();
            ++closed;
        }
    EXPECT_EQ(closed, 2);
    EXPECT_FALSE(a->Active());
    EXPECT_FALSE(b->Active());
    b->Open();  // destroyed open with the owner: its destructor closes it
}

}  // namespace
