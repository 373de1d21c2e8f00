#pragma once
#include <utility>

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

inline int Id(TDataSet& ds) { return ds.FieldByName("ID")->AsInteger(); }

using Log = std::vector<std::string>;

// Logs the events of opening, editing and moving by name.
inline void LogEvents(TDataSet& ds, Log& log) {
    const std::pair<TDataSet::TDataSetNotifyEvent TDataSet::*, const char*> events[] = {
        {&TDataSet::BeforeOpen, "BeforeOpen"},     {&TDataSet::AfterOpen, "AfterOpen"},
        {&TDataSet::BeforeInsert, "BeforeInsert"}, {&TDataSet::AfterInsert, "AfterInsert"},
        {&TDataSet::BeforeEdit, "BeforeEdit"},     {&TDataSet::AfterEdit, "AfterEdit"},
        {&TDataSet::BeforePost, "BeforePost"},     {&TDataSet::AfterPost, "AfterPost"},
        {&TDataSet::BeforeCancel, "BeforeCancel"}, {&TDataSet::AfterCancel, "AfterCancel"},
        {&TDataSet::BeforeDelete, "BeforeDelete"}, {&TDataSet::AfterDelete, "AfterDelete"},
        {&TDataSet::BeforeScroll, "BeforeScroll"}, {&TDataSet::AfterScroll, "AfterScroll"},
        {&TDataSet::OnNewRecord, "OnNewRecord"}};
    for (const auto& [event, name] : events) ds.*event = [&log, name](TDataSet&) { log.push_back(name); };
}

// The message of the database error `op` raises; empty when it raises none.
template <class Op>
std::string DatabaseError(Op op) {
    try {
        op();
    } catch (const EDatabaseError& e) {
        return e.what();
    }
    return "";
}
