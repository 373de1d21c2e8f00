#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dataset/TDataSet.h"
#include "dataset/TParams.h"
#include "sqlite/ISQLite3Query.h"
#include "sqlite/TQorFResult.h"

class TQorSQLite3DB;
class TDataSource;
struct sqlite3_stmt;

// A statement's rows as a data set: compiled on open, every row stepped into
// a fixed record layout with a null marker per kind and kept in a
// TQorFResult (or, unidirectional, fetched one at a time while moving
// forward).
//
// A text slot refers to its bytes (TQorTextRef), so a record costs the same
// whatever size a column declares, and a text takes the room it needs; the
// declared size only ends a longer value (cut at that many characters). The
// bytes belong to the result's rows, or, for rows of a unidirectional query
// and for texts and blobs written into a record, to the query, which keeps
// them while any record buffer (or the old record) refers to them.
class TQorSQLite3BaseQuery : public TDataSet, public ISQLite3Query {
public:
    explicit TQorSQLite3BaseQuery(TComponent* owner = nullptr);
    ~TQorSQLite3BaseQuery() override;

    TQorSQLite3DB* Connection() const { return connection_; }
    void SetConnection(TQorSQLite3DB* db);
    bool AutoCommit() const { return autoCommit_; }
    void SetAutoCommit(bool v) { autoCommit_ = v; }
    const std::string& TransactionType() const { return transactionType_; }
    void SetTransactionType(std::string v) { transactionType_ = std::move(v); }
    bool SQLiteDateFormat() const { return sqliteDateFormat_; }
    void SetSQLiteDateFormat(bool v) { sqliteDateFormat_ = v; }
    const std::string& TableDateFormat() const { return tableDateFormat_; }
    void SetTableDateFormat(std::string v) { tableDateFormat_ = std::move(v); }
    int MaxResults() const { return maxResults_; }
    void SetMaxResults(int v) { maxResults_ = v; }
    int StartResult() const { return startResult_; }
    void SetStartResult(int v) { startResult_ = v; }
    bool TypeLess() const { return typeLess_; }
    void SetTypeLess(bool v) { typeLess_ = v; }
    bool SQLCursor() const { return sqlCursor_; }
    void SetSQLCursor(bool v) { sqlCursor_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool UniDirectional() const { return uniDirectional_; }
    void SetUniDirectional(bool v) { uniDirectional_ = v; }
    TDataSource* MasterSource() const { return masterSource_; }
    void SetMasterSource(TDataSource* source);
    const std::string& MasterFields() const { return masterFields_; }
    void SetMasterFields(std::string v) { masterFields_ = std::move(v); }
    const std::string& SQLWhere() const { return sqlWhere_; }
    void SetSQLWhere(std::string v) { sqlWhere_ = std::move(v); }
    const std::string& SQLTable() const { return sqlTable_; }
    void SetSQLTable(std::string v) { sqlTable_ = std::move(v); }

    TParams& Params() { return params_; }
    // The statement text the last open compiled.
    const std::string& StatementText() const { return statement_; }
    // The rows of the open query (nullptr when closed).
    TQorFResult* Result() const { return result_.get(); }

    // Opens inside a transaction when AutoCommit is set.
    void ExecQuery();
    // Refreshes this detail query from its master's current record.
    virtual void MasterChanged() {}

    bool GetFieldData(TField* field, void* buffer) override;
    bool GetFieldText(TField* field, std::string& text) override;
    std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;
    void SetRecNo(int value) override;
    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
    void CloseOnDisconnect() override { Close(); }

    // Where a field lives in a record: offset and size of its slot.
    struct Slot {
        TFieldType kind = ftString;
        int offset = 0;
        int size = 0;       // bytes of the slot
        int textSize = 0;   // string fields: the declared size, in characters
        std::string column; // the column's name as the engine gave it
    };

protected:
    // The statement text to compile: the descendant assembles it.
    void SetStatement(std::string text) { statement_ = std::move(text); }
    bool ExecFlag() const { return execFlag_; }
    void SetExecFlag(bool v) { execFlag_ = v; }

    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
    int GetRecordSize() override { return dataSize_; }
    void SetFieldData(TField* field, const void* buffer) override;
    void SetFieldText(TField* field, std::string_view text) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return result_ != nullptr; }
    void InternalFirst() override { current_ = -1; }
    void InternalLast() override;
    void GetBookmarkData(TRecordBuffer buffer, void* data) override;
    void SetBookmarkData(TRecordBuffer buffer, const void* data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
    void InternalGotoBookmark(const void* bookmark) override;
    int GetRecNo() override;
    int GetRecordCount() override { return result_ ? result_->Count() : 0; }
    bool GetRecordAt(int recNo, TRecordBuffer buffer) override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    void InternalEdit() override;
    // The row the framework posts goes into the result (after the database
    // took it, in the descendant): a new one at the current index, or at
    // the end for an append; an edited one over the row at the index.
    void InternalPost() override;
    // Takes the row at the current index out of the result.
    void InternalDelete() override;
    void InternalAddRecord(TRecordBuffer buffer, bool append) override;
    // Edit and Insert are always allowed; with ReadOnly, posting, deleting
    // and adding refuse with their own messages.
    void Notification(TComponent* component, TOperation operation) override;

    const std::vector<Slot>& Slots() const { return slots_; }
    // The record as it was when editing began (empty before the first edit).
    const std::vector<char>& OldRecord() const { return oldRecord_; }
    int CurrentIndex() const { return current_; }
    void SetCurrentIndex(int v) { current_ = v; }
    int DataSize() const { return dataSize_; }
    // Steps the live statement into the staging buffer; false when done.
    // Buffered, the staged texts refer to the engine's row until the next
    // step; unidirectional, to bytes the query keeps.
    bool FetchRow();
    const char* Staging() const { return staging_.data(); }
    sqlite3_stmt* Statement() const { return stmt_; }
    const std::vector<TQorSQLite3BaseQuery*>& Details() const { return details_; }

private:
    friend class TQorQLite3BlobStream;
    void Compile();
    void DefineFields();
    void FetchAll();
    void FinalizeQuery();
    void CheckMaster();
    void WriteBlank(char* slot, const Slot& s) const;
    // The stream of a blob field in the active record. For writing, a
    // missing stream is made, and an edited record's stream still shared
    // with its row is replaced by one of its own.
    TMemoryStream* BlobOf(TField* field, bool forWriting);
    // Writes a text into a string slot as a copy the query keeps.
    void StoreText(char* slot, const Slot& s, std::string_view text);
    // The same for a text in the program's encoding.
    void StoreFieldText(char* slot, const Slot& s, std::string_view text);
    char* SlotOf(TRecordBuffer record, const TField* field) const;
    // The field's slot in the record field access works on (the old record
    // in dsOldValue); nullptr when there is none.
    const char* FieldSlot(TField* field) const;
    // Bytes kept by the query (rows of a unidirectional query, texts and
    // blobs written into records): after a while, those no record buffer,
    // old record or the staging buffer refers to any more are freed.
    struct Kept {
        std::string text;
        std::vector<std::unique_ptr<TMemoryStream>> blobs;
    };
    Kept& Keep();
    void ReleaseUnreferenced();
    [[noreturn]] void RaiseStepError();

    TQorSQLite3DB* connection_ = nullptr;
    bool autoCommit_ = false;
    std::string transactionType_;
    bool sqliteDateFormat_ = true;
    std::string tableDateFormat_;
    int maxResults_ = 0;
    int startResult_ = 0;
    bool typeLess_ = false;
    bool sqlCursor_ = true;
    bool readOnly_ = false;
    bool uniDirectional_ = false;
    TDataSource* masterSource_ = nullptr;
    std::string masterFields_;
    std::string sqlWhere_;
    std::string sqlTable_;
    bool execFlag_ = false;

    TParams params_;
    std::string statement_;
    sqlite3_stmt* stmt_ = nullptr;
    std::unique_ptr<TQorFResult> result_;
    std::vector<Slot> slots_;
    std::vector<char> staging_;
    int current_ = -1;
    int dataSize_ = 0;
    std::vector<TQorSQLite3BaseQuery*> details_;
    TQorSQLite3BaseQuery* master_ = nullptr;  // the query this one registered with
    std::vector<char> oldRecord_;
    std::vector<TRecordBuffer> buffers_;  // the record buffers handed out
    std::vector<std::unique_ptr<Kept>> kept_;
    std::vector<std::unique_ptr<Kept>> spare_;  // released, for reuse
    std::vector<const void*> refs_;             // scratch of ReleaseUnreferenced
    size_t releaseAt_ = 0;  // kept_ size that triggers the next release
    std::vector<std::pair<size_t, size_t>> rowTexts_;  // scratch of FetchRow
};
