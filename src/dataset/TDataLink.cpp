#include "TDataLink.h"

#include "TDataSet.h"
#include "TDataSource.h"

TDataLink::~TDataLink() {
    if (dataSource_) dataSource_->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == dataSource_) return;
    bool wasActive = Active();
    if (dataSource_) dataSource_->RemoveLink(this);
    dataSource_ = source;
    if (dataSource_) dataSource_->AddLink(this);
    if (wasActive != Active()) ActiveChanged();
}

TDataSet* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

bool TDataLink::Active() const { return dataSource_ && dataSource_->State() != dsInactive; }

bool TDataLink::Editing() const {
    TDataSetState s = dataSource_ ? dataSource_->State() : dsInactive;
    return s == dsEdit || s == dsInsert;
}
