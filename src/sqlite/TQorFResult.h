#pragma once
#include <cstdint>
#include <memory>
#include <vector>

// The rows of an open query: fixed-size row buffers in order, each with an
// id that is unique for the life of the result and serves as its bookmark.
// Rows live in large chunks, so a million rows cost a million row sizes and
// a few bytes each, not a million allocations.
class TQorFResult {
public:
    // blobSlots: offsets of the slots that hold an owned TMemoryStream*.
    TQorFResult(int rowSize, std::vector<int> blobSlots);
    ~TQorFResult();
    TQorFResult(const TQorFResult&) = delete;
    TQorFResult& operator=(const TQorFResult&) = delete;

    // Copies of `buffer` (rowSize bytes); the new row gets the next id.
    int Add(const char* buffer);
    // Index 0..Count(); any other index appends.
    int Insert(int index, const char* buffer);
    // Frees the row and the blob streams it holds; bad indexes are ignored.
    void Delete(int index);
    // nullptr / -1 outside 0..Count()-1.
    char* Row(int index) const;
    int32_t Id(int index) const;
    int Count() const { return static_cast<int>(rows_.size()); }
    int IndexOf(int32_t id) const;
    int RowSize() const { return rowSize_; }

private:
    char* NewRow(const char* buffer);
    void FreeBlobs(char* row);

    int rowSize_;
    std::vector<int> blobSlots_;
    std::vector<char*> rows_;
    std::vector<int32_t> ids_;
    int32_t lastId_ = -1;
    bool idsAscending_ = true;  // false after an insert before the end
    std::vector<std::unique_ptr<char[]>> chunks_;
    size_t chunkUsed_ = 0;
    size_t chunkRows_ = 0;
    std::vector<char*> freeRows_;
};
