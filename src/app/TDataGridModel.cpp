#include "app/TDataGridModel.h"

#include <QTimer>

#include "base/AnsiString.h"
#include "base/QtText.h"
#include "dataset/TDataSet.h"
#include "dataset/TField.h"

namespace {
bool IsEditing(const TDataSet* ds) { return ds && (ds->State() == dsEdit || ds->State() == dsInsert); }

bool IsNumber(TFieldType k) {
    return k == ftSmallint || k == ftInteger || k == ftWord || k == ftLargeint || k == ftFloat || k == ftCurrency ||
           k == ftBCD;
}
}  // namespace

TDataGridModel::TDataGridModel(QObject* parent) : QAbstractTableModel(parent) {}

TDataGridModel::~TDataGridModel() { SetDataSource(nullptr); }

TField* TDataGridModel::FieldAt(int column) const {
    return column >= 0 && column < static_cast<int>(columns_.size()) ? columns_[static_cast<size_t>(column)] : nullptr;
}

int TDataGridModel::CountRows() const {
    TDataSet* ds = DataSet();
    if (!ds || !Active()) return 0;
    return std::max(ds->RecordCount(), 0) + (ds->State() == dsInsert ? 1 : 0);
}

int TDataGridModel::ActiveRow() const {
    TDataSet* ds = DataSet();
    if (!ds || !Active()) return -1;
    if (ds->State() == dsInsert) return insertRow_;
    if (ds->IsEmpty()) return -1;
    return ds->RecNo() - 1;
}

bool TDataGridModel::IsActiveRow(int row) const {
    TDataSet* ds = DataSet();
    return IsEditing(ds) && row == ActiveRow();
}

int TDataGridModel::RecNoOf(int row) const {
    TDataSet* ds = DataSet();
    if (ds && ds->State() == dsInsert) {
        if (row == insertRow_) return 0;
        if (row > insertRow_) return row;
    }
    return row + 1;
}

void TDataGridModel::ResetColumns() {
    beginResetModel();
    columns_.clear();
    if (TDataSet* ds = DataSet(); ds && Active())
        for (int i = 0; i < ds->FieldCount(); ++i)
            if (TField* f = ds->Fields()[i]; f->Visible()) columns_.push_back(f);
    rows_ = CountRows();
    ForgetRow();
    endResetModel();
}

void TDataGridModel::Rebuild() {
    TDataSet* ds = DataSet();
    insertRow_ = ds && ds->State() == dsInsert ? std::max(ds->RecNo() - 1, 0) : -1;
    const int rows = CountRows();
    ForgetRow();
    if (rows != rows_) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
    } else if (rows_ > 0 && !columns_.empty()) {
        emit dataChanged(index(0, 0), index(rows_ - 1, static_cast<int>(columns_.size()) - 1));
    }
    if (OnMoved) OnMoved();
}

int TDataGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TDataGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TDataGridModel::data(const QModelIndex& index, int role) const {
    TField* field = FieldAt(index.column());
    TDataSet* ds = DataSet();
    if (!field || !ds || !Active() || index.row() < 0 || index.row() >= rows_) return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(IsNumber(field->DataType()) ? Qt::AlignRight | Qt::AlignVCenter
                                                                             : Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    try {
        // The record being edited shows what the user typed.
        if (IsActiveRow(index.row()))
            return AnsiToQString(role == Qt::EditRole ? field->Text() : field->DisplayText());
        if (role == Qt::EditRole) {
            QString text;
            ds->ReadRecordAt(RecNoOf(index.row()), [&] { text = AnsiToQString(field->Text()); });
            return text;
        }
        // A row is read once for all its cells.
        if (cachedRow_ != index.row()) {
            cache_.assign(columns_.size(), QString());
            const bool read = ds->ReadRecordAt(RecNoOf(index.row()), [&] {
                for (size_t c = 0; c < columns_.size(); ++c) cache_[c] = AnsiToQString(columns_[c]->DisplayText());
            });
            if (!read) return {};
            cachedRow_ = index.row();
        }
        return cache_[static_cast<size_t>(index.column())];
    } catch (const std::exception&) {
        return {};
    }
}

QVariant TDataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical) return section + 1;
    TField* f = FieldAt(section);
    return f ? AnsiToQString(f->DisplayName()) : QVariant();
}

Qt::ItemFlags TDataGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags fl = QAbstractTableModel::flags(index);
    TField* f = FieldAt(index.column());
    if (f && f->CanModify()) fl |= Qt::ItemIsEditable;
    return fl;
}

bool TDataGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TField* field = FieldAt(index.column());
    TDataSet* ds = DataSet();
    if (role != Qt::EditRole || !field || !ds || !Active()) return false;
    try {
        if (!MoveTo(index.row())) return false;
        const std::string text = QStringToAnsi(value.toString());
        // Opening and closing an editor changes nothing.
        if (!IsEditing(ds) && text == field->Text()) return false;
        if (!IsEditing(ds)) ds->Edit();
        field->SetText(text);
        return true;
    } catch (const std::exception& e) {
        Error(e);
        return false;
    }
}

bool TDataGridModel::MoveTo(int row) {
    TDataSet* ds = DataSet();
    if (!ds || !Active() || row < 0 || row >= rows_) return false;
    if (row == ActiveRow()) return true;
    if (IsEditing(ds)) {
        // The same post failed a moment ago (the editor's row was left):
        // one message is enough.
        if (postFailed_) return false;
        const bool inserting = ds->State() == dsInsert;
        const int insertedAt = insertRow_;
        const int before = ds->RecordCount();
        if (!Post()) return false;
        // An empty new record is dropped, not posted: the rows below it
        // move up.
        if (inserting && ds->RecordCount() == before && row > insertedAt) --row;
    }
    quiet_ = true;
    try {
        ds->SetRecNo(row + 1);
    } catch (const std::exception& e) {
        quiet_ = false;
        Error(e);
        return false;
    }
    quiet_ = false;
    if (OnMoved) OnMoved();
    return true;
}

bool TDataGridModel::Post() {
    TDataSet* ds = DataSet();
    if (!IsEditing(ds)) return true;
    try {
        // Posts a changed record, drops an unchanged one.
        ds->CheckBrowseMode();
        return true;
    } catch (const std::exception& e) {
        Error(e);
        postFailed_ = true;
        QTimer::singleShot(0, this, [this] { postFailed_ = false; });
        return false;
    }
}

void TDataGridModel::Cancel() {
    TDataSet* ds = DataSet();
    if (!IsEditing(ds)) return;
    try {
        ds->Cancel();
    } catch (const std::exception& e) {
        Error(e);
    }
}

bool TDataGridModel::submit() {
    // The view submits on every change of its current row too; a record
    // nobody typed into (a fresh insert) stays as it is, and a move to
    // another row posts through MoveTo.
    TDataSet* ds = DataSet();
    if (!IsEditing(ds) || !ds->Modified()) return true;
    return Post();
}

void TDataGridModel::revert() { Cancel(); }

void TDataGridModel::Error(const std::exception& e) {
    if (OnError) OnError(Trim(e.what()));
}

void TDataGridModel::ActiveChanged() {
    insertRow_ = -1;
    ResetColumns();
}

void TDataGridModel::EditingChanged() {
    const int row = ActiveRow();
    if (row >= 0 && row < rows_ && !columns_.empty())
        emit dataChanged(index(row, 0), index(row, static_cast<int>(columns_.size()) - 1));
}

void TDataGridModel::DataSetChanged() {
    // Our own move: the rows are the same.
    if (quiet_) return;
    Rebuild();
}

void TDataGridModel::DataSetScrolled(int) {
    if (!quiet_ && OnMoved) OnMoved();
}

void TDataGridModel::RecordChanged(TField*) {
    const int row = ActiveRow();
    if (row == cachedRow_) ForgetRow();
    if (row >= 0 && row < rows_ && !columns_.empty())
        emit dataChanged(index(row, 0), index(row, static_cast<int>(columns_.size()) - 1));
}

void TDataGridModel::LayoutChanged() { ResetColumns(); }

void TDataGridModel::UpdateData() {
    if (OnUpdateData) OnUpdateData();
}
