#pragma once

class TDataSource;
class TDataSet;
class TField;

// An observer of a data source: the grid model and other data-aware code
// derive from it and override what they need. Linking and unlinking go
// through SetDataSource; a link unlinks itself when destroyed.
class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    // The data set is open (and the source enabled).
    bool Active() const;
    // The data set is in edit or insert state.
    bool Editing() const;

protected:
    friend class TDataSource;
    // Opened or closed.
    virtual void ActiveChanged() {}
    // Entered or left edit or insert state.
    virtual void EditingChanged() {}
    // Rows changed, reopened, filtered, or controls were enabled again.
    virtual void DataSetChanged() {}
    // The current record moved by `distance` (0 when not known).
    virtual void DataSetScrolled(int /*distance*/) {}
    // A value of the current record changed; field nullptr: several.
    virtual void RecordChanged(TField* /*field*/) {}
    // Fields were added or removed.
    virtual void LayoutChanged() {}
    // The data set is about to post: write pending edits into the fields.
    virtual void UpdateData() {}
    // The data set is about to leave the current record.
    virtual void CheckBrowseMode() {}

private:
    TDataSource* dataSource_ = nullptr;
};
