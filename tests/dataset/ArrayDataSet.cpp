#include "ArrayDataSet.h"

#include <cstring>

// Reads the blob of a slot when opened, writes it back when destroyed.
class ArrayBlobStream : public TMemoryStream {
public:
    ArrayBlobStream(ArrayDataSet& ds, TField* field, TBlobStreamMode mode)
        : ds_(ds), field_(field), mode_(mode) {
        char* slot = ds_.Slot(ds_.ActiveRecordBuffer(), field);
        if (slot && mode != bmWrite && slot[0] == 0) {
            int32_t index;
            std::memcpy(&index, slot + 1, 4);
            WriteString(ds_.blobs_[static_cast<size_t>(index)]);
            SetPosition(0);
        }
    }
    ~ArrayBlobStream() override {
        if (mode_ == bmRead) return;
        char* slot = ds_.Slot(ds_.ActiveRecordBuffer(), field_);
        if (!slot) return;
        ds_.blobs_.push_back(DataString());
        int32_t index = static_cast<int32_t>(ds_.blobs_.size() - 1);
        slot[0] = Size() == 0 ? 1 : 0;
        std::memcpy(slot + 1, &index, 4);
    }

private:
    ArrayDataSet& ds_;
    TField* field_;
    TBlobStreamMode mode_;
};

void ArrayDataSet::AddColumn(const std::string& name, TFieldType type, int size, bool readOnly) {
    CheckInactive();
    columns_.push_back({name, type, size, readOnly});
    Layout();
}

int ArrayDataSet::SlotSize(const Column& c) const {
    switch (c.type) {
        case ftString:
        case ftWideString: return 1 + kMaxUtf8Bytes * c.size + 1;  // c.size UTF-8 characters
        case ftLargeint:
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftDateTime: return 1 + 8;
        case ftBoolean: return 1 + 2;
        default: return 1 + 4;
    }
}

void ArrayDataSet::Layout() {
    offsets_.clear();
    dataSize_ = 0;
    for (const Column& c : columns_) {
        offsets_.push_back(dataSize_);
        dataSize_ += SlotSize(c);
    }
}

void ArrayDataSet::StoreValue(char* slot, const Column& c, const Variant& v) {
    std::memset(slot, 0, static_cast<size_t>(SlotSize(c)));
    if (v.IsEmptyOrNull()) {
        slot[0] = 1;
        return;
    }
    char* data = slot + 1;
    switch (c.type) {
        case ftString:
        case ftWideString: {
            std::string s = v.ToString().substr(0, static_cast<size_t>(c.size));
            std::memcpy(data, s.data(), s.size());
            break;
        }
        case ftLargeint: {
            int64_t n = v.ToInt64();
            std::memcpy(data, &n, 8);
            break;
        }
        case ftFloat:
        case ftCurrency:
        case ftBCD: {
            double d = v.ToDouble();
            std::memcpy(data, &d, 8);
            break;
        }
        case ftDateTime: {
            double d = DateTimeToNativeDateTime(v.ToDateTime());
            std::memcpy(data, &d, 8);
            break;
        }
        case ftDate:
        case ftTime: {
            int32_t n = c.type == ftDate ? DateTimeToNativeDate(v.ToDateTime())
                                         : DateTimeToNativeTime(v.ToDateTime());
            std::memcpy(data, &n, 4);
            break;
        }
        case ftBoolean: {
            int16_t b = v.ToBool() ? 1 : 0;
            std::memcpy(data, &b, 2);
            break;
        }
        case ftBlob:
        case ftMemo:
        case ftGraphic:
        case ftFmtMemo: {
            blobs_.push_back(v.ToString());
            int32_t index = static_cast<int32_t>(blobs_.size() - 1);
            std::memcpy(data, &index, 4);
            break;
        }
        default: {
            int32_t n = v.ToInt32();
            std::memcpy(data, &n, 4);
        }
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

void ArrayDataSet::InternalInitFieldDefs() {
    FieldDefs().Clear();
    for (const Column& c : columns_) {
        TFieldDef& d = FieldDefs().Add(c.name, c.type, c.size);
        if (c.readOnly) d.SetAttributes(faReadonly);
    }
}

void ArrayDataSet::InternalOpen() {
    InternalInitFieldDefs();
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
            case gmCurrent:
                if (cur_ < 0 || cur_ >= RowCount()) r = grError;
                break;
            case gmNext:
                if (cur_ < RowCount() - 1) ++cur_;
                else r = grEOF;
                break;
            case gmPrior:
                if (cur_ > 0) --cur_;
                else r = grBOF;
                break;
        }
        if (r == grError && doCheck) throw EDatabaseError("No Records");
        if (r != grOK) return r;
        std::memcpy(buffer, rows_[static_cast<size_t>(cur_)].data(), static_cast<size_t>(dataSize_));
        std::memcpy(buffer + dataSize_, &ids_[static_cast<size_t>(cur_)], 4);
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
    TRecordBuffer rec = ActiveRecordBuffer();
    if (State() == dsOldValue && !oldRecord_.empty()) rec = oldRecord_.data();
    char* slot = Slot(rec, field);
    if (!slot || slot[0] != 0) return false;
    if (buffer && !IsBlobType(field->DataType()))
        std::memcpy(buffer, slot + 1, static_cast<size_t>(field->DataSize()));
    return true;
}

void ArrayDataSet::SetFieldData(TField* field, const void* buffer) {
    char* slot = Slot(ActiveRecordBuffer(), field);
    if (!slot) return;
    const Column& c = columns_[static_cast<size_t>(field->FieldNo() - 1)];
    std::memset(slot, 0, static_cast<size_t>(SlotSize(c)));
    if (!buffer) {
        slot[0] = 1;
        return;
    }
    std::memcpy(slot + 1, buffer, static_cast<size_t>(field->DataSize()));
}

std::unique_ptr<TStream> ArrayDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
    if (mode != bmRead && State() != dsEdit && State() != dsInsert)
        throw EDatabaseError("Dataset not in edit or insert mode");
    return std::make_unique<ArrayBlobStream>(*this, field, mode);
}

void ArrayDataSet::GetBookmarkData(TRecordBuffer buffer, void* data) { std::memcpy(data, buffer + dataSize_, 4); }
void ArrayDataSet::SetBookmarkData(TRecordBuffer buffer, const void* data) {
    std::memcpy(buffer + dataSize_, data, 4);
}
TBookmarkFlag ArrayDataSet::GetBookmarkFlag(TRecordBuffer buffer) {
    return static_cast<TBookmarkFlag>(buffer[dataSize_ + 4]);
}
void ArrayDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
    buffer[dataSize_ + 4] = static_cast<char>(flag);
}

int ArrayDataSet::IndexOfId(int32_t id) const {
    for (size_t i = 0; i < ids_.size(); ++i)
        if (ids_[i] == id) return static_cast<int>(i);
    return -1;
}

void ArrayDataSet::InternalGotoBookmark(const void* bookmark) {
    int32_t id;
    std::memcpy(&id, bookmark, 4);
    int i = IndexOfId(id);
    if (i < 0) throw EDatabaseError("Bookmark not found");
    cur_ = i;
}

bool ArrayDataSet::BookmarkValid(const TBookmark& b) {
    if (b.size() != 4) return false;
    int32_t id;
    std::memcpy(&id, b.data(), 4);
    return IndexOfId(id) >= 0;
}

int ArrayDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
    if (a.empty() || b.empty()) return TDataSet::CompareBookmarks(a, b);
    int32_t x, y;
    std::memcpy(&x, a.data(), 4);
    std::memcpy(&y, b.data(), 4);
    return x < y ? -1 : x > y ? 1 : 0;
}

int ArrayDataSet::GetRecNo() {
    UpdateCursorPos();
    return cur_ < 0 && !rows_.empty() ? 1 : cur_ + 1;
}

void ArrayDataSet::SetRecNo(int value) {
    if (value < 1 || value > RowCount()) return;
    CheckBrowseMode();
    DoBeforeScroll();
    cur_ = value - 1;
    Resync();
    DoAfterScroll();
}

void ArrayDataSet::InternalInitRecord(TRecordBuffer buffer) {
    std::memset(buffer, 0, static_cast<size_t>(dataSize_ + 5));
    for (int off : offsets_) buffer[off] = 1;
}

void ArrayDataSet::InternalEdit() {
    TRecordBuffer rec = ActiveRecordBuffer();
    oldRecord_.assign(rec, rec + dataSize_);
}

void ArrayDataSet::InternalPost() {
    if (failPosts > 0) {
        --failPosts;
        throw EDatabaseError("database is locked");
    }
    TRecordBuffer rec = ActiveRecordBuffer();
    std::vector<char> row(rec, rec + dataSize_);
    if (State() == dsInsert) {
        bool append = GetBookmarkFlag(rec) == bfEOF || cur_ < 0 || cur_ >= RowCount();
        size_t at = append ? rows_.size() : static_cast<size_t>(cur_);
        rows_.insert(rows_.begin() + static_cast<long>(at), std::move(row));
        ids_.insert(ids_.begin() + static_cast<long>(at), nextId_++);
        cur_ = static_cast<int>(at);
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
