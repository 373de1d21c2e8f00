#include "sqlite/TQorSQLite3BaseQuery.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstring>
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

// A record larger than this is refused instead of exhausting memory on the
// first rows (a declared varchar(2000000000) would otherwise do that).
constexpr int64_t kMaxDataSize = 256 << 20;

constexpr int32_t kDateNull = DateDelta;        // 1899-12-30
constexpr uint32_t kDateTimeNullLow = 0x842C0000u;  // low half of 1899-12-30 00:00

int StorageSize(TFieldType kind, int size) {
    switch (kind) {
        case ftString:
        case ftWideString: return kMaxUtf8Bytes * size + 1;  // size characters of UTF-8
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
    for (auto& gen : stagedBlobs_) gen.clear();
    freshBlobs_.clear();
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
    int64_t offset = 0;
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
        const int storage = StorageSize(kind, size);
        if (storage < 0) throw SLError("Fieldtype of Field \"" + defName + "\" not supported!");
        TFieldDef& def = FieldDefs().Add(defName, kind, size);
        if (!typeLess_) {
            if (kind == ftFloat) def.SetPrecision(t.precision);
            if (!declared) def.SetInternalCalcField(true);
            if (name == "rowid") def.SetAttributes(def.Attributes() | faReadonly);
        }
        Slot s;
        s.kind = kind;
        s.offset = static_cast<int>(offset);
        s.size = storage;
        s.textSize = size;
        slots_.push_back(s);
        offset += storage;
        if (offset > kMaxDataSize) throw SLError("Record of the query is too large");
    }
    dataSize_ = static_cast<int>(offset);
    staging_.assign(static_cast<size_t>(dataSize_) + 5, 0);
}

void TQorSQLite3BaseQuery::StoreText(char* slot, const Slot& s, const char* text, size_t len) const {
    // A slot holds textSize characters; a cut never splits one.
    const std::string_view view(text, std::min(len, static_cast<size_t>(s.size - 1)));
    const size_t n = CharOffset(view, static_cast<size_t>(s.textSize));
    if (n) std::memcpy(slot, text, n);
    slot[n] = 0;
}

bool TQorSQLite3BaseQuery::FetchRow() {
    const SQLite3Api& api = connection_->Api();
    const int rc = api.step(stmt_);
    if (rc == sqlite_api::ROW) {
        // Unidirectional rows own their blobs until the row before them is
        // gone from every record buffer.
        auto& gen = stagedBlobs_[stagedGeneration_ ^= 1];
        gen.clear();
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
                    gen.push_back(std::move(stream));
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
                case ftWideString: StoreText(slot, s, text.data(), text.size()); break;
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
    return new char[static_cast<size_t>(dataSize_) + 5 + 10]();
}

void TQorSQLite3BaseQuery::FreeRecordBuffer(TRecordBuffer& buffer) {
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

void TQorSQLite3BaseQuery::WriteBlank(char* slot, const Slot& s, bool freshRecord) const {
    switch (s.kind) {
        case ftString:
        case ftWideString: slot[0] = 0; break;
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
            if (IsBlobType(s.kind)) {
                if (freshRecord) {
                    std::memset(slot, 0, sizeof(TMemoryStream*));  // an empty blob
                } else if (TMemoryStream* stream = StreamAt(slot)) {
                    stream->Clear();
                }
            }
    }
}

void TQorSQLite3BaseQuery::InternalInitRecord(TRecordBuffer buffer) {
    for (int i = 0; i < FieldDefs().Count() && i < static_cast<int>(slots_.size()); ++i)
        WriteBlank(buffer + slots_[static_cast<size_t>(i)].offset, slots_[static_cast<size_t>(i)], true);
}

void TQorSQLite3BaseQuery::InternalEdit() {
    const TRecordBuffer rec = ActiveRecordBuffer();
    if (!rec) return;
    oldRecord_.assign(rec, rec + dataSize_ + 5);
}

bool TQorSQLite3BaseQuery::GetFieldData(TField* field, void* buffer) {
    TRecordBuffer rec = ActiveRecordBuffer();
    if (State() == dsOldValue && !oldRecord_.empty()) rec = oldRecord_.data();
    const char* slot = SlotOf(rec, field);
    if (!slot) {
        if (buffer && field && IsStringKind(field->DataType())) static_cast<char*>(buffer)[0] = 0;
        return false;
    }
    const Slot& s = slots_[static_cast<size_t>(field->FieldNo() - 1)];
    switch (s.kind) {
        case ftString:
        case ftWideString: {
            if (slot[0] == 0) {
                if (buffer) static_cast<char*>(buffer)[0] = 0;
                return false;
            }
            if (!buffer) return true;
            char* out = static_cast<char*>(buffer);
            const std::string_view stored(slot, strnlen(slot, static_cast<size_t>(s.size - 1)));
            if (connection_ && connection_->Cp1251Text()) {
                const std::string text = connection_->FromEngineText(stored);
                const size_t n = CharOffset(text, static_cast<size_t>(s.textSize));
                std::memcpy(out, text.data(), n);
                out[n] = 0;
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
        WriteBlank(slot, s, false);
        return;
    }
    if (IsStringKind(s.kind)) {
        const char* text = static_cast<const char*>(buffer);
        if (connection_ && connection_->Cp1251Text()) {
            const std::string engine = connection_->ToEngineText(text);
            StoreText(slot, s, engine.data(), engine.size());
        } else {
            StoreText(slot, s, text, std::strlen(text));
        }
    } else if (!IsBlobType(s.kind)) {
        std::memcpy(slot, buffer, static_cast<size_t>(s.size));
    }
}

std::unique_ptr<TStream> TQorSQLite3BaseQuery::CreateBlobStream(TField* field, TBlobStreamMode mode) {
    return std::make_unique<TQorQLite3BlobStream>(field, mode);
}

TMemoryStream* TQorSQLite3BaseQuery::BlobOf(TField* field, bool create) {
    char* slot = SlotOf(ActiveRecordBuffer(), field);
    if (!slot || !IsBlobType(slots_[static_cast<size_t>(field->FieldNo() - 1)].kind)) return nullptr;
    TMemoryStream* stream = StreamAt(slot);
    if (!stream && create) {
        // A fresh record's first blob: kept by the query until it closes.
        freshBlobs_.push_back(std::make_unique<TMemoryStream>());
        stream = freshBlobs_.back().get();
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
