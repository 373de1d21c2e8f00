#include "sqlite/TQorSQLite3Query.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/AnsiString.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"
#include "dataset/TDataSource.h"
#include "dataset/TField.h"
#include "sqlite/SQLWhereNames.h"
#include "sqlite/TQorSQLite3DB.h"

TQorSQLite3Query::TQorSQLite3Query(TComponent* owner) : TQorSQLite3BaseQuery(owner) {
    sql_.OnChange = [this] { SQLChanged(); };
}

TQorSQLite3Query::~TQorSQLite3Query() {
    sql_.OnChange = nullptr;
    Close();
}

void TQorSQLite3Query::SetSQL(const TStrings& lines) {
    Close();
    SetExecFlag(false);
    sql_.Assign(lines);
}

void TQorSQLite3Query::SetRawSQL(bool v) {
    if (v == rawSQL_) return;
    rawSQL_ = v;
    SQLChanged();
}

void TQorSQLite3Query::SQLChanged() {
    SetExecFlag(false);
    Close();
    if (rawSQL_) {
        prepared_ = sql_.Text();
    } else {
        Params().Clear();
        prepared_ = Params().ParseSQL(sql_.Text(), true);
    }
}

std::string TQorSQLite3Query::SubstituteParams(const std::string& text) const {
    auto& params = const_cast<TQorSQLite3Query*>(this)->Params();
    std::string out;
    out.reserve(text.size() + 16 * static_cast<size_t>(params.Count()));
    int next = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const char c = text[i];
        // Quoted text and comments are copied whole, as the parameter parser
        // skipped them: a question mark there is text, not a placeholder.
        size_t end = i;
        if (c == '\'' || c == '"' || c == '`') {
            end = text.find(c, i + 1);
            end = end == std::string::npos ? n : end + 1;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            end = text.find('\n', i);
            end = end == std::string::npos ? n : end + 1;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            end = text.find("*/", i + 2);
            end = end == std::string::npos ? n : end + 2;
        }
        if (end > i) {
            out.append(text, i, end - i);
            i = end;
            continue;
        }
        ++i;
        if (c != '?' || next >= params.Count()) {
            out.push_back(c);
            continue;
        }
        const TParam& p = params[next++];
        if (p.DataType() == ftBlob || p.DataType() == ftGraphic) {
            out.push_back('\x02');
            continue;
        }
        std::string value;
        switch (p.DataType()) {
            case ftDate: {
                const std::string& fmt = SQLiteDateFormat()         ? std::string("yyyy-mm-dd")
                                         : !TableDateFormat().empty() ? TableDateFormat()
                                                                      : FormatSettings().ShortDateFormat;
                value = p.IsNull() ? std::string() : FormatDateTime(fmt, p.AsDateTime());
                break;
            }
            case ftTime: value = p.IsNull() ? std::string() : FormatDateTime("hh:nn:ss", p.AsDateTime()); break;
            case ftDateTime:
                value = p.IsNull() ? std::string() : FormatDateTime("yyyy-mm-dd hh:nn:ss", p.AsDateTime());
                break;
            default: value = p.AsString();
        }
        if (value.empty() && p.Bound()) {
            out += "NULL";
            continue;
        }
        out.push_back('\'');
        for (char v : value) {
            if (v == '\'') out.push_back('\'');
            out.push_back(v);
        }
        out.push_back('\'');
    }
    return out;
}

void TQorSQLite3Query::InternalOpen() {
    if (Trim(sql_.Text()).empty()) throw SLError("no query specified");
    if (MaxResults() == 0 && StartResult() != 0) SetMaxResults(-1);
    std::string text = prepared_;
    if (Filtered() && !Filter().empty()) text = "select * from (" + text + ") where " + Filter();
    if (!Params().IsEmpty()) text = SubstituteParams(text);
    if (MaxResults() != 0) text += " limit " + std::to_string(MaxResults());
    if (StartResult() != 0) text += " offset " + std::to_string(StartResult());
    SetStatement(std::move(text));
    TQorSQLite3BaseQuery::InternalOpen();
}

void TQorSQLite3Query::InternalClose() {
    SetStatement(std::string());
    TQorSQLite3BaseQuery::InternalClose();
}

void TQorSQLite3Query::MasterChanged() {
    TDataSource* source = MasterSource();
    TDataSet* master = source ? source->DataSet() : nullptr;
    const bool wasOpen = Active();
    Close();
    SetFilterText(std::string());
    SetFiltered(false);
    std::string filter;
    const std::string& pairs = MasterFields();
    size_t start = 0;
    while (start <= pairs.size()) {
        size_t end = pairs.find(';', start);
        if (end == std::string::npos) end = pairs.size();
        const std::string pair = Trim(std::string_view(pairs).substr(start, end - start));
        start = end + 1;
        if (pair.empty()) continue;
        const size_t eq = pair.find('=');
        if (eq == std::string::npos) throw SLError("Syntax error: Masterfields not build of a=b;... pairs");
        const std::string detailName = pair.substr(0, eq);
        const std::string masterName = pair.substr(eq + 1, 99);
        std::string value;
        if (master)
            if (TField* f = master->FindField(Trim(masterName))) value = f->AsString();
        if (!filter.empty()) filter += " and ";
        filter += detailName + "='" + ReplaceAll(value, "'", "''") + "'";
    }
    SetFilterText(filter);
    if (wasOpen && !filter.empty()) {
        SetFiltered(true);
        Open();
    }
}

// ---------------------------------------------------------------- writing

namespace {

bool IsIntegerKind(TFieldType k) { return k == ftSmallint || k == ftInteger || k == ftWord || k == ftLargeint; }
bool IsFloatKind(TFieldType k) { return k == ftFloat || k == ftCurrency || k == ftBCD; }

// A column name as the statement needs it: a plain name as it is, any other
// (blanks, quotes, letters beyond ASCII) in double quotes.
std::string SqlName(const std::string& name) {
    bool plain = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
    for (char c : name)
        plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
    return plain ? name : "\"" + ReplaceAll(name, "\"", "\"\"") + "\"";
}

}  // namespace

class TQorSQLite3Query::Writer {
public:
    Writer(TQorSQLite3Query& q, TQorSQLite3DB& db) : q_(q), db_(db), api_(db.Api()) {}
    ~Writer() {
        if (stmt_) api_.finalize(stmt_);
    }

    // The column a field writes to.
    std::string Column(TField* f) const {
        const int no = f->FieldNo();
        const auto& slots = q_.Slots();
        if (no >= 1 && no <= static_cast<int>(slots.size()) && !slots[static_cast<size_t>(no - 1)].column.empty())
            return SqlName(slots[static_cast<size_t>(no - 1)].column);
        return SqlName(f->FieldName());
    }

    // Whether the field is one the statement writes. A column the engine
    // reports without a declared type is marked calculated; it is written
    // all the same when the table has a column of that name (a table whose
    // columns carry no types is edited like any other).
    bool Writable(TField* f) {
        if (f->FieldKind() == TFieldKind::fkData) return true;
        if (f->FieldKind() != TFieldKind::fkInternalCalc) return false;
        ReadColumns();
        const std::string name = ColumnName(f);
        for (const std::string& c : columns_)
            if (AnsiSameText(c, name)) return true;
        return false;
    }

    // The field of the table's INTEGER PRIMARY KEY, which is its row id
    // under another name; nullptr when the table has none.
    TField* RowidAlias() {
        ReadColumns();
        if (rowidAlias_.empty()) return nullptr;
        for (int i = 0; i < q_.Fields().Count(); ++i)
            if (TField* f = q_.Fields()[i]; AnsiSameText(ColumnName(f), rowidAlias_)) return f;
        return nullptr;
    }
    // The field's value has changed since editing began.
    bool Changed(TField* f) {
        if (IsBlobType(f->DataType())) return static_cast<TBlobField*>(f)->Modified();
        if (IsStringType(f->DataType())) return OldText(f) != f->AsString();
        // Compared as values: a text shown with few digits may hide a change.
        const bool isNull = f->IsNull();
        const TDataSetState state = q_.SetTempState(dsOldValue);
        bool oldNull = true;
        Variant oldValue;
        try {
            oldNull = f->IsNull();
            if (!oldNull) oldValue = f->Value();
        } catch (...) {
            q_.RestoreState(state);
            throw;
        }
        q_.RestoreState(state);
        if (isNull || oldNull) return isNull != oldNull;
        return !(f->Value() == oldValue);
    }

    std::string OldText(TField* f) {
        const TDataSetState state = q_.SetTempState(dsOldValue);
        std::string text;
        try {
            text = ValueText(f);
        } catch (...) {
            q_.RestoreState(state);
            throw;
        }
        q_.RestoreState(state);
        return text;
    }

    // The text a value goes to the database as: dates, times and
    // date-times in the forms SQL reads, anything else as the field shows it.
    std::string ValueText(TField* f) const {
        if (f->IsNull()) return std::string();
        switch (f->DataType()) {
            case ftDate: {
                const std::string fmt = q_.SQLiteDateFormat()         ? std::string("yyyy-mm-dd")
                                        : !q_.TableDateFormat().empty() ? q_.TableDateFormat()
                                                                        : FormatSettings().ShortDateFormat;
                return FormatDateTime(fmt, f->AsDateTime());
            }
            case ftTime: return FormatDateTime("hh:nn:ss", f->AsDateTime());
            case ftDateTime: return FormatDateTime("yyyy-mm-dd hh:nn:ss", f->AsDateTime());
            default: return f->AsString();
        }
    }

    void Compile(const std::string& sql) {
        std::string text = sql;
        for (char& c : text)
            if (c == '\x02') c = '?';
        const std::string engine = db_.ToEngineText(text);
        const char* rest = engine.c_str();
        if (db_.PrepareStatement(rest, stmt_) != sqlite_api::OK) {
            if (stmt_) api_.finalize(stmt_);
            stmt_ = nullptr;
            db_.RaiseSQLiteError();
        }
        if (!stmt_) throw SLError("no query specified");
    }

    // A new value (the value table): NULL for no value, integers and
    // floats as numbers, a blob as its bytes, everything else as text.
    void BindValue(int position, TField* f) {
        if (f->IsNull()) return Check(api_.bind_null(stmt_, position));
        const TFieldType k = f->DataType();
        if (IsIntegerKind(k)) return Check(api_.bind_int64(stmt_, position, f->AsLargeInt()));
        if (IsFloatKind(k)) return Check(api_.bind_double(stmt_, position, f->AsFloat()));
        if (k == ftBoolean) {
            const std::string t = f->AsString();
            return Check(api_.bind_text(stmt_, position, t.data(), t.empty() ? 0 : 1, sqlite_api::Transient()));
        }
        if (k == ftBlob || k == ftGraphic) {
            const std::string bytes = f->AsString();
            return Check(api_.bind_blob(stmt_, position, bytes.data(), static_cast<int>(bytes.size()),
                                        sqlite_api::Transient()));
        }
        BindText(position, ValueText(f));
    }

    // A condition value: the field's value when editing began (old) or now.
    void BindKey(int position, TField* f, bool old) {
        const TDataSetState state = old ? q_.SetTempState(dsOldValue) : q_.State();
        try {
            const TFieldType k = f->DataType();
            if (IsIntegerKind(k) || IsFloatKind(k)) {
                // A key without a value cannot be read as a number.
                if (f->IsNull() && old)
                    throw EConvertError("'' is not a valid " + std::string(IsIntegerKind(k) ? "integer" : "floating point") +
                                        " value");
                if (f->IsNull())
                    Check(api_.bind_null(stmt_, position));
                else if (IsIntegerKind(k))
                    Check(api_.bind_int64(stmt_, position, f->AsLargeInt()));
                else
                    Check(api_.bind_double(stmt_, position, f->AsFloat()));
            } else {
                BindText(position, ValueText(f));
            }
        } catch (...) {
            if (old) q_.RestoreState(state);
            throw;
        }
        if (old) q_.RestoreState(state);
    }

    // The condition as it is compiled: each parameter name in the one
    // spelling the binding goes by.
    std::string Condition() {
        names_ = SQLWhereNames(q_.SQLWhere(), &condition_);
        return condition_;
    }
    // Binds the fields the condition names, from position first on.
    void BindCondition(int first, bool old) {
        int position = first;
        for (const std::string& name : names_) BindKey(position++, q_.FieldByName(name), old);
    }

    // Steps once: a failure (constraint, busy, locked) raises the engine's
    // specific message and nothing in the result changes. mustTouch: a
    // statement that matched no row raises too, since the row the grid shows
    // is not in the database (deleted or changed meanwhile).
    void Run(bool mustTouch) {
        const int rc = api_.step(stmt_);
        if (rc != sqlite_api::DONE && rc != sqlite_api::ROW) {
            sqlite3_stmt* s = stmt_;
            stmt_ = nullptr;
            db_.RaiseStatementError(s);
        }
        sqlite3_stmt* s = stmt_;
        stmt_ = nullptr;
        if (api_.finalize(s) != sqlite_api::OK) db_.RaiseSQLiteError();
        if (mustTouch && api_.changes(db_.Handle()) == 0)
            throw EDatabaseError("Record not found or changed by another user");
    }

private:
    std::string ColumnName(TField* f) const {
        const int no = f->FieldNo();
        const auto& slots = q_.Slots();
        return no >= 1 && no <= static_cast<int>(slots.size()) ? slots[static_cast<size_t>(no - 1)].column
                                                                : f->FieldName();
    }
    void ReadColumns() {
        if (columnsRead_) return;
        columnsRead_ = true;
        std::vector<std::unique_ptr<TQorQLite3Field>> info;
        // The table's name as the pragma takes it: without its quotes.
        std::string table = Trim(q_.SQLTable());
        if (table.size() >= 2 && table.front() == '"' && table.back() == '"')
            table = ReplaceAll(std::string_view(table).substr(1, table.size() - 2), "\"\"", "\"");
        else if (table.size() >= 2 &&
                 ((table.front() == '[' && table.back() == ']') || (table.front() == '`' && table.back() == '`')))
            table = table.substr(1, table.size() - 2);
        try {
            db_.GetTableInfo(table, info);
        } catch (...) {
            info.clear();
        }
        int keys = 0;
        for (const auto& c : info) {
            columns_.push_back(c->name);
            if (c->pk > 0) {
                ++keys;
                if (AnsiSameText(Trim(c->type), "INTEGER")) rowidAlias_ = c->name;
            }
        }
        if (keys != 1) rowidAlias_.clear();
    }
    void BindText(int position, const std::string& text) {
        const std::string engine = db_.ToEngineText(text);
        Check(api_.bind_text(stmt_, position, engine.data(), static_cast<int>(engine.size()), sqlite_api::Transient()));
    }
    void Check(int rc) {
        if (rc == sqlite_api::OK) return;
        db_.RaiseSQLiteError();
    }

    TQorSQLite3Query& q_;
    TQorSQLite3DB& db_;
    const SQLite3Api& api_;
    sqlite3_stmt* stmt_ = nullptr;
    std::vector<std::string> names_;
    std::string condition_;
    bool columnsRead_ = false;
    std::vector<std::string> columns_;
    std::string rowidAlias_;
};

TQorSQLite3DB& TQorSQLite3Query::WritableConnection(const char* refusal) {
    if (ReadOnly()) throw SLError(refusal);
    // Without a connection nothing can be written; saying nothing would
    // show the change as kept while the database never saw it.
    TQorSQLite3DB* db = Connection();
    if (!db || !db->Connected() || !db->Handle()) throw SLError("Not connected to a database");
    if (AutoCommit()) db->StartTransaction(TransactionType());
    return *db;
}

void TQorSQLite3Query::InternalPost() {
    TQorSQLite3DB& db = WritableConnection("Cannot post into a read-only dataset");
    Writer w(*this, db);
    std::vector<TField*> fields;
    if (State() == dsEdit && Result() && Result()->Count() > 0) {
        std::string sets;
        for (int i = 0; i < Fields().Count(); ++i) {
            TField* f = Fields()[i];
            if (!w.Writable(f) || !w.Changed(f)) continue;
            sets += "," + w.Column(f) + "=:v" + std::to_string(i);
            fields.push_back(f);
        }
        if (fields.empty()) return;
        w.Compile("UPDATE " + SQLTable() + " SET " + sets.substr(1) + " WHERE " + w.Condition());
        int position = 1;
        for (TField* f : fields) w.BindValue(position++, f);
        w.BindCondition(position, true);
        w.Run(true);
        // A new value of the INTEGER PRIMARY KEY is the row's new id: the
        // row is found by it from now on.
        if (TField* rowid = FindField("ROWID"))
            if (TField* alias = w.RowidAlias(); alias && alias != rowid && !alias->IsNull() &&
                                                std::find(fields.begin(), fields.end(), alias) != fields.end())
                SetRowid(rowid, alias->AsLargeInt());
    } else {
        std::string columns, values;
        for (int i = 0; i < Fields().Count(); ++i) {
            TField* f = Fields()[i];
            if (f->IsNull() || !w.Writable(f)) continue;
            columns += "," + w.Column(f);
            values += ",:v" + std::to_string(i);
            fields.push_back(f);
        }
        w.Compile("INSERT INTO " + SQLTable() + " (" + (columns.empty() ? columns : columns.substr(1)) +
                  ") VALUES (" + (values.empty() ? values : values.substr(1)) + ")");
        int position = 1;
        for (TField* f : fields) w.BindValue(position++, f);
        w.Run(false);
        // The whole 64-bit id: ids above 2^31 are as good as any. The
        // INTEGER PRIMARY KEY left empty took the same value.
        const int64_t id = db.Api().last_insert_rowid(db.Handle());
        if (TField* rowid = FindField("ROWID")) SetRowid(rowid, id);
        if (TField* alias = w.RowidAlias(); alias && alias->IsNull()) SetRowid(alias, id);
    }
    TQorSQLite3BaseQuery::InternalPost();
}

void TQorSQLite3Query::SetRowid(TField* field, int64_t id) {
    // Written past the field's read-only mark: the database set it.
    if (field->DataType() == ftLargeint) {
        SetFieldData(field, &id);
    } else if (IsStringType(field->DataType())) {
        SetFieldText(field, std::to_string(id));
    } else if (IsFloatKind(field->DataType())) {
        const double d = static_cast<double>(id);
        SetFieldData(field, &d);
    } else if (IsIntegerKind(field->DataType()) && id >= INT32_MIN && id <= INT32_MAX) {
        const int32_t n = static_cast<int32_t>(id);
        SetFieldData(field, &n);
    }
}

void TQorSQLite3Query::InternalDelete() {
    TQorSQLite3DB& db = WritableConnection("Cannot delete from a read-only dataset");
    Writer w(*this, db);
    w.Compile("DELETE FROM " + SQLTable() + " WHERE " + w.Condition());
    w.BindCondition(1, false);
    w.Run(true);
    TQorSQLite3BaseQuery::InternalDelete();
}
