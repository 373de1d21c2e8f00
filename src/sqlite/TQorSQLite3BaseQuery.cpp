#include "sqlite/TQorSQLite3BaseQuery.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <typeinfo>

#include "base/AnsiString.h"
#include "base/Utf8.h"
#include "dataset/TDataSource.h"
#include "dataset/TField.h"
#include "sqlite/MapDeclaredType.h"
#include "sqlite/SQLite3Text.h"
#include "sqlite/TQorQLite3BlobStream.h"
#include "sqlite/TQorSQLite3DB.h"

namespace {

// Texts and blobs kept for records are reused, up to this many and while
// their text room is no larger than this.
constexpr size_t kSpareKept = 32;
constexpr size_t kReusedTextBytes = size_t{64} << 10;

constexpr int32_t kDateNull = DateDelta;        // 1899-12-30
constexpr uint32_t kDateTimeNullLow = 0x842C0000u;  // low half of 1899-12-30 00:00

int StorageSize(TFieldType kind) {
    switch (kind) {
        case ftString:
        case ftWideString: return static_cast<int>(sizeof(TQorTextRef));
        case ftLargeint: return 8;
        case ftSmallint:
        case ftInteger:
        case ftWord: return 4;
        case ftBoolean: return 2;
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftDateTime: return 8;
        case ftDate:
        case ftTime: return 4;
        case ftBlob:
        case ftMemo:
        case ftGraphic:
        case ftFmtMemo: return static_cast<int>(sizeof(TMemoryStream*));
        default: return -1;
    }
}

bool IsStringKind(TFieldType k) { return k == ftString || k == ftWideString; }

TMemoryStream* StreamAt(const char* slot) {
    TMemoryStream* s;
    std::memcpy(&s, slot, sizeof s);
    return s;
}

// Puts a copy of the slot's blob stream (an empty one for none) in its
// place; the copy belongs to whoever takes the record.
void CopyStreamInto(char* slot) {
    auto copy = std::make_unique<TMemoryStream>();
    if (TMemoryStream* from = StreamAt(slot); from && from->Size() > 0) copy->WriteBuffer(from->Memory(), from->Size());
    copy->Seek(0, TSeekOrigin::soBeginning);
    TMemoryStream* raw = copy.release();
    std::memcpy(slot, &raw, sizeof raw);
}

TQorTextRef TextAt(const char* slot) {
    TQorTextRef t;
    std::memcpy(&t, slot, sizeof t);
    return t;
}

void SetTextAt(char* slot, std::string_view text) {
    TQorTextRef t;
    if (!text.empty()) t = {text.data(), static_cast<uint32_t>(text.size())};
    std::memcpy(slot, &t, sizeof t);
}

// At most `chars` characters of a text, which ends at a zero byte as the
// field protocol's texts do; a cut never splits a character.
std::string_view CutText(std::string_view text, int chars) {
    text = text.substr(0, text.find('\0'));
    const size_t limit = static_cast<size_t>(std::max(chars, 0));
    // No more bytes than the limit: no more characters either.
    return text.size() <= limit ? text : text.substr(0, CharOffset(text, limit));
}

std::string Demangled(const std::type_info& t) {
    int status = 0;
    char* name = abi::__cxa_demangle(t.name(), nullptr, nullptr, &status);
    std::string out = status == 0 && name ? name : t.name();
    std::free(name);
    return out;
}

}  // namespace

TQorSQLite3BaseQuery::TQorSQLite3BaseQuery(TComponent* owner) : TDataSet(owner) {}

TQorSQLite3BaseQuery::~TQorSQLite3BaseQuery() {
    Close();
    FinalizeQuery();
    for (TQorSQLite3BaseQuery* d : details_)
        if (d->master_ == this) d->master_ = nullptr;
    if (master_) {
        auto& list = master_->details_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void TQorSQLite3BaseQuery::SetConnection(TQorSQLite3DB* db) {
    if (db == connection_) return;
    Close();
    if (connection_) RemoveFreeNotification(connection_);
    connection_ = db;
    if (db) FreeNotification(db);
}

void TQorSQLite3BaseQuery::SetMasterSource(TDataSource* source) {
    if (source && source->DataSet() == this) throw EDatabaseError("circular references are not allowed");
    if (masterSource_) RemoveFreeNotification(masterSource_);
    masterSource_ = source;
    if (source) FreeNotification(source);
}

void TQorSQLite3BaseQuery::Notification(TComponent* component, TOperation operation) {
    TDataSet::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == connection_) {
        Close();
        connection_ = nullptr;
    }
    if (component == masterSource_) masterSource_ = nullptr;
}

void TQorSQLite3BaseQuery::ExecQuery() {
    execFlag_ = true;
    Close();
    if (!autoCommit_ || !connection_) {
        Open();
        return;
    }
    connection_->StartTransaction(transactionType_);
    try {
        Open();
    } catch (...) {
        // A failed open must not leave the transaction hanging.
        try {
            connection_->Rollback();
        } catch (...) {
        }
        throw;
    }
    connection_->Commit();
}

// ---------------------------------------------------------------- open

void TQorSQLite3BaseQuery::InternalOpen() {
    if (!connection_) throw SLError("no database connection");
    if (!connection_->Connected()) connection_->Open();
    try {
        if (connection_->Connected() && masterSource_) CheckMaster();
        FieldDefs().Clear();
        slots_.clear();
        dataSize_ = 0;
        if (connection_->Connected()) {
            Compile();
        }
        std::vector<TQorFResult::SlotInfo> packing;
        for (const Slot& sl : slots_)
            packing.push_back({sl.offset, sl.size, IsStringKind(sl.kind), IsBlobType(sl.kind)});
        result_ = std::make_unique<TQorFResult>(dataSize_, std::move(packing));
        if (stmt_ && !uniDirectional_) FetchAll();
        current_ = -1;
        SetBookmarkSize(4);
        if (DefaultFields()) CreateFields();
        BindFields(true);
    } catch (...) {
        FinalizeQuery();
        throw;
    }
}

void TQorSQLite3BaseQuery::InternalClose() {
    FinalizeQuery();
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    current_ = -1;
}

void TQorSQLite3BaseQuery::FinalizeQuery() {
    if (stmt_) {
        sqlite3_stmt* s = stmt_;
        stmt_ = nullptr;
        try {
            if (connection_) connection_->FinalizeStatement(s);
        } catch (...) {
        }
    }
    result_.reset();
    // Whatever the records referred to is gone with the result: the old
    // record of the last edit must not outlive it.
    oldRecord_.clear();
    kept_.clear();
    spare_.clear();
    releaseAt_ = 0;
}

void TQorSQLite3BaseQuery::CheckMaster() {
    TDataSet* ds = masterSource_->DataSet();
    if (!ds) throw SLError("master dataset undefined");
    auto* master = dynamic_cast<TQorSQLite3BaseQuery*>(ds);
    if (!master) throw SLError("master dataset " + Demangled(typeid(*ds)) + " is not of TSQLiteBaseQuery type");
    if (master_ && master_ != master) {
        auto& list = master_->details_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    master_ = master;
    if (std::find(master->details_.begin(), master->details_.end(), this) == master->details_.end())
        master->details_.push_back(this);
}

void TQorSQLite3BaseQuery::Compile() {
    std::string text = statement_;
    for (char& c : text)
        if (c == '\x02') c = '?';
    if (connection_->Cp1251Text()) text = connection_->ToEngineText(text);
    const char* rest = text.c_str();
    const int rc = connection_->PrepareStatement(rest, stmt_);
    const SQLite3Api& api = connection_->Api();
    if (stmt_) {
        int position = 0;
        for (int i = 0; i < params_.Count(); ++i) {
            const TParam& p = params_[i];
            if (p.DataType() != ftBlob && p.DataType() != ftGraphic) continue;
            const std::string bytes = p.IsNull() ? std::string() : p.Value().ToString();
            api.bind_blob(stmt_, ++position, bytes.data(), static_cast<int>(bytes.size()), sqlite_api::Transient());
        }
    }
    if (rc != sqlite_api::OK) connection_->RaiseSQLiteError();
    if (!stmt_) throw SLError("no query specified");
    DefineFields();
}

void TQorSQLite3BaseQuery::DefineFields() {
    const SQLite3Api& api = connection_->Api();
    const int n = api.column_count(stmt_);
    if (n > 0) FieldDefs().Clear();
    int offset = 0;
    for (int i = 0; i < n; ++i) {
        const char* raw = api.column_name(stmt_, i);
        // A name is at most 255 characters, in the program's text.
        std::string name = raw ? std::string(CharSubstr(connection_->FromEngineText(raw), 0, 255)) : std::string();
        if (FieldDefs().IndexOf(name) >= 0) {
            for (int k = 1;; ++k) {
                const std::string candidate = name + "_" + std::to_string(k);
                if (FieldDefs().IndexOf(candidate) < 0) {
                    name = candidate;
                    break;
                }
            }
        }
        const char* declared = api.column_decltype(stmt_, i);
        const TDeclaredType t = MapDeclaredType(declared ? declared : "string");
        TFieldType kind = t.kind;
        int size = 0;
        if (typeLess_) {
            kind = ftString;
            size = t.size;
        } else if (kind == ftString || kind == ftWideString) {
            // Wide-string columns are kept like string columns of their size.
            size = t.size;
        } else if (kind == ftInteger) {
            // Integer columns hold the engine's 64-bit values.
            kind = ftLargeint;
        }
        const std::string defName = AnsiUpperCase(name);
        const int storage = StorageSize(kind);
        if (storage < 0) throw SLError("Fieldtype of Field \"" + defName + "\" not supported!");
        TFieldDef& def = FieldDefs().Add(defName, kind, size);
        if (!typeLess_) {
            if (kind == ftFloat) def.SetPrecision(t.precision);
            if (!declared) def.SetInternalCalcField(true);
            if (name == "rowid") def.SetAttributes(def.Attributes() | faReadonly);
        }
        Slot s;
        s.kind = kind;
        s.offset = offset;
        s.size = storage;
        s.textSize = size;
        s.column = name;
        slots_.push_back(s);
        offset += storage;
    }
    dataSize_ = offset;
    staging_.assign(static_cast<size_t>(dataSize_) + 5, 0);
}

void TQorSQLite3BaseQuery::StoreText(char* slot, const Slot& s, std::string_view text) {
    std::string copy(CutText(text, s.textSize));
    if (copy.empty()) {
        SetTextAt(slot, {});
        return;
    }
    Kept& kept = Keep();
    kept.text = std::move(copy);
    SetTextAt(slot, kept.text);
}

TQorSQLite3BaseQuery::Kept& TQorSQLite3BaseQuery::Keep() {
    if (kept_.size() >= releaseAt_) ReleaseUnreferenced();
    // A released one is used again: a unidirectional walk then allocates
    // nothing per row.
    if (spare_.empty()) {
        kept_.push_back(std::make_unique<Kept>());
    } else {
        kept_.push_back(std::move(spare_.back()));
        spare_.pop_back();
    }
    return *kept_.back();
}

void TQorSQLite3BaseQuery::ReleaseUnreferenced() {
    // Every text start and blob stream a record refers to, sorted.
    std::vector<const void*>& refs = refs_;
    refs.clear();
    const auto collect = [&](const char* record) {
        for (const Slot& s : slots_) {
            const char* slot = record + s.offset;
            if (IsStringKind(s.kind)) {
                if (const TQorTextRef t = TextAt(slot); t.size) refs.push_back(t.data);
            } else if (IsBlobType(s.kind)) {
                if (const TMemoryStream* stream = StreamAt(slot)) refs.push_back(stream);
            }
        }
    };
    for (TRecordBuffer b : buffers_) collect(b);
    const size_t whole = static_cast<size_t>(dataSize_);
    if (oldRecord_.size() >= whole) collect(oldRecord_.data());
    if (staging_.size() >= whole) collect(staging_.data());
    const std::less<const void*> before;
    std::sort(refs.begin(), refs.end(), before);
    const auto referenced = [&](const std::unique_ptr<Kept>& k) {
        if (!k->text.empty()) {
            const char* first = k->text.data();
            const auto it = std::lower_bound(refs.begin(), refs.end(), first, before);
            if (it != refs.end() && before(*it, first + k->text.size())) return true;
        }
        for (const auto& blob : k->blobs)
            if (std::binary_search(refs.begin(), refs.end(), blob.get(), before)) return true;
        return false;
    };
    const auto unused = std::partition(kept_.begin(), kept_.end(), referenced);
    for (auto k = unused; k != kept_.end(); ++k) {
        (*k)->blobs.clear();
        (*k)->text.clear();
        // A large text's room is given back rather than kept for reuse.
        if ((*k)->text.capacity() <= kReusedTextBytes && spare_.size() < kSpareKept) spare_.push_back(std::move(*k));
    }
    kept_.erase(unused, kept_.end());
    // Released again when as many more are kept: a constant cost per row.
    releaseAt_ = std::max<size_t>(16, 2 * kept_.size());
}

bool TQorSQLite3BaseQuery::FetchRow() {
    const SQLite3Api& api = connection_->Api();
    const int rc = api.step(stmt_);
    if (rc == sqlite_api::ROW) {
        // A unidirectional row's texts and blobs are kept by the query while
        // a record refers to them; a buffered row's are the result's.
        Kept* row = nullptr;
        const auto keepRow = [&]() -> Kept& {
            if (!row) row = &Keep();
            return *row;
        };
        rowTexts_.clear();
        for (size_t i = 0; i < slots_.size(); ++i) {
            const Slot& s = slots_[i];
            char* slot = staging_.data() + s.offset;
            const int col = static_cast<int>(i);
            if (IsBlobType(s.kind)) {
                auto stream = std::make_unique<TMemoryStream>();
                const void* data = api.column_blob(stmt_, col);
                const int bytes = api.column_bytes(stmt_, col);
                if (data && bytes > 0) stream->WriteBuffer(data, bytes);
                TMemoryStream* raw = stream.get();
                std::memcpy(slot, &raw, sizeof raw);
                if (uniDirectional_)
                    keepRow().blobs.push_back(std::move(stream));
                else
                    stream.release();  // the result owns it from now on
                continue;
            }
            const unsigned char* t = api.column_text(stmt_, col);
            const std::string_view text =
                t ? std::string_view(reinterpret_cast<const char*>(t), static_cast<size_t>(api.column_bytes(stmt_, col)))
                  : std::string_view();
            switch (s.kind) {
                case ftString:
                case ftWideString: {
                    const std::string_view cut = CutText(text, s.textSize);
                    SetTextAt(slot, cut);  // the engine's bytes, valid until the next step
                    if (uniDirectional_ && !cut.empty()) {
                        Kept& kept = keepRow();
                        rowTexts_.emplace_back(i, kept.text.size());
                        kept.text.append(cut);
                    }
                    break;
                }
                case ftLargeint: {
                    const int64_t v = SQLiteTextToInt64(text);
                    std::memcpy(slot, &v, 8);
                    break;
                }
                case ftBoolean: {
                    const int16_t v = SQLiteTextToBoolean(text);
                    std::memcpy(slot, &v, 2);
                    break;
                }
                case ftFloat:
                case ftCurrency:
                case ftBCD: {
                    const double v = SQLiteTextToFloat(text);
                    std::memcpy(slot, &v, 8);
                    break;
                }
                case ftDate: {
                    const int32_t v = DateTimeToNativeDate(SQLiteTextToDateTime(text));
                    std::memcpy(slot, &v, 4);
                    break;
                }
                case ftTime: {
                    const int32_t v = DateTimeToNativeTime(SQLiteTextToDateTime(text));
                    std::memcpy(slot, &v, 4);
                    break;
                }
                case ftDateTime: {
                    const TDateTime dt =
                        sqliteDateFormat_ ? SQLiteFixedTextToDateTime(text) : SQLiteTextToDateTime(text);
                    const double v = DateTimeToNativeDateTime(dt);
                    std::memcpy(slot, &v, 8);
                    break;
                }
                default: break;
            }
        }
        // The row's texts are all in place: the kept copy moves no more.
        for (const auto& [index, at] : rowTexts_) {
            char* slot = staging_.data() + slots_[index].offset;
            SetTextAt(slot, std::string_view(row->text).substr(at, TextAt(slot).size));
        }
    } else if (rc != sqlite_api::DONE) {
        // Busy, locked, interrupted or failed: an error, never a short result
        // that looks complete.
        RaiseStepError();
    }
    if (connection_->OnFetchRows) connection_->OnFetchRows(this, 0);
    return rc == sqlite_api::ROW;
}

void TQorSQLite3BaseQuery::RaiseStepError() {
    const SQLite3Api& api = connection_->Api();
    api.reset(stmt_);
    const std::string msg = api.errmsg(connection_->Handle());
    connection_->WriteTrace(msg, false);
    throw EDatabaseError("??? SQLite ERR-" + msg);
}

void TQorSQLite3BaseQuery::FetchAll() {
    while (FetchRow()) result_->Add(staging_.data());
    sqlite3_stmt* s = stmt_;
    stmt_ = nullptr;
    connection_->FinalizeStatement(s);
}

// ---------------------------------------------------------------- records

TRecordBuffer TQorSQLite3BaseQuery::AllocRecordBuffer() {
    TRecordBuffer buffer = new char[static_cast<size_t>(dataSize_) + 5 + 10]();
    buffers_.push_back(buffer);
    return buffer;
}

void TQorSQLite3BaseQuery::FreeRecordBuffer(TRecordBuffer& buffer) {
    buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), buffer), buffers_.end());
    delete[] buffer;
    buffer = nullptr;
}

TGetResult TQorSQLite3BaseQuery::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) {
    if (!result_) return grEOF;
    if (!uniDirectional_ && result_->Count() == 0) return grEOF;
    for (;;) {
        const int count = result_->Count();
        TGetResult r = grOK;
        switch (mode) {
            case gmCurrent:
                if (current_ < 0 || current_ >= count) r = grError;
                break;
            case gmNext:
                if (!uniDirectional_) {
                    if (current_ < count - 1)
                        ++current_;
                    else
                        r = grEOF;
                }
                break;
            case gmPrior:
                if (uniDirectional_) throw SLError("operation PRIOR not allowed on unidirectional dataset");
                if (current_ > 0)
                    --current_;
                else
                    r = grBOF;
                break;
        }
        if (r == grOK) {
            if (uniDirectional_) {
                if (!stmt_) return grEOF;
                if (!FetchRow()) {
                    // Done: stepping again would run the statement anew.
                    sqlite3_stmt* s = stmt_;
                    stmt_ = nullptr;
                    connection_->FinalizeStatement(s);
                    return grEOF;
                }
                std::memcpy(buffer, staging_.data(), static_cast<size_t>(dataSize_));
            } else if (count == 0) {
                InternalInitRecord(buffer);
            } else {
                result_->Read(current_, buffer);
            }
            buffer[dataSize_ + 4] = static_cast<char>(bfCurrent);
            const int32_t id = uniDirectional_ ? -1 : result_->Id(current_);
            std::memcpy(buffer + dataSize_, &id, 4);
            GetCalcFields(buffer);
            if (FilterRecord(buffer)) return grOK;
            // Asked for the current record and it is rejected: looking again
            // would find the same one.
            if (mode == gmCurrent) r = grError;
            else continue;
        }
        if (r == grError && doCheck) throw EDatabaseError("No Records");
        return r;
    }
}

bool TQorSQLite3BaseQuery::GetRecordAt(int recNo, TRecordBuffer buffer) {
    // A one-way query holds no rows to go back to.
    if (!result_ || uniDirectional_ || !result_->Read(recNo - 1, buffer)) return false;
    buffer[dataSize_ + 4] = static_cast<char>(bfCurrent);
    const int32_t id = result_->Id(recNo - 1);
    std::memcpy(buffer + dataSize_, &id, 4);
    return true;
}

void TQorSQLite3BaseQuery::InternalLast() { current_ = result_ ? result_->Count() : 0; }

void TQorSQLite3BaseQuery::GetBookmarkData(TRecordBuffer buffer, void* data) {
    std::memcpy(data, buffer + dataSize_, 4);
}

void TQorSQLite3BaseQuery::SetBookmarkData(TRecordBuffer buffer, const void* data) {
    std::memcpy(buffer + dataSize_, data, 4);
}

TBookmarkFlag TQorSQLite3BaseQuery::GetBookmarkFlag(TRecordBuffer buffer) {
    return static_cast<TBookmarkFlag>(buffer[dataSize_ + 4]);
}

void TQorSQLite3BaseQuery::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
    buffer[dataSize_ + 4] = static_cast<char>(flag);
}

void TQorSQLite3BaseQuery::InternalGotoBookmark(const void* bookmark) {
    int32_t id;
    std::memcpy(&id, bookmark, 4);
    const int index = result_ ? result_->IndexOf(id) : -1;
    if (index >= 0)
        current_ = index;
    else if (!uniDirectional_)
        throw EDatabaseError("Bookmark not found");
}

bool TQorSQLite3BaseQuery::BookmarkValid(const TBookmark& bookmark) {
    if (bookmark.size() != 4 || !result_) return false;
    int32_t id;
    std::memcpy(&id, bookmark.data(), 4);
    return result_->IndexOf(id) >= 0;
}

int TQorSQLite3BaseQuery::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
    if (a.empty() && b.empty()) return 0;
    if (a.empty()) return -1;
    if (b.empty()) return 1;
    int32_t x = 0, y = 0;
    std::memcpy(&x, a.data(), std::min<size_t>(4, a.size()));
    std::memcpy(&y, b.data(), std::min<size_t>(4, b.size()));
    return x < y ? -1 : (x > y ? 1 : 0);
}

int TQorSQLite3BaseQuery::GetRecNo() {
    UpdateCursorPos();
    const int count = result_ ? result_->Count() : 0;
    const int n = (current_ == -1 && count > 0) ? 1 : current_ + 1;
    const std::vector<TQorSQLite3BaseQuery*> details = details_;
    for (TQorSQLite3BaseQuery* d : details) d->MasterChanged();
    return n;
}

void TQorSQLite3BaseQuery::SetRecNo(int value) {
    const int count = result_ ? result_->Count() : 0;
    if (value < 0 || value > count + 1) return;
    CheckBrowseMode();
    DoBeforeScroll();
    current_ = value - 1;
    Resync();
    DoAfterScroll();
}

// ---------------------------------------------------------------- fields

char* TQorSQLite3BaseQuery::SlotOf(TRecordBuffer record, const TField* field) const {
    if (!record || !field) return nullptr;
    const int no = field->FieldNo();
    if (no < 1 || no > static_cast<int>(slots_.size())) return nullptr;
    return record + slots_[static_cast<size_t>(no - 1)].offset;
}

void TQorSQLite3BaseQuery::WriteBlank(char* slot, const Slot& s) const {
    switch (s.kind) {
        case ftString:
        case ftWideString: SetTextAt(slot, {}); break;
        case ftLargeint: {
            const int64_t v = kLargeintNullMarker;
            std::memcpy(slot, &v, 8);
            break;
        }
        case ftSmallint:
        case ftInteger:
        case ftWord: {
            const int32_t v = kIntegerNullMarker;
            std::memcpy(slot, &v, 4);
            break;
        }
        case ftBoolean: {
            const int16_t v = kBooleanNullMarker;
            std::memcpy(slot, &v, 2);
            break;
        }
        case ftFloat:
        case ftCurrency:
        case ftBCD: {
            const double v = FloatNullMarker();
            std::memcpy(slot, &v, 8);
            break;
        }
        case ftDate: {
            const int32_t v = kDateNull;
            std::memcpy(slot, &v, 4);
            break;
        }
        case ftTime: std::memset(slot, 0, 4); break;
        case ftDateTime: {
            const double v = DateTimeToNativeDateTime(0);
            std::memcpy(slot, &v, 8);
            break;
        }
        default:
            // An empty blob; a stream the slot named stays with its owner
            // (the result row, or the query).
            if (IsBlobType(s.kind)) std::memset(slot, 0, sizeof(TMemoryStream*));
    }
}

void TQorSQLite3BaseQuery::InternalInitRecord(TRecordBuffer buffer) {
    for (int i = 0; i < FieldDefs().Count() && i < static_cast<int>(slots_.size()); ++i)
        WriteBlank(buffer + slots_[static_cast<size_t>(i)].offset, slots_[static_cast<size_t>(i)]);
}

void TQorSQLite3BaseQuery::InternalEdit() {
    const TRecordBuffer rec = ActiveRecordBuffer();
    if (!rec) return;
    oldRecord_.assign(rec, rec + dataSize_ + 5);
}

void TQorSQLite3BaseQuery::InternalPost() {
    const TRecordBuffer rec = ActiveRecordBuffer();
    if (!rec || !result_) return;
    std::vector<char> row(rec, rec + dataSize_ + 5);
    if (State() == dsInsert) {
        // The result owns the blob streams of its rows: a new row gets
        // copies of the record's.
        for (const Slot& s : slots_)
            if (IsBlobType(s.kind)) CopyStreamInto(row.data() + s.offset);
        const int count = result_->Count();
        const bool append = GetBookmarkFlag(rec) == bfEOF || current_ < 0 || current_ >= count;
        current_ = append ? result_->Add(row.data()) : result_->Insert(current_, row.data());
    } else if (current_ >= 0 && current_ < result_->Count()) {
        // A blob written during the edit lives in a stream of the query's;
        // the row gets its own copy and the stream it had is freed.
        std::vector<TMemoryStream*> replaced;
        for (const Slot& s : slots_) {
            if (!IsBlobType(s.kind) || oldRecord_.size() < static_cast<size_t>(s.offset) + sizeof(TMemoryStream*))
                continue;
            TMemoryStream* before = StreamAt(oldRecord_.data() + s.offset);
            if (StreamAt(row.data() + s.offset) == before) continue;
            CopyStreamInto(row.data() + s.offset);
            replaced.push_back(before);
        }
        result_->Replace(current_, row.data());
        for (TMemoryStream* stream : replaced) delete stream;
    }
}

void TQorSQLite3BaseQuery::InternalDelete() {
    if (!result_) return;
    result_->Delete(current_);
    if (current_ >= result_->Count()) current_ = result_->Count() - 1;
}

void TQorSQLite3BaseQuery::InternalAddRecord(TRecordBuffer, bool append) {
    if (readOnly_) throw SLError("Cannot write to a read-only dataset");
    if (append) InternalLast();
    InternalPost();
}

const char* TQorSQLite3BaseQuery::FieldSlot(TField* field) const {
    TRecordBuffer rec = ActiveRecordBuffer();
    if (State() == dsOldValue && !oldRecord_.empty()) rec = const_cast<char*>(oldRecord_.data());
    return SlotOf(rec, field);
}

bool TQorSQLite3BaseQuery::GetFieldText(TField* field, std::string& text) {
    const char* slot = FieldSlot(field);
    if (!slot) {
        text.clear();
        return false;
    }
    const Slot& s = slots_[static_cast<size_t>(field->FieldNo() - 1)];
    if (!IsStringKind(s.kind)) return TDataSet::GetFieldText(field, text);
    const TQorTextRef t = TextAt(slot);
    const std::string_view stored(t.data, t.size);
    if (connection_ && connection_->Cp1251Text())
        text = CutText(connection_->FromEngineText(stored), s.textSize);
    else
        text.assign(stored);
    return !text.empty();
}

bool TQorSQLite3BaseQuery::GetFieldData(TField* field, void* buffer) {
    const char* slot = FieldSlot(field);
    if (!slot) {
        if (buffer && field && IsStringKind(field->DataType())) static_cast<char*>(buffer)[0] = 0;
        return false;
    }
    const Slot& s = slots_[static_cast<size_t>(field->FieldNo() - 1)];
    switch (s.kind) {
        case ftString:
        case ftWideString: {
            const TQorTextRef t = TextAt(slot);
            if (!t.size) {
                if (buffer) static_cast<char*>(buffer)[0] = 0;
                return false;
            }
            if (!buffer) return true;
            // The caller's buffer holds the declared size (DataSize() of the
            // field), which the stored text never exceeds.
            char* out = static_cast<char*>(buffer);
            const std::string_view stored(t.data, t.size);
            if (connection_ && connection_->Cp1251Text()) {
                const std::string utf8 = connection_->FromEngineText(stored);
                const std::string_view text = CutText(utf8, s.textSize);
                std::memcpy(out, text.data(), text.size());
                out[text.size()] = 0;
            } else {
                std::memcpy(out, stored.data(), stored.size());
                out[stored.size()] = 0;
            }
            return true;
        }
        case ftLargeint: {
            int64_t v;
            std::memcpy(&v, slot, 8);
            if (v == kLargeintNullMarker) return false;
            if (buffer) std::memcpy(buffer, &v, 8);
            return true;
        }
        case ftBoolean: {
            int16_t v;
            std::memcpy(&v, slot, 2);
            if (v == kBooleanNullMarker) return false;
            if (buffer) std::memcpy(buffer, &v, 2);
            return true;
        }
        case ftFloat:
        case ftCurrency:
        case ftBCD: {
            double v;
            std::memcpy(&v, slot, 8);
            if (IsFloatNullMarker(v)) return false;
            if (buffer) std::memcpy(buffer, &v, 8);
            return true;
        }
        case ftDate:
        case ftTime:
        case ftDateTime: {
            uint32_t low;
            std::memcpy(&low, slot, 4);
            if (low == static_cast<uint32_t>(kDateNull) || low == 0 || low == kDateTimeNullLow) return false;
            if (buffer) std::memcpy(buffer, slot, static_cast<size_t>(s.size));
            return true;
        }
        default:
            if (IsBlobType(s.kind)) {
                const TMemoryStream* stream = StreamAt(slot);
                return stream && const_cast<TMemoryStream*>(stream)->Size() > 0;
            }
            return false;
    }
}

void TQorSQLite3BaseQuery::SetFieldData(TField* field, const void* buffer) {
    char* slot = SlotOf(ActiveRecordBuffer(), field);
    if (!slot) return;
    const Slot& s = slots_[static_cast<size_t>(field->FieldNo() - 1)];
    const bool emptyText = buffer && IsStringKind(s.kind) && static_cast<const char*>(buffer)[0] == 0;
    if (!buffer || emptyText) {
        WriteBlank(slot, s);
        return;
    }
    if (IsStringKind(s.kind)) {
        StoreFieldText(slot, s, static_cast<const char*>(buffer));
    } else if (!IsBlobType(s.kind)) {
        std::memcpy(slot, buffer, static_cast<size_t>(s.size));
    }
}

void TQorSQLite3BaseQuery::SetFieldText(TField* field, std::string_view text) {
    char* slot = SlotOf(ActiveRecordBuffer(), field);
    if (!slot) return;
    const Slot& s = slots_[static_cast<size_t>(field->FieldNo() - 1)];
    if (IsStringKind(s.kind))
        StoreFieldText(slot, s, text);
    else
        TDataSet::SetFieldText(field, text);
}

void TQorSQLite3BaseQuery::StoreFieldText(char* slot, const Slot& s, std::string_view text) {
    if (connection_ && connection_->Cp1251Text())
        StoreText(slot, s, connection_->ToEngineText(text));
    else
        StoreText(slot, s, text);
}

std::unique_ptr<TStream> TQorSQLite3BaseQuery::CreateBlobStream(TField* field, TBlobStreamMode mode) {
    return std::make_unique<TQorQLite3BlobStream>(field, mode);
}

TMemoryStream* TQorSQLite3BaseQuery::BlobOf(TField* field, bool forWriting) {
    char* slot = SlotOf(ActiveRecordBuffer(), field);
    if (!slot || !IsBlobType(slots_[static_cast<size_t>(field->FieldNo() - 1)].kind)) return nullptr;
    TMemoryStream* stream = StreamAt(slot);
    // An edited record shares its blobs with the result row and the saved
    // old record until it writes one: it then gets a stream of its own, so
    // Cancel finds the row unchanged and Post sees what changed.
    const size_t offset = static_cast<size_t>(slot - ActiveRecordBuffer());
    const bool shared = stream && State() == dsEdit && oldRecord_.size() >= offset + sizeof stream &&
                        StreamAt(oldRecord_.data() + offset) == stream;
    if (forWriting && (!stream || shared)) {
        // Kept by the query while a record refers to it.
        Kept& kept = Keep();
        kept.blobs.push_back(std::make_unique<TMemoryStream>());
        stream = kept.blobs.back().get();
        std::memcpy(slot, &stream, sizeof stream);
    }
    return stream;
}

// ---------------------------------------------------------------- blob stream

TQorQLite3BlobStream::TQorQLite3BlobStream(TField* field, TBlobStreamMode mode)
    : field_(field),
      query_(dynamic_cast<TQorSQLite3BaseQuery*>(field ? field->DataSet() : nullptr)),
      mode_(mode),
      modified_(mode == bmWrite) {  // opening for writing replaces the content
    if (query_ && mode != bmWrite) {
        if (TMemoryStream* source = query_->BlobOf(field, false)) {
            if (source->Size() > 0) TMemoryStream::Write(source->Memory(), source->Size());
            Seek(0, TSeekOrigin::soBeginning);
        }
    }
}

TQorQLite3BlobStream::~TQorQLite3BlobStream() {
    // A stream opened for reading never changes the record.
    if (!modified_ || !query_ || mode_ == bmRead) return;
    try {
        TMemoryStream* target = query_->BlobOf(field_, true);
        if (!target) return;
        target->Clear();
        if (Size() > 0) target->Write(Memory(), Size());
        target->Seek(0, TSeekOrigin::soBeginning);
        // A post writes the blob whichever way its bytes came.
        if (auto* blob = dynamic_cast<TBlobField*>(field_)) blob->SetModified(true);
        query_->DataEvent(TDataEvent::deFieldChange, field_);
    } catch (...) {
    }
}

int64_t TQorQLite3BlobStream::Write(const void* buffer, int64_t count) {
    modified_ = true;
    return TMemoryStream::Write(buffer, count);
}

void TQorQLite3BlobStream::SetSize(int64_t size) {
    modified_ = true;
    TMemoryStream::SetSize(size);
}
