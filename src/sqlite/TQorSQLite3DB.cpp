#include "sqlite/TQorSQLite3DB.h"

#include "base/Utf8.h"

#include <cmath>
#include <cstdio>

#include "base/AnsiString.h"
#include "base/DateTime.h"
#include "base/Exception.h"
#include "base/FormatSettings.h"
#include "base/Platform.h"
#include "base/TStrings.h"
#include "sqlite/ISQLite3Query.h"
#include "sqlite/SQLite3Functions.h"
#include "sqlite/SQLite3Text.h"

namespace {

using Setter = void (*)(SQLite3Api&, void*);

#define TABULON_SQLITE_ENTRY(name) \
    {"sqlite3_" #name, [](SQLite3Api& a, void* p) { a.name = reinterpret_cast<decltype(a.name)>(p); }}

struct Entry {
    const char* symbol;
    Setter set;
};

const Entry kEntries[50] = {
    TABULON_SQLITE_ENTRY(open),          TABULON_SQLITE_ENTRY(close),
    TABULON_SQLITE_ENTRY(exec),          TABULON_SQLITE_ENTRY(libversion),
    TABULON_SQLITE_ENTRY(errmsg),        TABULON_SQLITE_ENTRY(get_table),
    TABULON_SQLITE_ENTRY(free_table),    TABULON_SQLITE_ENTRY(free),
    TABULON_SQLITE_ENTRY(complete),      TABULON_SQLITE_ENTRY(last_insert_rowid),
    TABULON_SQLITE_ENTRY(interrupt),     TABULON_SQLITE_ENTRY(busy_timeout),
    TABULON_SQLITE_ENTRY(busy_handler),  TABULON_SQLITE_ENTRY(changes),
    TABULON_SQLITE_ENTRY(prepare),       TABULON_SQLITE_ENTRY(finalize),
    TABULON_SQLITE_ENTRY(reset),         TABULON_SQLITE_ENTRY(step),
    TABULON_SQLITE_ENTRY(column_blob),   TABULON_SQLITE_ENTRY(column_bytes),
    TABULON_SQLITE_ENTRY(column_count),  TABULON_SQLITE_ENTRY(column_decltype),
    TABULON_SQLITE_ENTRY(column_double), TABULON_SQLITE_ENTRY(column_int),
    TABULON_SQLITE_ENTRY(column_int64),  TABULON_SQLITE_ENTRY(column_name),
    TABULON_SQLITE_ENTRY(column_text),   TABULON_SQLITE_ENTRY(column_text16),
    TABULON_SQLITE_ENTRY(column_type),   TABULON_SQLITE_ENTRY(bind_double),
    TABULON_SQLITE_ENTRY(bind_int),      TABULON_SQLITE_ENTRY(bind_int64),
    TABULON_SQLITE_ENTRY(bind_null),     TABULON_SQLITE_ENTRY(bind_text),
    TABULON_SQLITE_ENTRY(bind_blob),     TABULON_SQLITE_ENTRY(bind_text16),
    TABULON_SQLITE_ENTRY(bind_parameter_count), TABULON_SQLITE_ENTRY(create_function),
    TABULON_SQLITE_ENTRY(value_blob),    TABULON_SQLITE_ENTRY(value_bytes),
    TABULON_SQLITE_ENTRY(value_double),  TABULON_SQLITE_ENTRY(value_int),
    TABULON_SQLITE_ENTRY(value_int64),   TABULON_SQLITE_ENTRY(value_text),
    TABULON_SQLITE_ENTRY(value_type),    TABULON_SQLITE_ENTRY(result_double),
    TABULON_SQLITE_ENTRY(result_int),    TABULON_SQLITE_ENTRY(result_int64),
    TABULON_SQLITE_ENTRY(result_text),   TABULON_SQLITE_ENTRY(result_value),
};
#undef TABULON_SQLITE_ENTRY

constexpr const char* kDefaultDll = "SQLite3.dll";

// Every code-2 character marks a blob parameter.
std::string MarkParameters(std::string_view sql) {
    std::string s(sql);
    for (char& c : s)
        if (c == '\x02') c = '?';
    return s;
}

}  // namespace

const char* const kSQLite3Symbols[50] = {
#define X(i) kEntries[i].symbol
    X(0),  X(1),  X(2),  X(3),  X(4),  X(5),  X(6),  X(7),  X(8),  X(9),
    X(10), X(11), X(12), X(13), X(14), X(15), X(16), X(17), X(18), X(19),
    X(20), X(21), X(22), X(23), X(24), X(25), X(26), X(27), X(28), X(29),
    X(30), X(31), X(32), X(33), X(34), X(35), X(36), X(37), X(38), X(39),
    X(40), X(41), X(42), X(43), X(44), X(45), X(46), X(47), X(48), X(49),
#undef X
};

TQorSQLite3DB::TQorSQLite3DB(TComponent* owner) : TComponent(owner), traceFile_("QorSQLite.trc") {}

TQorSQLite3DB::~TQorSQLite3DB() {
    // Released quietly: no events (the owner's other components may already be
    // gone) and no trace, but neither the handle nor the library is leaked.
    try {
        FinalizeValueStatement();
    } catch (...) {
    }
    sqlite_functions::Forget(*this);
    if (db_ && api_.close) api_.close(db_);
    db_ = nullptr;
    UnloadLibrary();
    connected_ = false;
}

void TQorSQLite3DB::SetDatabase(std::string_view v) {
    std::string name = Trim(v);
    // The name always says which file the connection works on: another file
    // ends the connection to this one (its events run under the old name).
    if (connected_ && name != database_) Close();
    database_ = std::move(name);
}

const std::string& TQorSQLite3DB::DLLName() {
    if (dllName_.empty()) dllName_ = kDefaultDll;
    return dllName_;
}

// ---------------------------------------------------------------- binding

bool TQorSQLite3DB::LoadLibraryBindings() {
    auto& fs = FormatSettings();
    if (fs.DecimalSeparator != ',' && fs.DecimalSeparator != '.') fs.DecimalSeparator = '.';
    OutputDebugString("loading sqlite lib");
    OutputDebugString(DLLName());
    lastLookupCount_ = 0;
    if (!library_.Load(DLLName())) return false;
    for (const Entry& e : kEntries) {
        ++lastLookupCount_;
        void* p = library_.Symbol(e.symbol);
        if (!p) {
            // Released at once, so that a later connect loads again and calls
            // nothing that was never bound.
            UnloadLibrary();
            return false;
        }
        e.set(api_, p);
    }
    return true;
}

void TQorSQLite3DB::UnloadLibrary() {
    library_.Unload();
    api_ = SQLite3Api{};
}

void TQorSQLite3DB::WriteTrace(std::string_view text, bool blankLine) {
    if (!trace_ || traceFile_.empty()) return;
    try {
        const std::string path =
            traceFile_.find('/') != std::string::npos ? traceFile_ : TempPath() + traceFile_;
        std::FILE* f = std::fopen(path.c_str(), "ab");
        if (!f) return;
        std::string line = DateTimeToStr(Now());
        line += ' ';
        line.append(text);
        line += '\n';
        if (blankLine) line += '\n';
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    } catch (...) {
        // Tracing never disturbs the work it records.
    }
}

void TQorSQLite3DB::RaiseSQLiteError() {
    std::string msg = (api_.errmsg && db_) ? std::string(api_.errmsg(db_)) : std::string("not connected");
    WriteTrace(msg, false);
    throw EDatabaseError("??? SQLite ERR-" + msg);
}

void TQorSQLite3DB::RaiseStatementError(sqlite3_stmt* stmt) {
    if (stmt) {
        api_.reset(stmt);
        std::string msg = api_.errmsg(db_);
        api_.finalize(stmt);
        WriteTrace(msg, false);
        throw EDatabaseError("??? SQLite ERR-" + msg);
    }
    RaiseSQLiteError();
}

int TQorSQLite3DB::PrepareStatement(const char*& sql, sqlite3_stmt*& stmt) {
    RequireConnection();
    // Measuring the rest of a long script for every statement would make
    // running it quadratic: only a live trace needs the text.
    if (trace_) WriteTrace(sql, false);
    return api_.prepare(db_, sql, -1, &stmt, &sql);
}

std::string TQorSQLite3DB::ToEngineText(std::string_view text) const {
    return cp1251Text_ ? Utf8ToCp1251(text) : std::string(text);
}

std::string TQorSQLite3DB::FromEngineText(std::string_view text) const {
    return cp1251Text_ ? Cp1251ToUtf8(text) : std::string(text);
}

void TQorSQLite3DB::FinalizeStatement(sqlite3_stmt* stmt) {
    if (!stmt || !api_.finalize) return;
    api_.reset(stmt);
    const int rc = api_.finalize(stmt);
    if (rc != sqlite_api::OK) throw SLError("SQLiteExecute error: " + std::to_string(rc));
}

void TQorSQLite3DB::RequireConnection() const {
    if (!db_ || !api_.prepare) throw SLError("Not connected to a database");
}

// ---------------------------------------------------------------- connect

void TQorSQLite3DB::SetConnected(bool v) {
    if (v)
        Connect();
    else if (connected_)
        Disconnect();
}

void TQorSQLite3DB::Connect() {
    if (database_.empty()) throw SLError("Missing database property");
    std::string path;
    if (AnsiSameText(database_, ":memory:")) {
        // The engine knows the name in lower case only; any other spelling
        // would create a file of that name.
        path = ":memory:";
    } else {
        path = database_.find('/') == std::string::npos ? CurrentDir() + "/" + database_ : database_;
        if (dbMustExist_ && !FileExists(path))
            throw EDatabaseError("Database " + path + " does not exist");
    }
    if (!library_.IsLoaded() && !LoadLibraryBindings()) {
        connected_ = false;
        throw SLError("Could not load \"" + DLLName() + "\" SQLite library");
    }
    if (db_) {
        // Connected already: the same file stays open.
        return;
    }
    connected_ = true;
    version_ = api_.libversion();
    db_ = nullptr;
    if (BeforeConnect) BeforeConnect(this);
    if (api_.open(path.c_str(), &db_) != sqlite_api::OK) {
        // Nothing is left half open: the handle is closed and the library
        // released before the engine's message is raised.
        std::string msg = db_ ? api_.errmsg(db_) : "out of memory";
        if (db_) api_.close(db_);
        db_ = nullptr;
        UnloadLibrary();
        connected_ = false;
        WriteTrace(msg, false);
        throw EDatabaseError("??? SQLite ERR-" + msg);
    }
    RegisterFunctions();
    if (AfterConnect) AfterConnect(this);
    if (!db_) connected_ = false;
    WriteTrace("CONNECT " + database_ + " " + DLLName(), false);
}

void TQorSQLite3DB::Disconnect() {
    if (library_.IsLoaded()) {
        OutputDebugString("freeing sqlite dll");
        if (BeforeDisconnect) BeforeDisconnect(this);
        CloseOwnerQueries();
        try {
            FinalizeValueStatement();
        } catch (...) {
        }
        sqlite_functions::Forget(*this);
        if (api_.close && db_) api_.close(db_);
        db_ = nullptr;
        UnloadLibrary();
        connected_ = false;
        if (AfterDisconnect) AfterDisconnect(this);
    }
    connected_ = false;
}

void TQorSQLite3DB::CloseOwnerQueries() {
    TComponent* owner = Owner();
    if (!owner) return;
    // Closing a query may not change the owner's list, but copy it anyway:
    // an event handler of the query could.
    std::vector<TComponent*> owned;
    for (const auto& c : owner->Components()) owned.push_back(c.get());
    for (TComponent* c : owned)
        if (auto* q = dynamic_cast<ISQLite3Query*>(c)) q->CloseOnDisconnect();
}

void TQorSQLite3DB::Open() {
    SetConnected(true);
    if (!library_.IsLoaded()) SetConnected(false);
}

void TQorSQLite3DB::Close() {
    SetConnected(false);
    WriteTrace("DISCONNECT", true);
}

// ---------------------------------------------------------------- executors

void TQorSQLite3DB::RunStatements(const std::string& text,
                                  const std::function<void(sqlite3_stmt*)>& bind) {
    RequireConnection();
    const std::string sql = ToEngineText(MarkParameters(text));
    const char* rest = sql.c_str();
    while (*rest) {
        sqlite3_stmt* stmt = nullptr;
        if (PrepareStatement(rest, stmt) != sqlite_api::OK) RaiseSQLiteError();
        if (!stmt) break;  // only blanks or comments were left
        if (bind) {
            try {
                bind(stmt);
            } catch (...) {
                api_.finalize(stmt);
                throw;
            }
        }
        int rc;
        while ((rc = api_.step(stmt)) == sqlite_api::ROW) {
            // Rows of a statement run for its effect are stepped over; the
            // fetch callback still hears of each, so that a statement that
            // never ends can be interrupted.
            if (OnFetchRows) OnFetchRows(nullptr, 0);
        }
        if (rc != sqlite_api::DONE) RaiseStatementError(stmt);
        if (api_.finalize(stmt) != sqlite_api::OK) RaiseSQLiteError();
    }
}

int TQorSQLite3DB::ExecSQL(const std::string& sql, const std::vector<std::string>* blobs) {
    if (!blobs || blobs->empty()) {
        RunStatements(sql, nullptr);
    } else {
        RunStatements(sql, [&](sqlite3_stmt* stmt) {
            int i = 1;
            for (const std::string& b : *blobs)
                api_.bind_blob(stmt, i++, b.data(), static_cast<int>(b.size()), sqlite_api::Static());
        });
    }
    return sqlite_api::OK;
}

int TQorSQLite3DB::ExecSQLArgs(const std::string& sql, const std::vector<TVarRec>& args) {
    RunStatements(sql, [&](sqlite3_stmt* stmt) {
        int i = 0;
        for (const TVarRec& a : args) BindValue(stmt, ++i, a);
    });
    return sqlite_api::OK;
}

int TQorSQLite3DB::BindValue(sqlite3_stmt* stmt, int position, const TVarRec& value) const {
    return std::visit(
        [&](const auto& v) -> int {
            using T = std::decay_t<decltype(v)>;
            // Text is copied by the engine: the caller's values need not
            // outlive the call. Empty text binds as NULL.
            if constexpr (std::is_same_v<T, int32_t>) {
                return api_.bind_int(stmt, position, v);
            } else if constexpr (std::is_same_v<T, int64_t>) {
                return api_.bind_int64(stmt, position, v);
            } else if constexpr (std::is_same_v<T, double>) {
                return api_.bind_double(stmt, position, v);
            } else if constexpr (std::is_same_v<T, Currency>) {
                return api_.bind_double(stmt, position, static_cast<double>(v.scaled) / 10000.0);
            } else if constexpr (std::is_same_v<T, char>) {
                return api_.bind_text(stmt, position, &v, 1, sqlite_api::Transient());
            } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, const char*>) {
                std::string_view view;
                if constexpr (std::is_same_v<T, std::string>)
                    view = v;
                else if (v)
                    view = v;
                if (view.empty()) return api_.bind_null(stmt, position);
                if (!cp1251Text_)
                    return api_.bind_text(stmt, position, view.data(), static_cast<int>(view.size()),
                                          sqlite_api::Transient());
                const std::string text = ToEngineText(view);
                return api_.bind_text(stmt, position, text.data(), static_cast<int>(text.size()),
                                      sqlite_api::Transient());
            } else {
                return api_.bind_null(stmt, position);
            }
        },
        value);
}

void TQorSQLite3DB::FinalizeValueStatement() {
    if (!valueStmt_) return;
    sqlite3_stmt* stmt = valueStmt_;
    valueStmt_ = nullptr;
    if (api_.finalize(stmt) != sqlite_api::OK) RaiseSQLiteError();
}

void TQorSQLite3DB::PrepareValueStatement(const std::string& sql, const std::vector<Variant>& args) {
    RequireConnection();
    FinalizeValueStatement();
    const std::string text = ToEngineText(MarkParameters(Trim(sql)));
    const char* rest = text.c_str();
    sqlite3_stmt* stmt = nullptr;
    if (PrepareStatement(rest, stmt) != sqlite_api::OK) RaiseSQLiteError();
    if (!stmt) throw SLError("no query specified");
    valueStmt_ = stmt;
    const int n = api_.bind_parameter_count(stmt);
    int rc = sqlite_api::OK;
    for (int i = 0; i < n && i < static_cast<int>(args.size()); ++i) {
        const Variant& v = args[static_cast<size_t>(i)];
        switch (v.Type()) {
            case VarType::Empty:
            case VarType::Null:
                rc = api_.bind_null(stmt, i + 1);
                break;
            case VarType::Integer:
                rc = api_.bind_int(stmt, i + 1, v.ToInt32());
                break;
            case VarType::Boolean:
                rc = api_.bind_int(stmt, i + 1, v.ToBool() ? 1 : 0);
                break;
            case VarType::Date:
                rc = api_.bind_int(stmt, i + 1, static_cast<int>(std::trunc(v.ToDateTime())));
                break;
            case VarType::Int64:
                rc = api_.bind_int64(stmt, i + 1, v.ToInt64());
                break;
            case VarType::Double:
            case VarType::Currency:
                rc = api_.bind_double(stmt, i + 1, v.ToDouble());
                break;
            default: {
                const std::string s = ToEngineText(v.ToString());
                rc = api_.bind_text(stmt, i + 1, s.data(), static_cast<int>(s.size()), sqlite_api::Transient());
            }
        }
    }
    if (rc != sqlite_api::OK) RaiseSQLiteError();
}

int TQorSQLite3DB::StepValueStatement(const std::string& sql, const std::vector<Variant>& args) {
    PrepareValueStatement(sql, args);
    const int rc = api_.step(valueStmt_);
    if (rc != sqlite_api::ROW && rc != sqlite_api::DONE) {
        sqlite3_stmt* stmt = valueStmt_;
        valueStmt_ = nullptr;
        RaiseStatementError(stmt);
    }
    return rc;
}

void TQorSQLite3DB::SelectString(const std::string& sql, const std::vector<Variant>& args, bool finalize,
                                 std::string& out) {
    const int rc = StepValueStatement(sql, args);
    const unsigned char* t = rc == sqlite_api::ROW ? api_.column_text(valueStmt_, 0) : nullptr;
    out = FromEngineText(t ? reinterpret_cast<const char*>(t) : "");
    if (finalize) FinalizeValueStatement();
}

int64_t TQorSQLite3DB::SelectInt64(const std::string& sql, const std::vector<Variant>& args, bool finalize) {
    const int rc = StepValueStatement(sql, args);
    const int64_t v = rc == sqlite_api::ROW ? api_.column_int64(valueStmt_, 0) : 0;
    if (finalize) FinalizeValueStatement();
    return v;
}

int TQorSQLite3DB::RowsAffected() const {
    return (connected_ && db_ && api_.changes) ? api_.changes(db_) : -1;
}

void TQorSQLite3DB::Interrupt() {
    if (api_.interrupt && db_) api_.interrupt(db_);
}

// ---------------------------------------------------------------- schema

namespace {
struct NameMatch {
    const std::string* name;
    const TQorSQLite3DB* db;
};

int MatchName(void* data, int columns, char** values, char**) {
    const auto* m = static_cast<NameMatch*>(data);
    return (columns > 0 && values[0] && AnsiCompareText(m->db->FromEngineText(values[0]), *m->name) == 0) ? 1 : 0;
}
}  // namespace

bool TQorSQLite3DB::TableExists(const std::string& name) {
    RequireConnection();
    NameMatch match{&name, this};
    char* err = nullptr;
    const int rc = api_.exec(db_, "SELECT name FROM sqlite_master", &MatchName, &match, &err);
    if (err) api_.free(err);
    // The engine reports the callback's stop as result 4, with or without a
    // message of its own: either way the name was found.
    if (rc == sqlite_api::ABORT) return true;
    if (rc != sqlite_api::OK) RaiseSQLiteError();
    return false;
}

void TQorSQLite3DB::GetObjectNames(const std::string& objectType, TStrings& list, bool qualify) {
    if (!connected_) SetConnected(true);
    if (!connected_ || !db_) return;
    std::string sql = qualify ? "SELECT TBL_NAME||\".\"||NAME" : "SELECT NAME";
    sql += " FROM sqlite_master WHERE type=\"" + AnsiLowerCase(objectType) + "\" ORDER BY name";
    char** table = nullptr;
    int rows = 0, cols = 0;
    api_.get_table(db_, sql.c_str(), &table, &rows, &cols, nullptr);
    list.Clear();
    if (!table) return;
    for (int i = 1; i <= rows; ++i) {
        const char* v = table[i * (cols > 0 ? cols : 1)];
        // The header cell is not among the rows: a table named "Name" is
        // as much a table as any.
        list.Add(FromEngineText(v ? v : ""));
    }
    api_.free_table(table);
}

void TQorSQLite3DB::GetTableInfo(const std::string& table, std::vector<std::unique_ptr<TQorQLite3Field>>& list) {
    if (!connected_) SetConnected(true);
    if (!connected_ || !db_) return;
    const std::string sql = ToEngineText("PRAGMA table_info(\"" + ReplaceAll(table, "\"", "\"\"") + "\");");
    char** cells = nullptr;
    int rows = 0, cols = 0;
    api_.get_table(db_, sql.c_str(), &cells, &rows, &cols, nullptr);
    list.clear();
    if (!cells) return;
    if (cols >= 6) {
        auto cell = [&](int row, int col) -> std::string {
            const char* v = cells[row * cols + col];
            return FromEngineText(v ? v : "");
        };
        for (int r = 1; r <= rows; ++r) {
            auto f = std::make_unique<TQorQLite3Field>();
            f->cid = SQLiteTextToInt(cell(r, 0));
            f->name = cell(r, 1);
            f->type = cell(r, 2);
            f->notnull = SQLiteTextToInt(cell(r, 3));
            f->dflt_value = cell(r, 4);
            f->pk = SQLiteTextToInt(cell(r, 5));
            list.push_back(std::move(f));
        }
    }
    api_.free_table(cells);
}

// ---------------------------------------------------------------- transactions

void TQorSQLite3DB::StartTransaction(const std::string& kind) {
    const std::string k = AnsiUpperCase(kind.empty() ? transactionType_ : kind);
    std::string sql = "begin transaction";
    if (k == "DEFERRED")
        sql = "begin deferred transaction";
    else if (k == "IMMEDIATE")
        sql = "begin immediate transaction";
    else if (k == "EXCLUSIVE")
        sql = "begin exclusive transaction";
    if (!connected_) SetConnected(true);
    if (connected_) ExecSQL(sql);
    WriteTrace(sql, false);
}

void TQorSQLite3DB::Commit() {
    if (!connected_) SetConnected(true);
    if (connected_) ExecSQL("commit transaction");
    WriteTrace("COMMIT", false);
}

void TQorSQLite3DB::Rollback() {
    if (!connected_) SetConnected(true);
    if (connected_) ExecSQL("rollback transaction");
    WriteTrace("ROLLBACK", false);
}

void TQorSQLite3DB::RegisterFunctions() {
    RequireConnection();
    sqlite_functions::Register(*this);
}
