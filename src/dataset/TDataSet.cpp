#include "TDataSet.h"

#include <algorithm>
#include <cstring>

#include "TDataSource.h"
#include "base/AnsiString.h"

namespace {

bool IsEditing(TDataSetState s) { return s == dsEdit || s == dsInsert; }

// Restores a temporary state and record on every way out.
class TempStateGuard {
public:
    TempStateGuard(TDataSetState& state, TRecordBuffer& slot, TDataSetState temp, TRecordBuffer buf)
        : state_(state), slot_(slot), oldState_(state), oldBuf_(slot) {
        state_ = temp;
        slot_ = buf;
    }
    ~TempStateGuard() {
        state_ = oldState_;
        slot_ = oldBuf_;
    }

private:
    TDataSetState& state_;
    TRecordBuffer& slot_;
    TDataSetState oldState_;
    TRecordBuffer oldBuf_;
};

}  // namespace

TDataSet::TDataSet(TComponent* owner) : TComponent(owner), fields_(this) {}

TDataSet::~TDataSet() {
    // Close() belongs in the descendant's destructor; here the overrides are
    // gone, so only the links to data sources are cut.
    while (!dataSources_.empty()) dataSources_.back()->SetDataSet(nullptr);
}

// ---- Opening and closing ----

void TDataSet::SetActive(bool value) {
    if (value == Active()) return;
    if (value) {
        Fire(BeforeOpen, *this);
        OpenCursor();
        SetState(dsBrowse);
        InternalFirst();
        if (Fetch(gmNext, true) != grOK) hasRecord_ = false;
        bof_ = true;
        eof_ = !hasRecord_;
        Notify(TDataEvent::deDataSetChange, nullptr, 0);
        Fire(AfterOpen, *this);
        if (hasRecord_) DoAfterScroll();
    } else {
        Fire(BeforeClose, *this);
        SetState(dsInactive);
        CloseCursor();
        Fire(AfterClose, *this);
    }
}

void TDataSet::OpenCursor() {
    defaultFields_ = fields_.Count() == 0;
    try {
        InternalOpen();
        if (defaultFields_ && fields_.Count() == 0) CreateFields();
        BindFields(true);
        activeBuf_ = AllocRecordBuffer();
        spareBuf_ = AllocRecordBuffer();
        savedBuf_ = AllocRecordBuffer();
        bookmarkScratch_.assign(static_cast<size_t>(std::max(bookmarkSize_, 1)), 0);
    } catch (...) {
        FreeBuffers();
        try {
            InternalClose();
        } catch (...) {
        }
        if (defaultFields_) DestroyFields();
        state_ = dsInactive;
        throw;
    }
    hasRecord_ = false;
    cursorOnActive_ = false;
    modified_ = false;
}

void TDataSet::CloseCursor() {
    FreeBuffers();
    hasRecord_ = false;
    cursorOnActive_ = false;
    bof_ = eof_ = true;
    modified_ = false;
    InternalClose();
    BindFields(false);
    if (defaultFields_) DestroyFields();
}

void TDataSet::FreeBuffers() {
    for (TRecordBuffer* b : {&activeBuf_, &spareBuf_, &savedBuf_, &peekBuf_})
        if (*b) {
            FreeRecordBuffer(*b);
            *b = nullptr;
        }
}

void TDataSet::SetState(TDataSetState state) {
    if (state_ == state) return;
    state_ = state;
    Notify(TDataEvent::deUpdateState, nullptr, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState state) {
    TDataSetState old = state_;
    state_ = state;
    return old;
}

void TDataSet::CheckActive() const {
    if (state_ == dsInactive) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const {
    if (state_ != dsInactive) throw EDatabaseError("Cannot perform this operation on an open dataset");
}

// ---- Fields ----

void TDataSet::CreateFields() {
    for (int i = 0; i < fieldDefs_.Count(); ++i) fieldDefs_[i].CreateField(*this);
}

void TDataSet::BindFields(bool binding) {
    for (const auto& f : fields_) {
        if (f->FieldKind() != TFieldKind::fkData) continue;
        if (!binding) continue;
        const TFieldDef* def = fieldDefs_.Find(f->FieldName());
        if (!def) throw EDatabaseError("Field '" + f->DisplayName() + "' not found");
        bool compatible = def->DataType() == f->DataType() ||
                          (IsStringType(def->DataType()) && IsStringType(f->DataType())) ||
                          (def->DataType() == ftFmtMemo && f->DataType() == ftMemo);
        if (!compatible)
            throw EDatabaseError(std::string("Type mismatch for field '") + f->DisplayName() +
                                 "', expecting: " + FieldTypeName(f->DataType()) +
                                 " actual: " + FieldTypeName(def->DataType()));
        f->SetFieldNo(def->FieldNo());
    }
}

void TDataSet::DestroyFields() { fields_.Clear(); }

std::vector<TField*> TDataSet::FieldList(std::string_view names) const {
    std::vector<TField*> out;
    size_t start = 0;
    while (start <= names.size()) {
        size_t semi = names.find(';', start);
        std::string name = Trim(names.substr(start, semi == std::string_view::npos ? names.npos : semi - start));
        if (!name.empty()) out.push_back(fields_.FieldByName(name));
        if (semi == std::string_view::npos) break;
        start = semi + 1;
    }
    return out;
}

void TDataSet::CheckFieldWrite(const TField* field) const {
    if (state_ != dsEdit && state_ != dsInsert && state_ != dsCalcFields && state_ != dsFilter &&
        state_ != dsNewValue)
        throw EDatabaseError("Dataset not in edit or insert mode");
    if (field->ReadOnly() && state_ != dsFilter)
        throw EDatabaseError("Field '" + field->DisplayName() + "' cannot be modified");
}

template <class Store>
void TDataSet::WriteField(TField* field, Store store) {
    CheckFieldWrite(field);
    fieldChangeNotified_ = false;
    store();
    if (!fieldChangeNotified_ && state_ != dsCalcFields && state_ != dsFilter && state_ != dsNewValue)
        DataEvent(TDataEvent::deFieldChange, field);
    if (field->OnChange) field->OnChange(*field);
}

void TDataSet::WriteFieldData(TField* field, const void* buffer) {
    WriteField(field, [&] { SetFieldData(field, buffer); });
}

void TDataSet::WriteFieldText(TField* field, std::string_view text) {
    WriteField(field, [&] { SetFieldText(field, text); });
}

void TDataSet::SetFieldText(TField* field, std::string_view text) {
    char* b = field->ValueBuffer();
    const size_t n = std::min(text.size(), static_cast<size_t>(std::max(field->DataSize(), 1) - 1));
    std::memcpy(b, text.data(), n);
    b[n] = '\0';
    SetFieldData(field, b);
}

bool TDataSet::GetFieldText(TField* field, std::string& text) {
    char* b = field->ValueBuffer();
    if (!GetFieldData(field, b)) {
        text.clear();
        return false;
    }
    text.assign(b, strnlen(b, static_cast<size_t>(std::max(field->DataSize(), 0))));
    return true;
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField*, TBlobStreamMode) { return nullptr; }

TRecordBuffer TDataSet::ActiveRecordBuffer() const {
    switch (state_) {
        case dsBrowse: return hasRecord_ ? activeBuf_ : nullptr;
        case dsEdit:
        case dsInsert:
        case dsNewValue:
        case dsOldValue: return activeBuf_;
        case dsCalcFields: return calcBuf_;
        case dsFilter: return filterBuf_;
        default: return nullptr;
    }
}

// ---- Protocol defaults ----

void TDataSet::GetBookmarkData(TRecordBuffer, void*) {}
void TDataSet::SetBookmarkData(TRecordBuffer, const void*) {}
TBookmarkFlag TDataSet::GetBookmarkFlag(TRecordBuffer) { return bfCurrent; }
void TDataSet::SetBookmarkFlag(TRecordBuffer, TBookmarkFlag) {}
void TDataSet::InternalGotoBookmark(const void*) {}
void TDataSet::InternalInitRecord(TRecordBuffer) {}
void TDataSet::InternalAddRecord(TRecordBuffer, bool) { InternalPost(); }

void TDataSet::InternalSetToRecord(TRecordBuffer buffer) {
    if (bookmarkSize_ <= 0) return;
    GetBookmarkData(buffer, bookmarkScratch_.data());
    InternalGotoBookmark(bookmarkScratch_.data());
}

void TDataSet::SetBookmarkSize(int size) {
    bookmarkSize_ = size;
    bookmarkScratch_.assign(static_cast<size_t>(std::max(size, 1)), 0);
}

bool TDataSet::FilterRecord(TRecordBuffer buffer) {
    if (!filtered_ || !OnFilterRecord) return true;
    TempStateGuard guard(state_, filterBuf_, dsFilter, buffer);
    bool accept = true;
    OnFilterRecord(*this, accept);
    return accept;
}

void TDataSet::GetCalcFields(TRecordBuffer buffer) {
    if (!OnCalcFields) return;
    TempStateGuard guard(state_, calcBuf_, dsCalcFields, buffer);
    OnCalcFields(*this);
}

void TDataSet::InitRecord(TRecordBuffer buffer) {
    InternalInitRecord(buffer);
    SetBookmarkFlag(buffer, bfInserted);
}

// ---- Cursor ----

TGetResult TDataSet::Fetch(TGetMode mode, bool doCheck) {
    TGetResult r = GetRecord(spareBuf_, mode, doCheck);
    if (r == grOK) {
        std::swap(activeBuf_, spareBuf_);
        hasRecord_ = true;
        cursorOnActive_ = true;
    } else {
        cursorOnActive_ = false;
    }
    return r;
}

void TDataSet::UpdateCursorPos() {
    if (!cursorOnActive_ && hasRecord_ && activeBuf_) InternalSetToRecord(activeBuf_);
    cursorOnActive_ = true;
}

void TDataSet::Resync() {
    TGetResult r = GetRecord(spareBuf_, gmCurrent, false);
    if (r != grOK) r = GetRecord(spareBuf_, gmNext, false);
    if (r != grOK) r = GetRecord(spareBuf_, gmPrior, false);
    if (r == grOK) {
        std::swap(activeBuf_, spareBuf_);
        hasRecord_ = true;
        cursorOnActive_ = true;
        bof_ = eof_ = false;
    } else {
        hasRecord_ = false;
        cursorOnActive_ = false;
        bof_ = eof_ = true;
    }
    Notify(TDataEvent::deDataSetChange, nullptr, 0);
}

void TDataSet::DoBeforeScroll() { Fire(BeforeScroll, *this); }
void TDataSet::DoAfterScroll() { Fire(AfterScroll, *this); }

// ---- Navigation ----

void TDataSet::First() {
    CheckBrowseMode();
    DoBeforeScroll();
    InternalFirst();
    if (Fetch(gmNext, true) != grOK) hasRecord_ = false;
    bof_ = true;
    eof_ = !hasRecord_;
    Notify(TDataEvent::deDataSetChange, nullptr, 0);
    DoAfterScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    DoBeforeScroll();
    InternalLast();
    if (Fetch(gmPrior, true) != grOK) hasRecord_ = false;
    eof_ = true;
    bof_ = !hasRecord_;
    Notify(TDataEvent::deDataSetChange, nullptr, 0);
    DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int moved = 0;
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        DoBeforeScroll();
        bof_ = eof_ = false;
        while (distance > 0) {
            UpdateCursorPos();
            if (Fetch(gmNext, true) != grOK) {
                eof_ = true;
                break;
            }
            ++moved;
            --distance;
        }
        while (distance < 0) {
            UpdateCursorPos();
            if (Fetch(gmPrior, true) != grOK) {
                bof_ = true;
                break;
            }
            --moved;
            ++distance;
        }
        Notify(TDataEvent::deDataSetScroll, nullptr, moved);
        DoAfterScroll();
    }
    return moved;
}

void TDataSet::SetRecNo(int) {}

bool TDataSet::ReadRecordAt(int recNo, const std::function<void()>& visit) {
    if (state_ == dsInactive) return false;
    if (!peekBuf_) peekBuf_ = AllocRecordBuffer();
    if (!GetRecordAt(recNo, peekBuf_)) return false;
    // Field access reads the record a filter test reads.
    TempStateGuard guard(state_, filterBuf_, dsFilter, peekBuf_);
    visit();
    return true;
}

// ---- Bookmarks ----

TBookmark TDataSet::GetBookmark() {
    if (!hasRecord_ || bookmarkSize_ <= 0 || (state_ != dsBrowse && !IsEditing(state_)))
        return TBookmark();
    if (GetBookmarkFlag(activeBuf_) != bfCurrent) return TBookmark();
    TBookmark b(static_cast<size_t>(bookmarkSize_));
    GetBookmarkData(activeBuf_, b.data());
    return b;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    if (bookmark.empty()) return;
    CheckBrowseMode();
    DoBeforeScroll();
    cursorOnActive_ = false;
    InternalGotoBookmark(bookmark.data());
    if (GetRecord(spareBuf_, gmCurrent, true) != grOK) throw EDatabaseError("Record not found");
    std::swap(activeBuf_, spareBuf_);
    hasRecord_ = true;
    cursorOnActive_ = true;
    bof_ = eof_ = false;
    Notify(TDataEvent::deDataSetChange, nullptr, 0);
    DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
    if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : a.empty() ? -1 : 1;
    return a == b ? 0 : (a < b ? -1 : 1);
}

// ---- Editing ----

void TDataSet::CheckCanModify() {
    if (!GetCanModify()) throw EDatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::CheckRequiredFields() {
    for (const auto& f : fields_)
        if (f->Required() && !f->ReadOnly() && f->FieldKind() == TFieldKind::fkData && f->IsNull())
            throw EDatabaseError("Field '" + f->DisplayName() + "' must have a value");
}

void TDataSet::FreeFieldBuffers() {
    for (const auto& f : fields_) f->FreeBuffers();
}

void TDataSet::RunGuarded(const std::function<void()>& op, const TDataSetErrorEvent& onError) {
    for (;;) {
        try {
            op();
            return;
        } catch (EDatabaseError& e) {
            if (!onError) throw;
            TDataAction action = daFail;
            onError(*this, e, action);
            if (action == daFail) throw;
            if (action == daAbort) throw EAbort();
        }
    }
}

void TDataSet::Edit() {
    if (IsEditing(state_)) return;
    CheckActive();
    if (!hasRecord_) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeEdit, *this);
    UpdateCursorPos();
    RunGuarded([this] { InternalEdit(); }, OnEditError);
    modified_ = false;
    SetState(dsEdit);
    Notify(TDataEvent::deRecordChange, nullptr, 0);
    Fire(AfterEdit, *this);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeInsert, *this);
    DoBeforeScroll();
}

void TDataSet::RestoreAfterInsert() {
    std::swap(activeBuf_, savedBuf_);
    hasRecord_ = savedHasRecord_;
    bof_ = savedBof_;
    eof_ = savedEof_;
    cursorOnActive_ = false;
}

void TDataSet::Insert() { StartNewRecord(false); }

void TDataSet::Append() { StartNewRecord(true); }

void TDataSet::StartNewRecord(bool append) {
    BeginInsertAppend();
    if (!append) UpdateCursorPos();
    std::swap(activeBuf_, savedBuf_);
    savedHasRecord_ = hasRecord_, savedBof_ = bof_, savedEof_ = eof_;
    try {
        if (append) InternalLast();
        InternalInsert();
        InitRecord(activeBuf_);
        // An appended record goes to the end whatever the cursor says.
        if (append) SetBookmarkFlag(activeBuf_, bfEOF);
    } catch (...) {
        RestoreAfterInsert();
        throw;
    }
    hasRecord_ = true;
    cursorOnActive_ = true;
    bof_ = eof_ = false;
    modified_ = false;
    SetState(dsInsert);
    Fire(OnNewRecord, *this);
    modified_ = false;
    Notify(TDataEvent::deDataSetChange, nullptr, 0);
    Fire(AfterInsert, *this);
    DoAfterScroll();
}

void TDataSet::UpdateRecord() {
    if (!IsEditing(state_)) throw EDatabaseError("Dataset not in edit or insert mode");
    Notify(TDataEvent::deUpdateRecord, nullptr, 0);
}

void TDataSet::Post() {
    CheckActive();
    UpdateRecord();
    Notify(TDataEvent::deCheckBrowseMode, nullptr, 0);
    Fire(BeforePost, *this);
    CheckRequiredFields();
    UpdateCursorPos();
    RunGuarded([this] { InternalPost(); }, OnPostError);
    FreeFieldBuffers();
    modified_ = false;
    SetState(dsBrowse);
    Resync();
    Fire(AfterPost, *this);
}

void TDataSet::Cancel() {
    if (!IsEditing(state_)) return;
    Notify(TDataEvent::deCheckBrowseMode, nullptr, 0);
    Fire(BeforeCancel, *this);
    bool inserting = state_ == dsInsert;
    if (!inserting) {
        UpdateCursorPos();
        InternalCancel();
    }
    FreeFieldBuffers();
    modified_ = false;
    SetState(dsBrowse);
    if (inserting) {
        RestoreAfterInsert();
        Notify(TDataEvent::deDataSetChange, nullptr, 0);
    } else {
        Resync();
    }
    Fire(AfterCancel, *this);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (!hasRecord_) throw EDatabaseError("Cannot perform this operation on an empty dataset");
    CheckCanModify();
    Notify(TDataEvent::deCheckBrowseMode, nullptr, 0);
    Fire(BeforeDelete, *this);
    DoBeforeScroll();
    UpdateCursorPos();
    RunGuarded([this] { InternalDelete(); }, OnDeleteError);
    FreeFieldBuffers();
    modified_ = false;
    SetState(dsBrowse);
    Resync();
    Fire(AfterDelete, *this);
    DoAfterScroll();
}

void TDataSet::AddRecord(const std::vector<Variant>& values, bool append) {
    BeginInsertAppend();
    if (!append) UpdateCursorPos();
    DisableControls();
    std::swap(activeBuf_, savedBuf_);
    savedHasRecord_ = hasRecord_, savedBof_ = bof_, savedEof_ = eof_;
    try {
        if (append) InternalLast();
        InitRecord(activeBuf_);
        if (append) SetBookmarkFlag(activeBuf_, bfEOF);
        hasRecord_ = true;
        cursorOnActive_ = true;
        state_ = dsInsert;
        Fire(OnNewRecord, *this);
        Fire(AfterInsert, *this);
        for (size_t i = 0; i < values.size() && i < static_cast<size_t>(fields_.Count()); ++i)
            if (!values[i].IsEmpty()) fields_[static_cast<int>(i)]->SetValue(values[i]);
        Fire(BeforePost, *this);
        CheckRequiredFields();
        InternalAddRecord(activeBuf_, append);
    } catch (...) {
        FreeFieldBuffers();
        state_ = dsBrowse;
        modified_ = false;
        RestoreAfterInsert();
        EnableControls();
        throw;
    }
    FreeFieldBuffers();
    state_ = dsBrowse;
    modified_ = false;
    Resync();
    EnableControls();
    Fire(AfterPost, *this);
    DoAfterScroll();
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    Notify(TDataEvent::deCheckBrowseMode, nullptr, 0);
    if (IsEditing(state_)) {
        UpdateRecord();
        if (modified_) Post();
        else Cancel();
    }
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync();
}

// ---- Searching ----

bool TDataSet::FindRecord(const std::vector<TField*>& keys, const std::vector<Variant>& values,
                          TLocateOptions options, const std::vector<TField*>* resultFields,
                          std::vector<Variant>* results) {
    cursorOnActive_ = false;
    InternalFirst();
    TempStateGuard guard(state_, filterBuf_, dsFilter, spareBuf_);
    while (GetRecord(spareBuf_, gmNext, true) == grOK) {
        bool match = true;
        for (size_t i = 0; i < keys.size() && match; ++i)
            match = KeyMatches(keys[i], values[i], options, i + 1 == keys.size());
        if (match) {
            if (resultFields) {
                results->clear();
                for (TField* r : *resultFields) results->push_back(r->IsNull() ? Variant::Null() : r->Value());
            }
            return true;
        }
    }
    return false;
}

bool TDataSet::KeyMatches(TField* field, const Variant& key, TLocateOptions options, bool) {
    const bool caseless = (options & loCaseInsensitive) != 0;
    const bool partial = (options & loPartialKey) != 0;
    if (key.IsEmptyOrNull()) return field->IsNull();
    if (IsStringType(field->DataType()) || IsBlobType(field->DataType()) || caseless || partial) {
        std::string text = field->AsString();
        std::string want = key.ToString();
        std::string_view have = text;
        if (partial && have.size() > want.size()) have = have.substr(0, want.size());
        return caseless ? AnsiSameText(have, want) : have == want;
    }
    return !field->IsNull() && field->Value() == key;
}

bool TDataSet::Locate(std::string_view keyFields, const Variant& keyValue, TLocateOptions options) {
    return Locate(keyFields, std::vector<Variant>{keyValue}, options);
}

bool TDataSet::Locate(std::string_view keyFields, const std::vector<Variant>& keyValues,
                      TLocateOptions options) {
    CheckBrowseMode();
    std::vector<TField*> keys = FieldList(keyFields);
    if (keys.empty() || keys.size() != keyValues.size()) return false;
    if (!FindRecord(keys, keyValues, options, nullptr, nullptr)) return false;
    DoBeforeScroll();
    std::swap(activeBuf_, spareBuf_);
    hasRecord_ = true;
    cursorOnActive_ = true;
    bof_ = eof_ = false;
    Notify(TDataEvent::deDataSetChange, nullptr, 0);
    DoAfterScroll();
    return true;
}

Variant TDataSet::Lookup(std::string_view keyFields, const Variant& keyValue, std::string_view resultField) {
    std::vector<Variant> results;
    if (!Lookup(keyFields, std::vector<Variant>{keyValue}, resultField, results) || results.empty())
        return Variant::Null();
    return results.front();
}

bool TDataSet::Lookup(std::string_view keyFields, const std::vector<Variant>& keyValues,
                      std::string_view resultFields, std::vector<Variant>& results) {
    CheckBrowseMode();
    results.clear();
    std::vector<TField*> keys = FieldList(keyFields);
    std::vector<TField*> wanted = FieldList(resultFields);
    if (keys.empty() || keys.size() != keyValues.size()) return false;
    // The active record never changes; the cursor goes back to it lazily.
    return FindRecord(keys, keyValues, 0, &wanted, &results);
}

void TDataSet::SetFilterText(std::string value) {
    if (value == filter_) return;
    filter_ = std::move(value);
    if (Active() && filtered_) First();
}

void TDataSet::SetFiltered(bool value) {
    if (value == filtered_) return;
    if (Active()) CheckBrowseMode();
    filtered_ = value;
    if (Active()) First();
}

// ---- Notifications ----

void TDataSet::DisableControls() {
    if (disableCount_++ == 0) disableState_ = state_;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0 || --disableCount_ > 0) return;
    if (disableState_ != state_) Notify(TDataEvent::deUpdateState, nullptr, 0);
    Notify(TDataEvent::deDataSetChange, nullptr, 0);
}

void TDataSet::DataEvent(TDataEvent event, TField* field, int info) {
    if (event == TDataEvent::deFieldChange) {
        fieldChangeNotified_ = true;
        if (!field || field->FieldKind() == TFieldKind::fkData ||
            field->FieldKind() == TFieldKind::fkInternalCalc)
            modified_ = true;
    }
    Notify(event, field, info);
}

void TDataSet::Notify(TDataEvent event, TField* field, int info) {
    if (disableCount_ > 0) return;
    // By index: a handler may detach a source while we walk.
    for (size_t i = 0; i < dataSources_.size(); ++i) dataSources_[i]->DataEvent(event, field, info);
}

void TDataSet::AddDataSource(TDataSource* source) {
    if (std::find(dataSources_.begin(), dataSources_.end(), source) == dataSources_.end())
        dataSources_.push_back(source);
}

void TDataSet::RemoveDataSource(TDataSource* source) {
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), source), dataSources_.end());
}
