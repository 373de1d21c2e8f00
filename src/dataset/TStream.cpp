#include "TStream.h"

#include <algorithm>
#include <cstring>

#include "base/Exception.h"

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw Exception("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw Exception("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    char chunk[8192];
    int64_t done = 0;
    while (done < count) {
        int64_t n = std::min<int64_t>(count - done, sizeof chunk);
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        done += n;
    }
    return done;
}

std::string TStream::DataString() {
    int64_t keep = Position();
    std::string out(static_cast<size_t>(Size()), '\0');
    SetPosition(0);
    int64_t got = Read(out.data(), static_cast<int64_t>(out.size()));
    out.resize(static_cast<size_t>(got));
    SetPosition(keep);
    return out;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || pos_ >= Size()) return 0;
    int64_t n = std::min(count, Size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (pos_ + count > Size()) data_.resize(static_cast<size_t>(pos_ + count));
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                   : origin == TSeekOrigin::soCurrent ? pos_
                                                      : Size();
    pos_ = std::max<int64_t>(0, base + offset);
    return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
    data_.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    if (pos_ > Size()) pos_ = Size();
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    int64_t n = source.Size();
    data_.resize(static_cast<size_t>(n));
    source.ReadBuffer(data_.data(), n);
    pos_ = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) { dest.WriteBuffer(data_.data(), Size()); }
