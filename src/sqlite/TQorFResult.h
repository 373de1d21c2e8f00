#pragma once
#include <cstdint>
#include <memory>
#include <vector>

// A text slot of a query record: the bytes live elsewhere (in a result row,
// in the engine's row being fetched, or in text the query keeps), so a
// record costs the same whatever size its columns declare. No bytes (size 0)
// is the empty text.
struct TQorTextRef {
    const char* data = nullptr;
    uint32_t size = 0;
};

// The rows of an open query, each with an id that is unique for the life of
// the result and serves as its bookmark. A row is handed in and out in the
// query's fixed record layout but kept packed: a text takes its own length.
// Rows live in large chunks, not one allocation each; a row's bytes stay
// where they are until the result is destroyed, so the text references Read
// hands out stay valid that long (also after Delete or Replace).
class TQorFResult {
public:
    struct SlotInfo {
        int offset = 0;
        int size = 0;
        bool text = false;  // a TQorTextRef
        bool blob = false;  // an owned TMemoryStream*
    };

    // recordSize: bytes of the fixed layout that Add reads and Read writes.
    TQorFResult(int recordSize, std::vector<SlotInfo> slots);
    ~TQorFResult();
    TQorFResult(const TQorFResult&) = delete;
    TQorFResult& operator=(const TQorFResult&) = delete;

    // Stores a copy of `record`; the new row gets the next id.
    int Add(const char* record);
    // Index 0..Count(); any other index appends.
    int Insert(int index, const char* record);
    // Replaces a row's content; its id stays.
    void Replace(int index, const char* record);
    // Frees the row and the blob streams it holds; bad indexes are ignored.
    void Delete(int index);
    // Unpacks a row into the fixed layout, its texts referring to the row's
    // bytes; false outside 0..Count()-1.
    bool Read(int index, char* record) const;
    int32_t Id(int index) const;  // -1 outside
    int Count() const { return static_cast<int>(rows_.size()); }
    int IndexOf(int32_t id) const;
    int RecordSize() const { return recordSize_; }
    // Bytes the packed rows take, for measuring.
    size_t PackedBytes() const { return packedBytes_; }

private:
    struct FreeChunk {
        void operator()(char* p) const;
    };
    char* Pack(const char* record);
    void FreeBlobs(const char* packed) const;

    int recordSize_;
    std::vector<SlotInfo> slots_;
    bool hasBlobs_ = false;
    std::vector<char*> rows_;
    std::vector<int32_t> ids_;
    int32_t lastId_ = -1;
    bool idsAscending_ = true;  // false after an insert before the end
    std::vector<std::unique_ptr<char, FreeChunk>> chunks_;
    size_t chunkSize_ = 0;
    size_t chunkUsed_ = 0;
    size_t packedBytes_ = 0;
};
