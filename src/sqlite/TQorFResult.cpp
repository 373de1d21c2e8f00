#include "sqlite/TQorFResult.h"

#include <algorithm>
#include <cstring>

#include "dataset/TStream.h"

TQorFResult::TQorFResult(int rowSize, std::vector<int> blobSlots)
    : rowSize_(std::max(rowSize, 1)), blobSlots_(std::move(blobSlots)) {
    chunkRows_ = std::max<size_t>(1, (size_t{1} << 20) / static_cast<size_t>(rowSize_));
}

TQorFResult::~TQorFResult() {
    for (char* row : rows_) FreeBlobs(row);
}

void TQorFResult::FreeBlobs(char* row) {
    for (int off : blobSlots_) {
        TMemoryStream* s = nullptr;
        std::memcpy(&s, row + off, sizeof s);
        delete s;
        std::memset(row + off, 0, sizeof s);
    }
}

char* TQorFResult::NewRow(const char* buffer) {
    char* row;
    if (!freeRows_.empty()) {
        row = freeRows_.back();
        freeRows_.pop_back();
    } else {
        if (chunks_.empty() || chunkUsed_ == chunkRows_) {
            chunks_.push_back(std::make_unique<char[]>(chunkRows_ * static_cast<size_t>(rowSize_)));
            chunkUsed_ = 0;
        }
        row = chunks_.back().get() + chunkUsed_++ * static_cast<size_t>(rowSize_);
    }
    std::memcpy(row, buffer, static_cast<size_t>(rowSize_));
    return row;
}

int TQorFResult::Add(const char* buffer) {
    rows_.push_back(NewRow(buffer));
    ids_.push_back(++lastId_);
    return Count() - 1;
}

int TQorFResult::Insert(int index, const char* buffer) {
    if (index < 0 || index >= Count()) return Add(buffer);
    rows_.insert(rows_.begin() + index, NewRow(buffer));
    ids_.insert(ids_.begin() + index, ++lastId_);
    idsAscending_ = false;
    return index;
}

void TQorFResult::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    char* row = rows_[static_cast<size_t>(index)];
    FreeBlobs(row);
    freeRows_.push_back(row);
    rows_.erase(rows_.begin() + index);
    ids_.erase(ids_.begin() + index);
}

char* TQorFResult::Row(int index) const {
    return index >= 0 && index < Count() ? rows_[static_cast<size_t>(index)] : nullptr;
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
