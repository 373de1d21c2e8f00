#include "ArrayDataSet.h"

#include <algorithm>

template <class T>
static void Put(char* data, T value) {
    std::memcpy(data, &value, sizeof value);
}

void ArrayDataSet::AddColumn(const std::string& name, TFieldType type, int size, bool readOnly) {
    CheckInactive();
    columns_.push_back({name, type, size, readOnly});
    offsets_.push_back(dataSize_);
    dataSize_ += SlotSize(columns_.back());
}

int ArrayDataSet::SlotSize(const Column& c) {
    // c.size UTF-8 characters and a terminating zero; eight bytes hold every other value.
    return c.type == ftString ? 1 + kMaxUtf8Bytes * c.size + 1 : 1 + 8;
}

void ArrayDataSet::StoreValue(char* slot, const Column& c, const Variant& v) {
    std::memset(slot, 0, static_cast<size_t>(SlotSize(c)));
    slot[0] = v.IsEmptyOrNull() ? 1 : 0;
    char* data = slot + 1;
    if (slot[0]) return;
    switch (c.type) {
        case ftString: {
            const std::string s = v.ToString().substr(0, static_cast<size_t>(c.size));
            std::memcpy(data, s.data(), s.size());
            break;
        }
        case ftLargeint: Put(data, v.ToInt64()); break;
        case ftFloat:
        case ftCurrency: Put(data, v.ToDouble()); break;
        case ftDateTime: Put(data, DateTimeToNativeDateTime(v.ToDateTime())); break;
        case ftDate: Put(data, DateTimeToNativeDate(v.ToDateTime())); break;
        case ftTime: Put(data, DateTimeToNativeTime(v.ToDateTime())); break;
        case ftBoolean: Put(data, static_cast<int16_t>(v.ToBool())); break;
        default: Put(data, v.ToInt32());
    }
}

void ArrayDataSet::AddRow(const std::vector<Variant>& values) {
    std::vector<char> row(static_cast<size_t>(dataSize_));
    for (size_t i = 0; i < columns_.size(); ++i)
        StoreValue(row.data() + offsets_[i], columns_[i], i < values.size() ? values[i] : Variant::Null());
    rows_.push_back(std::move(row));
    ids_.push_back(nextId_++);
}

TRecordBuffer ArrayDataSet::AllocRecordBuffer() {
    ++buffersAllocated_;
    return new char[static_cast<size_t>(dataSize_ + 5)]();
}

void ArrayDataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
    delete[] buffer;
    buffer = nullptr;
}

void ArrayDataSet::InternalOpen() {
    FieldDefs().Clear();
    for (const Column& c : columns_) {
        TFieldDef& d = FieldDefs().Add(c.name, c.type, c.size);
        if (c.readOnly) d.SetAttributes(faReadonly);
    }
    if (DefaultFields()) CreateFields();
    BindFields(true);
    SetBookmarkSize(4);
    cur_ = -1;
    open_ = true;
}

void ArrayDataSet::InternalClose() {
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    open_ = false;
    cur_ = -1;
}

TGetResult ArrayDataSet::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
    ++getRecordCalls_;
    if (rows_.empty()) return grEOF;
    for (;;) {
        TGetResult r = grOK;
        switch (mode) {
            case gmCurrent: r = cur_ >= 0 && cur_ < RowCount() ? grOK : grError; break;
            case gmNext: r = cur_ < RowCount() - 1 ? grOK : grEOF; break;
            case gmPrior: r = cur_ > 0 ? grOK : grBOF; break;
        }
        if (r == grError && doCheck) throw EDatabaseError("No Records");
        if (r != grOK) return r;
        cur_ += mode == gmNext ? 1 : mode == gmPrior ? -1 : 0;
        std::memcpy(buffer, rows_[static_cast<size_t>(cur_)].data(), static_cast<size_t>(dataSize_));
        Put(buffer + dataSize_, ids_[static_cast<size_t>(cur_)]);
        buffer[dataSize_ + 4] = static_cast<char>(bfCurrent);
        GetCalcFields(buffer);
        if (FilterRecord(buffer)) return grOK;
        // A rejected current record cannot be replaced by looking again.
        if (mode == gmCurrent) return grError;
    }
}

char* ArrayDataSet::Slot(TRecordBuffer rec, const TField* field) const {
    if (!rec || field->FieldNo() < 1) return nullptr;
    return rec + offsets_[static_cast<size_t>(field->FieldNo() - 1)];
}

bool ArrayDataSet::GetFieldData(TField* field, void* buffer) {
    const bool old = State() == dsOldValue && !oldRecord_.empty();
    char* slot = Slot(old ? oldRecord_.data() : ActiveRecordBuffer(), field);
    if (!slot || slot[0] != 0) return false;
    if (buffer) std::memcpy(buffer, slot + 1, static_cast<size_t>(field->DataSize()));
    return true;
}

void ArrayDataSet::SetFieldData(TField* field, const void* buffer) {
    char* slot = Slot(ActiveRecordBuffer(), field);
    if (!slot) return;
    std::memset(slot, 0, static_cast<size_t>(SlotSize(columns_[static_cast<size_t>(field->FieldNo() - 1)])));
    slot[0] = buffer ? 0 : 1;
    if (buffer) std::memcpy(slot + 1, buffer, static_cast<size_t>(field->DataSize()));
}

void ArrayDataSet::InternalGotoBookmark(const void* bookmark) {
    int32_t id;
    std::memcpy(&id, bookmark, 4);
    const auto it = std::find(ids_.begin(), ids_.end(), id);
    if (it == ids_.end()) throw EDatabaseError("Bookmark not found");
    cur_ = static_cast<int>(it - ids_.begin());
}

int ArrayDataSet::GetRecNo() {
    UpdateCursorPos();
    return cur_ < 0 && !rows_.empty() ? 1 : cur_ + 1;
}

void ArrayDataSet::InternalInitRecord(TRecordBuffer buffer) {
    std::memset(buffer, 0, static_cast<size_t>(dataSize_ + 5));
    for (int off : offsets_) buffer[off] = 1;
}

void ArrayDataSet::InternalPost() {
    if (failPosts > 0) {
        --failPosts;
        throw EDatabaseError("database is locked");
    }
    TRecordBuffer rec = ActiveRecordBuffer();
    std::vector<char> row(rec, rec + dataSize_);
    if (State() == dsInsert) {
        const bool append = GetBookmarkFlag(rec) == bfEOF || cur_ < 0 || cur_ >= RowCount();
        cur_ = append ? RowCount() : cur_;
        rows_.insert(rows_.begin() + cur_, std::move(row));
        ids_.insert(ids_.begin() + cur_, nextId_++);
    } else {
        rows_[static_cast<size_t>(cur_)] = std::move(row);
    }
    oldRecord_.clear();
}

void ArrayDataSet::InternalDelete() {
    rows_.erase(rows_.begin() + cur_);
    ids_.erase(ids_.begin() + cur_);
    if (cur_ >= RowCount()) cur_ = RowCount() - 1;
}
