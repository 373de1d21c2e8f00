#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "dataset/TDataSet.h"

// An in-memory table that implements the record-buffer protocol the way a
// real data set does: rows held as record images, a cursor index, row ids as
// bookmarks, OnFilterRecord applied in GetRecord.
//
// Record image: per field one null byte and the native value, then the
// 4-byte row id and the bookmark flag byte.
class ArrayDataSet : public TDataSet {
public:
    explicit ArrayDataSet(TComponent* owner = nullptr) : TDataSet(owner) {}
    ~ArrayDataSet() override { Close(); }

    // Columns of the table; only while closed.
    void AddColumn(const std::string& name, TFieldType type, int size = 0, bool readOnly = false);
    // Rows while closed or browsing: values in column order, Null for NULL.
    void AddRow(const std::vector<Variant>& values);
    void SetReadOnly(bool v) { readOnly_ = v; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    int BuffersAllocated() const { return buffersAllocated_; }
    int GetRecordCalls() const { return getRecordCalls_; }
    // The next this many posts fail as a busy database would.
    int failPosts = 0;

    bool GetFieldData(TField* field, void* buffer) override;

protected:
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
    int GetRecordSize() override { return dataSize_; }
    void SetFieldData(TField* field, const void* buffer) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return open_; }
    void InternalFirst() override { cur_ = -1; }
    void InternalLast() override { cur_ = RowCount(); }
    void GetBookmarkData(TRecordBuffer buffer, void* data) override { std::memcpy(data, buffer + dataSize_, 4); }
    void SetBookmarkData(TRecordBuffer buffer, const void* data) override { std::memcpy(buffer + dataSize_, data, 4); }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer b) override { return static_cast<TBookmarkFlag>(b[dataSize_ + 4]); }
    void SetBookmarkFlag(TRecordBuffer b, TBookmarkFlag flag) override { b[dataSize_ + 4] = static_cast<char>(flag); }
    void InternalGotoBookmark(const void* bookmark) override;
    int GetRecNo() override;
    int GetRecordCount() override { return RowCount(); }
    void InternalInitRecord(TRecordBuffer buffer) override;
    void InternalEdit() override { oldRecord_.assign(ActiveRecordBuffer(), ActiveRecordBuffer() + dataSize_); }
    void InternalPost() override;
    void InternalDelete() override;
    bool GetCanModify() override { return !readOnly_; }

private:
    struct Column {
        std::string name;
        TFieldType type;
        int size;
        bool readOnly;
    };
    static int SlotSize(const Column& c);
    char* Slot(TRecordBuffer rec, const TField* field) const;
    void StoreValue(char* slot, const Column& c, const Variant& v);

    std::vector<Column> columns_;
    std::vector<int> offsets_;
    int dataSize_ = 0;
    std::vector<std::vector<char>> rows_;
    std::vector<int32_t> ids_;
    std::vector<char> oldRecord_;
    int32_t nextId_ = 0;
    int cur_ = -1;
    bool open_ = false;
    bool readOnly_ = false;
    int buffersAllocated_ = 0;
    int getRecordCalls_ = 0;
};
