#pragma once
#include <functional>
#include <vector>

#include "TComponent.h"

class TDataSet;
class TDataLink;
class TField;
enum TDataSetState : int;
enum class TDataEvent;

// Connects a data set to the code that shows it: forwards the data set's
// notifications to its data links and to its own events.
class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* owner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    // A disabled source passes nothing on.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    // Controls may put the data set into edit state by themselves.
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool v) { autoEdit_ = v; }
    // The data set's state; dsInactive without an (enabled) data set.
    TDataSetState State() const;
    // Edit unless already editing, when AutoEdit is set.
    void Edit();

    const std::vector<TDataLink*>& DataLinks() const { return links_; }

    std::function<void(TDataSource&)> OnStateChange;
    std::function<void(TDataSource&, TField*)> OnDataChange;
    std::function<void(TDataSource&)> OnUpdateData;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);
    // From the data set.
    void DataEvent(TDataEvent event, TField* field, int distance);

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    bool autoEdit_ = true;
    std::vector<TDataLink*> links_;
    TDataSetState lastState_;
};
