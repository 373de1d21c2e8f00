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
