#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// Byte streams of the classic class library: an abstract TStream and the
// growable in-memory TMemoryStream that blob fields and parameters use.
class TStream {
public:
    virtual ~TStream() = default;

    // Copy up to count bytes; return how many were moved.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // New position; positions before the start are clamped to 0.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size() = 0;
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }

    // Like Read/Write, but a short transfer raises EReadError/EWriteError
    // (as Exception with "Stream read error" / "Stream write error").
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from the source's position; count 0 copies the
    // whole source from its start. Returns the bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);

    // Everything from the start as one string (the position is kept).
    std::string DataString();
    void WriteString(std::string_view text) { WriteBuffer(text.data(), static_cast<int64_t>(text.size())); }
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;

    void Clear();
    const char* Memory() const { return data_.data(); }
    char* Memory() { return data_.data(); }
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& dest);

private:
    std::vector<char> data_;
    int64_t pos_ = 0;
};
