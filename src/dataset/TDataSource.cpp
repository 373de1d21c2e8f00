#include "TDataSource.h"

#include <algorithm>

#include "TDataLink.h"
#include "TDataSet.h"

namespace {
bool IsEditing(TDataSetState s) { return s == dsEdit || s == dsInsert; }
}  // namespace

TDataSource::TDataSource(TComponent* owner) : TComponent(owner), lastState_(dsInactive) {}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    for (TDataLink* link : links_) link->dataSource_ = nullptr;
    links_.clear();
}

TDataSetState TDataSource::State() const {
    return dataSet_ && enabled_ ? dataSet_->State() : dsInactive;
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) dataSet_->RemoveDataSource(this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->AddDataSource(this);
    DataEvent(TDataEvent::deUpdateState, nullptr, 0);
}

void TDataSource::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    DataEvent(TDataEvent::deUpdateState, nullptr, 0);
}

void TDataSource::Edit() {
    if (autoEdit_ && State() == dsBrowse) dataSet_->Edit();
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
}

void TDataSource::AddLink(TDataLink* link) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void TDataSource::DataEvent(TDataEvent event, TField* field, int distance) {
    if (event == TDataEvent::deUpdateState) {
        TDataSetState now = State();
        bool activeChanged = (lastState_ != dsInactive) != (now != dsInactive);
        bool editingChanged = IsEditing(lastState_) != IsEditing(now);
        lastState_ = now;
        for (size_t i = 0; i < links_.size(); ++i) {
            if (activeChanged) links_[i]->ActiveChanged();
            if (editingChanged && i < links_.size()) links_[i]->EditingChanged();
        }
        if (OnStateChange) OnStateChange(*this);
        return;
    }
    if (!enabled_) return;
    // By index: a link may unlink itself from its handler.
    switch (event) {
        case TDataEvent::deFieldChange:
        case TDataEvent::deRecordChange:
            for (size_t i = 0; i < links_.size(); ++i) links_[i]->RecordChanged(field);
            if (OnDataChange) OnDataChange(*this, field);
            break;
        case TDataEvent::deDataSetChange:
            for (size_t i = 0; i < links_.size(); ++i) links_[i]->DataSetChanged();
            if (OnDataChange) OnDataChange(*this, nullptr);
            break;
        case TDataEvent::deDataSetScroll:
            for (size_t i = 0; i < links_.size(); ++i) links_[i]->DataSetScrolled(distance);
            if (OnDataChange) OnDataChange(*this, nullptr);
            break;
        case TDataEvent::deLayoutChange:
            for (size_t i = 0; i < links_.size(); ++i) links_[i]->LayoutChanged();
            break;
        case TDataEvent::deUpdateRecord:
            for (size_t i = 0; i < links_.size(); ++i) links_[i]->UpdateData();
            if (OnUpdateData) OnUpdateData(*this);
            break;
        case TDataEvent::deCheckBrowseMode:
            for (size_t i = 0; i < links_.size(); ++i) links_[i]->CheckBrowseMode();
            break;
        case TDataEvent::deUpdateState: break;
    }
}
