#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ArrayDataSet.h"

// Five people: ID, NAME, AGE (NULL for the fourth), in ID order.
inline std::unique_ptr<ArrayDataSet> People(TComponent* owner = nullptr) {
    auto ds = std::make_unique<ArrayDataSet>(owner);
    ds->AddColumn("ID", ftInteger);
    ds->AddColumn("NAME", ftString, 20);
    ds->AddColumn("AGE", ftInteger);
    ds->AddRow({1, "Smithson", 40});
    ds->AddRow({2, "Jones", 31});
    ds->AddRow({3, "smith", 25});
    ds->AddRow({4, "Brown", Variant::Null()});
    ds->AddRow({5, "Jones", 52});
    return ds;
}

// Logs every data-set event by name.
inline void LogEvents(TDataSet& ds, std::vector<std::string>& log) {
    auto add = [&log](const char* name) { return [&log, name](TDataSet&) { log.push_back(name); }; };
    ds.BeforeOpen = add("BeforeOpen");
    ds.AfterOpen = add("AfterOpen");
    ds.BeforeClose = add("BeforeClose");
    ds.AfterClose = add("AfterClose");
    ds.BeforeInsert = add("BeforeInsert");
    ds.AfterInsert = add("AfterInsert");
    ds.BeforeEdit = add("BeforeEdit");
    ds.AfterEdit = add("AfterEdit");
    ds.BeforePost = add("BeforePost");
    ds.AfterPost = add("AfterPost");
    ds.BeforeCancel = add("BeforeCancel");
    ds.AfterCancel = add("AfterCancel");
    ds.BeforeDelete = add("BeforeDelete");
    ds.AfterDelete = add("AfterDelete");
    ds.BeforeScroll = add("BeforeScroll");
    ds.AfterScroll = add("AfterScroll");
    ds.OnNewRecord = add("OnNewRecord");
}

using Log = std::vector<std::string>;
