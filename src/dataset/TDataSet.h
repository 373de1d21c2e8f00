#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TComponent.h"
#include "TFieldDef.h"
#include "TFields.h"
#include "TStream.h"
#include "base/Exception.h"
#include "base/Variant.h"

class TDataSource;

enum TDataSetState : int {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };
enum TDataAction { daFail, daAbort, daRetry };

enum class TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
};

enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

// A record buffer belongs to the descendant that allocated it; the framework
// only passes it around.
using TRecordBuffer = char*;
// Bookmark bytes as the descendant wrote them; empty means "no bookmark".
using TBookmark = std::vector<char>;

// Raised by an error handler that answers daAbort: a silent stop.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// The data-set framework: states, navigation, editing, events and field
// objects over a record-buffer protocol that each descendant implements.
//
// The framework keeps only the active record plus two spare buffers (one a
// move fetches into, one that holds the record left by Insert), so a data set
// of any size walks without allocating. The descendant owns a cursor; the
// framework remembers whether that cursor still sits on the active record
// (Locate, Lookup and failed moves leave it elsewhere) and puts it back with
// InternalSetToRecord before anything that depends on it: relative moves,
// GetRecNo (through UpdateCursorPos), Edit, Post, Delete, Cancel, Refresh.
//
// A descendant's destructor must call Close(): the base destructor cannot
// reach the descendant's overrides any more.
//
// Writing a descendant:
// - InternalOpen fills FieldDefs, calls CreateFields() when DefaultFields(),
//   BindFields(true) and SetBookmarkSize(n). If it throws, InternalClose is
//   still called, so that must cope with a half-opened cursor.
// - Record buffers hold the record image, the bookmark and the bookmark flag;
//   the framework never looks inside them.
// - GetRecord moves the cursor first (gmNext from "before the first", gmPrior
//   from "after the last"), fills the buffer, stores bookmark and flag
//   (bfCurrent), calls GetCalcFields and, for gmNext/gmPrior, skips records
//   FilterRecord rejects. A rejected record in gmCurrent answers grError:
//   looking again cannot help.
// - GetFieldData/SetFieldData work on ActiveRecordBuffer() (a nullptr record
//   means no value) with the native values of TFieldType.h. GetFieldData
//   with a nullptr buffer is the null test (TField::IsNull). SetFieldData
//   with nullptr stores NULL. The framework checks state and read-only flags
//   before SetFieldData and sends the change notice after it. String fields
//   read and write their text through GetFieldText/SetFieldText, which by
//   default go through those two with a buffer of the field's DataSize().
// - dsOldValue: answer from the record as it was when InternalEdit ran.
// - GetRecNo calls UpdateCursorPos() before reading the cursor. SetRecNo
//   (public, virtual) checks its range, then CheckBrowseMode(),
//   DoBeforeScroll(), moves the cursor, Resync(), DoAfterScroll().
// - InternalPost stores a new record at the cursor, or at the end when the
//   active record's flag is bfEOF (Append moved the cursor past the last
//   record with InternalLast first), and leaves the cursor on it; Resync
//   then reads it back with gmCurrent. InternalDelete leaves the cursor on
//   the record that followed (or the new last one).
// - Blob kinds live behind CreateBlobStream; a write stream hands its bytes
//   back when destroyed. TBlobField::Clear writes an empty stream instead of
//   calling SetFieldData(nullptr), so a slot keeps a valid stream.
class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* owner = nullptr);
    ~TDataSet() override;

    // Opening and closing.
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    bool Active() const { return state_ != dsInactive; }
    virtual void SetActive(bool value);
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }

    // Navigation. Eof/Bof are the classic EOF/BOF (those names are macros).
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to `distance` records; returns how far it got (negative
    // backwards).
    int MoveBy(int distance);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return !hasRecord_; }
    int RecNo() { return GetRecNo(); }
    virtual void SetRecNo(int value);
    int RecordCount() { return GetRecordCount(); }
    // Reads the record at position recNo (1-based, as RecNo counts) without
    // moving: while visit runs, the fields read that record; the active
    // record, the cursor and the state stay as they were, and no data
    // source hears of it (a grid shows any row this way). False, and visit
    // not called, when there is no such record or the data set cannot read
    // by position.
    bool ReadRecordAt(int recNo, const std::function<void()>& visit);

    // Bookmarks.
    TBookmark GetBookmark();
    void GotoBookmark(const TBookmark& bookmark);
    virtual bool BookmarkValid(const TBookmark& bookmark);
    // -1, 0 or 1; an empty bookmark sorts first.
    virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b);

    // Editing.
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Whole records at once: values by field position, Empty leaves a field
    // as initialised, Null clears it.
    void InsertRecord(const std::vector<Variant>& values) { AddRecord(values, false); }
    void AppendRecord(const std::vector<Variant>& values) { AddRecord(values, true); }
    // Posts a modified record, cancels an unmodified one.
    void CheckBrowseMode();
    // Asks linked controls to write pending edits into the fields.
    void UpdateRecord();
    void Refresh();
    bool CanModify() { return GetCanModify(); }

    // Notifications to data sources; nested.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // Searching. keyFields are names separated by ';', one value per name.
    // Locate moves to the first matching record and answers true, or stays
    // where it was and answers false.
    bool Locate(std::string_view keyFields, const Variant& keyValue, TLocateOptions options);
    virtual bool Locate(std::string_view keyFields, const std::vector<Variant>& keyValues,
                        TLocateOptions options);
    // The result field's value in the first matching record, Null when none
    // matches; the position does not change.
    Variant Lookup(std::string_view keyFields, const Variant& keyValue,
                   std::string_view resultField);
    // One value per name of resultFields (';'-separated); false when no
    // record matches.
    virtual bool Lookup(std::string_view keyFields, const std::vector<Variant>& keyValues,
                        std::string_view resultFields, std::vector<Variant>& results);

    // Record filtering. Descendants interpret Filter; OnFilterRecord is
    // consulted by the descendant's GetRecord through FilterRecord.
    const std::string& Filter() const { return filter_; }
    virtual void SetFilterText(std::string value);
    bool Filtered() const { return filtered_; }
    virtual void SetFiltered(bool value);

    // Fields.
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    TFields& Fields() { return fields_; }
    int FieldCount() const { return fields_.Count(); }
    TField* FieldByName(std::string_view name) const { return fields_.FieldByName(name); }
    TField* FindField(std::string_view name) const { return fields_.FindField(name); }
    // For blob kinds. May answer nullptr when the data set keeps no blobs.
    virtual std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);

    // Called by fields: the native value of a field in the active record
    // (nullptr buffer: only whether there is one), and the write with its
    // state and read-only checks and the change notice.
    virtual bool GetFieldData(TField* field, void* buffer) = 0;
    // The text of a string field in the active record; false (and empty
    // text) for NULL. Here it is read through GetFieldData into the field's
    // own buffer of DataSize() bytes; a data set whose texts may be far
    // shorter than their declared size answers without that buffer.
    virtual bool GetFieldText(TField* field, std::string& text);
    void WriteFieldData(TField* field, const void* buffer);
    // The same for the text of a string field (cut to its size already).
    void WriteFieldText(TField* field, std::string_view text);

    // Tells the data sources; deFieldChange also marks the record modified.
    // `info` is the distance for deDataSetScroll.
    void DataEvent(TDataEvent event, TField* field = nullptr, int info = 0);

    const std::vector<TDataSource*>& DataSources() const { return dataSources_; }

    using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    std::function<void(TDataSet&, bool& accept)> OnFilterRecord;
    using TDataSetErrorEvent = std::function<void(TDataSet&, EDatabaseError&, TDataAction&)>;
    TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;

protected:
    // ---- The record-buffer protocol: what a descendant implements. ----
    virtual TRecordBuffer AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(TRecordBuffer& buffer) = 0;
    // Fills `buffer` with the current, next or prior record and moves the
    // cursor there. grBOF/grEOF leave the cursor where it can step back from;
    // doCheck asks to raise instead of answering grError. A filtering
    // descendant skips rejected records (FilterRecord) in the same direction
    // and ends with grEOF/grBOF when none is left.
    virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) = 0;
    virtual int GetRecordSize() { return 0; }
    virtual void SetFieldData(TField* field, const void* buffer) = 0;
    // Stores the text of a string field; here through SetFieldData with the
    // field's own buffer of DataSize() bytes.
    virtual void SetFieldText(TField* field, std::string_view text);
    // Opens the cursor; calls InternalInitFieldDefs, CreateFields when
    // DefaultFields(), and BindFields(true).
    virtual void InternalOpen() = 0;
    // Closes the cursor; calls BindFields(false) and, when DefaultFields(),
    // DestroyFields() (the framework does both anyway when left out).
    virtual void InternalClose() = 0;
    virtual void InternalInitFieldDefs() {}
    virtual bool IsCursorOpen() const = 0;
    // Before the first record / after the last one.
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void GetBookmarkData(TRecordBuffer buffer, void* data);
    virtual void SetBookmarkData(TRecordBuffer buffer, const void* data);
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer);
    virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag);
    virtual void InternalGotoBookmark(const void* bookmark);
    // Puts the cursor on the record in `buffer`; by default goes to the
    // bookmark stored in it.
    virtual void InternalSetToRecord(TRecordBuffer buffer);
    virtual int GetRecNo() { return -1; }
    virtual int GetRecordCount() { return -1; }
    // Fills buffer with the record at recNo (1-based) without moving the
    // cursor; false when there is none there or the data set cannot tell.
    virtual bool GetRecordAt(int /*recNo*/, TRecordBuffer /*buffer*/) { return false; }
    // Blank values into a fresh record (Insert, Append).
    virtual void InternalInitRecord(TRecordBuffer buffer);
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    // Stores the active record: a new one in dsInsert (at the cursor, or at
    // the end when its bookmark flag is bfEOF), the current one in dsEdit.
    virtual void InternalPost() {}
    virtual void InternalCancel() {}
    virtual void InternalDelete() {}
    // Stores `buffer` as a new record (InsertRecord/AppendRecord).
    virtual void InternalAddRecord(TRecordBuffer buffer, bool append);
    virtual void InternalRefresh() {}
    // An exception left an operation that cannot pass it on.
    virtual void InternalHandleException() {}
    virtual bool GetCanModify() { return true; }

    // Whether `field` of the record being searched matches `key`; `lastKey`
    // marks the last key field of the search. Here every field compares as
    // text under loCaseInsensitive or loPartialKey (a partial key matching
    // a prefix of any key field), text fields always; other fields compare
    // as values. A Null key matches a NULL field.
    virtual bool KeyMatches(TField* field, const Variant& key, TLocateOptions options, bool lastKey);

    // ---- Services for descendants. ----
    // The record field access works on, by state: browse: the active record
    // (nullptr when empty); edit, insert, new-value, old-value: the active
    // record; calc-fields and filter: the record being computed or tested;
    // inactive: nullptr.
    TRecordBuffer ActiveRecordBuffer() const;
    // OnFilterRecord's verdict on `buffer` (true when not Filtered or no
    // handler), with the data set in dsFilter meanwhile.
    bool FilterRecord(TRecordBuffer buffer);
    // Runs OnCalcFields for `buffer` in dsCalcFields.
    void GetCalcFields(TRecordBuffer buffer);
    void InitRecord(TRecordBuffer buffer);
    // Bookmark size in bytes (set in InternalOpen).
    int BookmarkSize() const { return bookmarkSize_; }
    void SetBookmarkSize(int size);
    // Makes sure the cursor sits on the active record.
    void UpdateCursorPos();
    // Declares that the cursor may have left the active record.
    void CursorPosChanged() { cursorOnActive_ = false; }
    // Re-reads the active record at the cursor (or the next, or the prior).
    void Resync();
    void DoBeforeScroll();
    void DoAfterScroll();
    TDataSetState SetTempState(TDataSetState state);
    void RestoreState(TDataSetState state) { state_ = state; }
    void CheckActive() const;
    void CheckInactive() const;
    // Fields made from FieldDefs are destroyed when the data set closes.
    bool DefaultFields() const { return defaultFields_; }
    void CreateFields();
    // Attaches fields to their definitions (FieldNo, type check).
    void BindFields(bool binding);
    void DestroyFields();

private:
    friend class TDataSource;
    friend class TField;
    void SetState(TDataSetState state);
    // Raises unless a value of `field` may be written now.
    void CheckFieldWrite(const TField* field) const;
    // The checks, the store and the change notice of a field write.
    template <class Store>
    void WriteField(TField* field, Store store);
    void OpenCursor();
    void CloseCursor();
    void FreeBuffers();
    // Fetches into the spare buffer and, on grOK, makes it the active one.
    TGetResult Fetch(TGetMode mode, bool doCheck);
    void CheckCanModify();
    void CheckRequiredFields();
    void FreeFieldBuffers();
    void BeginInsertAppend();
    // Insert (at the cursor) or Append (at the end) of a fresh record.
    void StartNewRecord(bool append);
    void RestoreAfterInsert();
    void AddRecord(const std::vector<Variant>& values, bool append);
    void RunGuarded(const std::function<void()>& op, const TDataSetErrorEvent& onError);
    // Resolves "A;B" to fields, raising for an unknown name.
    std::vector<TField*> FieldList(std::string_view names) const;
    // Walks the records from the first with the active record untouched; the
    // matching one ends up in the spare buffer, and the result fields (when
    // given) are read from it.
    bool FindRecord(const std::vector<TField*>& keys, const std::vector<Variant>& values,
                    TLocateOptions options, const std::vector<TField*>* resultFields,
                    std::vector<Variant>* results);
    void Notify(TDataEvent event, TField* field, int info);
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);
    static void Fire(const TDataSetNotifyEvent& e, TDataSet& ds) {
        if (e) e(ds);
    }

    TDataSetState state_ = dsInactive;
    TFieldDefs fieldDefs_;
    TFields fields_;
    std::vector<TDataSource*> dataSources_;

    TRecordBuffer activeBuf_ = nullptr;
    TRecordBuffer spareBuf_ = nullptr;
    TRecordBuffer savedBuf_ = nullptr;  // the record Insert left
    TRecordBuffer filterBuf_ = nullptr;
    TRecordBuffer peekBuf_ = nullptr;  // ReadRecordAt's, made on first use
    TRecordBuffer calcBuf_ = nullptr;
    bool hasRecord_ = false;
    bool savedHasRecord_ = false;
    bool savedBof_ = false;
    bool savedEof_ = false;
    bool cursorOnActive_ = false;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    bool defaultFields_ = false;
    bool fieldChangeNotified_ = false;
    int bookmarkSize_ = 0;
    std::vector<char> bookmarkScratch_;

    std::string filter_;
    bool filtered_ = false;

    int disableCount_ = 0;
    bool pendingChange_ = false;
    TDataSetState disableState_ = dsInactive;
};
