#include "sqlite/TQorSQLite3Statement.h"

#include <type_traits>

#include "base/Exception.h"

TQorSQLite3Statement::TQorSQLite3Statement(TQorSQLite3DB& db, const std::string& sql) : db_(db) {
    const std::string text = db_.ToEngineText(sql);
    const char* rest = text.c_str();
    if (db_.PrepareStatement(rest, stmt_) != sqlite_api::OK) {
        // The engine leaves no statement behind on failure, but a partial one
        // must not leak if that ever changes.
        if (stmt_) db_.Api().finalize(stmt_);
        stmt_ = nullptr;
        db_.RaiseSQLiteError();
    }
    if (!stmt_) throw SLError("no query specified");
}

TQorSQLite3Statement::~TQorSQLite3Statement() {
    if (stmt_ && db_.Api().finalize) db_.Api().finalize(stmt_);
}

void TQorSQLite3Statement::Check(int rc) {
    if (rc != sqlite_api::OK) db_.RaiseSQLiteError();
}

void TQorSQLite3Statement::Bind(int position, const TVarRec& value) { Check(db_.BindValue(stmt_, position, value)); }

void TQorSQLite3Statement::BindNull(int position) {
    Check(db_.Api().bind_null(stmt_, position));
}

int TQorSQLite3Statement::ParameterCount() const {
    return db_.Api().bind_parameter_count(stmt_);
}

void TQorSQLite3Statement::Execute() {
    const SQLite3Api& api = db_.Api();
    int rc;
    while ((rc = api.step(stmt_)) == sqlite_api::ROW) {
    }
    if (rc != sqlite_api::DONE) {
        // Only after the reset does the connection hold the specific message
        // (a constraint's text) instead of a generic one.
        api.reset(stmt_);
        db_.RaiseSQLiteError();
    }
    api.reset(stmt_);
}

void TQorSQLite3Statement::Reset() {
    db_.Api().reset(stmt_);
}

bool TQorSQLite3Statement::Step() {
    const SQLite3Api& api = db_.Api();
    const int rc = api.step(stmt_);
    if (rc == sqlite_api::ROW) return true;
    if (rc == sqlite_api::DONE) return false;
    // The statement's own message comes with the reset.
    api.reset(stmt_);
    db_.RaiseSQLiteError();
}

int TQorSQLite3Statement::ColumnCount() const { return db_.Api().column_count(stmt_); }

std::string TQorSQLite3Statement::ColumnName(int i) const {
    const char* name = db_.Api().column_name(stmt_, i);
    return name ? db_.FromEngineText(name) : std::string();
}

int TQorSQLite3Statement::ColumnType(int i) const { return db_.Api().column_type(stmt_, i); }

std::string TQorSQLite3Statement::ColumnText(int i) const {
    const SQLite3Api& api = db_.Api();
    const unsigned char* t = api.column_text(stmt_, i);
    const std::string_view text = t ? std::string_view(reinterpret_cast<const char*>(t), static_cast<size_t>(api.column_bytes(stmt_, i)))
                                    : std::string_view();
    return db_.FromEngineText(text);
}

double TQorSQLite3Statement::ColumnDouble(int i) const { return db_.Api().column_double(stmt_, i); }

std::string_view TQorSQLite3Statement::ColumnBlob(int i) const {
    const SQLite3Api& api = db_.Api();
    const void* data = api.column_blob(stmt_, i);
    return data ? std::string_view(static_cast<const char*>(data), static_cast<size_t>(api.column_bytes(stmt_, i)))
                : std::string_view();
}
