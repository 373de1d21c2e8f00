#include "sqlite/TQorFResult.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "dataset/TStream.h"

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kFirstChunk = size_t{64} << 10;
constexpr size_t kLargestChunk = size_t{64} << 20;

TQorTextRef TextAt(const char* slot) {
    TQorTextRef ref;
    std::memcpy(&ref, slot, sizeof ref);
    return ref;
}
}  // namespace

void TQorFResult::FreeChunk::operator()(char* p) const { std::free(p); }

TQorFResult::TQorFResult(int recordSize, std::vector<SlotInfo> slots)
    : recordSize_(std::max(recordSize, 0)), slots_(std::move(slots)) {
    hasBlobs_ = std::any_of(slots_.begin(), slots_.end(), [](const SlotInfo& s) { return s.blob; });
}

TQorFResult::~TQorFResult() {
    if (hasBlobs_)
        for (char* row : rows_) FreeBlobs(row);
}

// Packed form: each slot in order; a text slot as a 32-bit length and its
// bytes, any other slot as its bytes.
char* TQorFResult::Pack(const char* record) {
    size_t need = 0;
    for (const SlotInfo& s : slots_)
        need += s.text ? 4 + TextAt(record + s.offset).size : static_cast<size_t>(s.size);
    if (chunks_.empty() || chunkUsed_ + need > chunkSize_) {
        // Chunks double from 64 KiB: small results stay small, large ones are
        // few allocations on huge pages (far fewer page faults).
        size_t bytes = std::max(need, std::min(chunks_.empty() ? kFirstChunk : chunkSize_ * 2, kLargestChunk));
        char* p;
        if (bytes >= kHugePage) {
            bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
            p = static_cast<char*>(std::aligned_alloc(kHugePage, bytes));
            if (p) madvise(p, bytes, MADV_HUGEPAGE);
        } else {
            p = static_cast<char*>(std::malloc(std::max<size_t>(bytes, 1)));
        }
        if (!p) throw std::bad_alloc();
        chunks_.emplace_back(p);
        chunkSize_ = bytes;
        chunkUsed_ = 0;
    }
    char* row = chunks_.back().get() + chunkUsed_;
    char* out = row;
    for (const SlotInfo& s : slots_) {
        const char* in = record + s.offset;
        if (s.text) {
            const TQorTextRef ref = TextAt(in);
            std::memcpy(out, &ref.size, 4);
            if (ref.size) std::memcpy(out + 4, ref.data, ref.size);
            out += 4 + ref.size;
        } else {
            std::memcpy(out, in, static_cast<size_t>(s.size));
            out += s.size;
        }
    }
    chunkUsed_ += need;
    packedBytes_ += need;
    return row;
}

bool TQorFResult::Read(int index, char* record) const {
    if (index < 0 || index >= Count()) return false;
    const char* in = rows_[static_cast<size_t>(index)];
    for (const SlotInfo& s : slots_) {
        char* out = record + s.offset;
        if (s.text) {
            TQorTextRef ref;
            std::memcpy(&ref.size, in, 4);
            ref.data = ref.size ? in + 4 : nullptr;
            std::memcpy(out, &ref, sizeof ref);
            in += 4 + ref.size;
        } else {
            std::memcpy(out, in, static_cast<size_t>(s.size));
            in += s.size;
        }
    }
    return true;
}

void TQorFResult::FreeBlobs(const char* packed) const {
    for (const SlotInfo& s : slots_) {
        if (s.text) {
            uint32_t len;
            std::memcpy(&len, packed, 4);
            packed += 4 + len;
            continue;
        }
        if (s.blob) {
            TMemoryStream* stream;
            std::memcpy(&stream, packed, sizeof stream);
            delete stream;
        }
        packed += s.size;
    }
}

int TQorFResult::Add(const char* record) {
    rows_.push_back(Pack(record));
    ids_.push_back(++lastId_);
    return Count() - 1;
}

int TQorFResult::Insert(int index, const char* record) {
    if (index < 0 || index >= Count()) return Add(record);
    rows_.insert(rows_.begin() + index, Pack(record));
    ids_.insert(ids_.begin() + index, ++lastId_);
    idsAscending_ = false;
    return index;
}

void TQorFResult::Replace(int index, const char* record) {
    if (index < 0 || index >= Count()) return;
    rows_[static_cast<size_t>(index)] = Pack(record);
}

void TQorFResult::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    if (hasBlobs_) FreeBlobs(rows_[static_cast<size_t>(index)]);
    rows_.erase(rows_.begin() + index);
    ids_.erase(ids_.begin() + index);
}

int32_t TQorFResult::Id(int index) const {
    return index >= 0 && index < Count() ? ids_[static_cast<size_t>(index)] : -1;
}

int TQorFResult::IndexOf(int32_t id) const {
    if (idsAscending_) {
        auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
        return it != ids_.end() && *it == id ? static_cast<int>(it - ids_.begin()) : -1;
    }
    auto it = std::find(ids_.begin(), ids_.end(), id);
    return it != ids_.end() ? static_cast<int>(it - ids_.begin()) : -1;
}
