#pragma once
#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

#include "dataset/TDataLink.h"

class TDataSet;
class TField;

// A data set as a table for a QTableView: one column per visible field, one
// row per record. It is lazy: the view asks only for the rows it shows, and
// each is read where it lies (TDataSet::ReadRecordAt) without moving the
// data set; nothing is kept per row. The record being edited or inserted is
// shown from the data set's active record, an inserted one at the place it
// goes to.
//
// Editing: a cell's new text goes into the field (the data set enters edit
// state); the record is posted when the view leaves its row (MoveTo) or the
// editor is closed with Enter (submit), and cancelled with Esc (revert).
class TDataGridModel : public QAbstractTableModel, public TDataLink {
public:
    explicit TDataGridModel(QObject* parent = nullptr);
    ~TDataGridModel() override;

    // The field shown in a column (nullptr outside).
    TField* FieldAt(int column) const;
    // The row of the data set's active record, -1 when there is none.
    int ActiveRow() const;
    // Makes row the data set's active record; a record being edited is
    // posted first. False, and nothing moves, when the post fails (the
    // failure goes to OnError).
    bool MoveTo(int row);
    // Posts or cancels the record being edited (Enter, Esc); failures go
    // to OnError.
    bool Post();
    void Cancel();
    // Takes the fields again (after one was hidden or shown).
    void ResetColumns();

    // A failure while writing, with its message.
    std::function<void(const std::string&)> OnError;
    // The data set is about to post: the view writes its open editor.
    std::function<void()> OnUpdateData;
    // The active record moved, or rows came or went: the view follows.
    std::function<void()> OnMoved;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Enter in an editor, or leaving its row: a changed record is posted.
    bool submit() override;
    // Esc in an editor: the record's edit is cancelled.
    void revert() override;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void RecordChanged(TField* field) override;
    void LayoutChanged() override;
    void UpdateData() override;

private:
    // Rows the data set has now, with a record being inserted.
    int CountRows() const;
    // Position (RecNo) of the stored record shown in row; 0 for the row of
    // a record being inserted.
    int RecNoOf(int row) const;
    bool IsActiveRow(int row) const;
    void Rebuild();
    void Error(const std::exception& e);
    void ForgetRow() const { cachedRow_ = -1; }

    std::vector<TField*> columns_;
    int rows_ = 0;
    int insertRow_ = -1;  // while inserting: the row the new record shows in
    bool quiet_ = false;  // moving the data set ourselves
    bool postFailed_ = false;  // the last post failed in this event
    mutable int cachedRow_ = -1;
    mutable std::vector<QString> cache_;  // texts of cachedRow_
};
