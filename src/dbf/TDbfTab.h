#pragma once
// A dBase (DBF, no memo) table read and written directly through its file,
// offered as a data set, with a record filter in the TCalc language.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dataset/TDataSet.h"
#include "dbf/TCalc.h"

class SingleByteCodePage;

// One field of the file: what its 32-byte descriptor says, plus where its
// bytes start inside the record (after the deletion flag).
struct TDbfField {
    std::string Name;
    char Type = 'C';  // 'C', 'D', 'N', 'F', 'L'; others are kept but not read
    int Length = 0;
    int Decimals = 0;
    int Offset = 0;
};

// The file is held open while the table is active; every record access is a
// seek plus one read or write of exactly one record (reads of consecutive
// records are served from one read-ahead window, which a record just
// appended joins). With BufferAppends, appended records are instead held in
// memory and written in blocks: when a block is full, before any other write
// to the file, and at Close; until then reads of them are answered from
// memory and the file is shorter than the table.
//
// Nothing in the file is trusted: a header that disagrees with the
// descriptors or with the file's size is refused at open with EDBFError
// naming the file, and no read ever goes past the end of the file.
//
// The header's record count on disk is brought up to date by Delete and by
// Close; between an append and those moments it lags behind the records
// written.
//
// Character fields and field names are UTF-8 in the program and one byte
// per character of a DOS or Windows code page in the file (see OemAnsi). A
// field's length counts characters of that code page; a value is cut at it
// on a character boundary, and a character the code page lacks is written
// as '?' (UnmappedValues counts the values that lost one).
class TDbfTab : public TDataSet {
public:
    explicit TDbfTab(TComponent* owner = nullptr);
    ~TDbfTab() override;

    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string v) { fileName_ = std::move(v); }
    // Opens the file for reading only; the table then cannot be modified.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    // CreateTable replaces an existing file without asking when true.
    bool ReCreate() const { return reCreate_; }
    void SetReCreate(bool v) { reCreate_ = v; }
    // Appended records are written in blocks rather than one by one (for a
    // file that nobody reads until Close).
    bool BufferAppends() const { return bufferAppends_; }
    void SetBufferAppends(bool v) { bufferAppends_ = v; }
    // True: the file's text is in the code page its language-driver byte
    // names (see CodePageOfDriver), CP866 when it names none, and a new
    // table is written in CP866. False: the file's text is Windows-1251,
    // whatever its header says.
    bool OemAnsi() const { return oemAnsi_; }
    void SetOemAnsi(bool v) { oemAnsi_ = v; }
    // The code page of the open file's text; while closed, the one
    // CreateTable writes.
    const SingleByteCodePage& CodePage() const;
    // Values written since Open that held a character the code page lacks
    // (each such character was written as '?').
    int UnmappedValues() const { return unmappedValues_; }

    // The code page a header's language-driver byte (offset 29) names, of
    // those the table converts (437, 850, 866, 1251, 1252); nullptr for any
    // other byte, 0 included.
    static const SingleByteCodePage* CodePageOfDriver(unsigned char driver);
    // The code page of a file whose language-driver byte is `driver`, read
    // with OemAnsi set to `oemAnsi`.
    static const SingleByteCodePage& FileCodePage(unsigned char driver, bool oemAnsi);
    // The language-driver byte that marks a file written in code page
    // `number` (0 for a code page without one here).
    static unsigned char DriverOfCodePage(int number);
    // A non-empty filter switches Filtered on, an empty one switches it off.
    void SetFilterText(std::string value) override;

    // Asked before CreateTable replaces a file while ReCreate is false; true
    // means Yes. Without a handler the file is left alone.
    std::function<bool(const std::string& question)> OnConfirm;

    // Adds a field for CreateTable: `type` is one of 'C', 'D', 'N', 'L'. The
    // name is upper-cased, cut to 10 characters, given as the code page of
    // CreateTable will write it (so a character it lacks becomes '?') and
    // made unique with a digit suffix. Lengths count characters (one byte
    // each in the file); 'D' is always 8 long, 'L' 1.
    void AddField(std::string_view name, char type, int decimals, int length);
    // Writes a new, empty file FileName from the fields added; the table must
    // be closed. Open it afterwards to use it.
    void CreateTable();

    // The file's fields while open, or the fields added for CreateTable.
    int DbfFieldCount() const { return static_cast<int>(dbfFields_.size()); }
    const TDbfField& DbfField(int index) const { return dbfFields_.at(static_cast<size_t>(index)); }
    // Forgets the fields added; only while closed.
    void ClearDbfFields();

    void SetRecNo(int value) override;
    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
    bool GetFieldData(TField* field, void* buffer) override;

protected:
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
    int GetRecordSize() override { return recordSize_; }
    void SetFieldData(TField* field, const void* buffer) override;
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    bool IsCursorOpen() const override { return cursorOpen_; }
    void InternalFirst() override { current_ = -1; }
    void InternalLast() override { current_ = recordCount_; }
    void GetBookmarkData(TRecordBuffer buffer, void* data) override;
    void SetBookmarkData(TRecordBuffer buffer, const void* data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
    void InternalGotoBookmark(const void* bookmark) override;
    int GetRecNo() override;
    int GetRecordCount() override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    void InternalEdit() override;
    void InternalPost() override;
    void InternalCancel() override { hasOldRecord_ = false; }
    void InternalDelete() override;
    void InternalAddRecord(TRecordBuffer buffer, bool append) override;
    bool GetCanModify() override { return !readOnly_ && writable_; }
    // Character fields compare as text, only the last key field by prefix
    // under loPartialKey; numbers, dates and logicals compare as values.
    bool KeyMatches(TField* field, const Variant& key, TLocateOptions options, bool lastKey) override;

private:
    // Bytes after the record image: the 4-byte bookmark (record index) and
    // the flag byte, padded to 8.
    static constexpr int TrailerSize = 8;
    static constexpr int HeaderSize = 32;
    static constexpr int DescriptorSize = 32;
    // Largest read-ahead window; a record longer than that is read alone.
    static constexpr int ReadAheadBytes = 64 * 1024;
    // Appended records are written once they fill this many bytes.
    static constexpr int AppendBlockBytes = 64 * 1024;

    // Raises EDBFError naming the file.
    [[noreturn]] void Fail(std::string_view what) const;
    void CheckHeader(int64_t fileSize);
    void ReadDescriptors(int64_t fileSize);
    void ReadAt(int64_t offset, char* data, int size, std::string_view what);
    void WriteAt(int64_t offset, const char* data, int size);
    void ReadRecord(int index, char* buffer);
    void WriteRecord(int index, const char* buffer);
    void WriteHeader();
    // Writes the appended records held in memory. On failure they are
    // dropped from the table, which then ends where the file's records do.
    void FlushAppended();
    // Records before this index are in the file; the rest are in appended_.
    int RecordsOnDisk() const { return appendedCount_ > 0 ? appendedFirst_ : recordCount_; }
    void StoreNewRecord(TRecordBuffer buffer);
    void CloseFile();

    // Field bytes to the native value of TFieldType.h; false for NULL.
    // `out` may be nullptr (only the null test) and holds at least
    // `outSize` bytes.
    bool DecodeField(const char* record, int index, void* out, int outSize);
    void EncodeField(char* record, int index, const void* value, int valueSize);
    // The 1-based record number shown in messages about `record`.
    int RecordNumberOf(const char* record) const;
    bool FilterAccepts(TRecordBuffer buffer);

    std::string fileName_;
    const SingleByteCodePage* codePage_ = nullptr;  // while open
    int unmappedValues_ = 0;
    bool readOnly_ = false;
    bool reCreate_ = true;
    bool oemAnsi_ = true;
    bool bufferAppends_ = false;

    int fd_ = -1;
    bool writable_ = false;
    bool cursorOpen_ = false;
    std::array<unsigned char, HeaderSize> header_{};
    std::vector<TDbfField> dbfFields_;
    int recordSize_ = 1;
    int64_t firstRecord_ = 0;
    int recordCount_ = 0;
    int current_ = -1;
    std::vector<char> oldRecord_;  // the record as Edit found it
    bool hasOldRecord_ = false;

    std::vector<char> window_;  // read-ahead: records [windowFirst_, windowFirst_ + windowCount_)
    int windowFirst_ = 0;
    int windowCount_ = 0;

    std::vector<char> appended_;  // records [appendedFirst_, recordCount_), not yet written
    int appendedFirst_ = 0;
    int appendedCount_ = 0;

    TCalc calc_;
};
