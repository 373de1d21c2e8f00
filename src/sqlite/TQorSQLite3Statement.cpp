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

void TQorSQLite3Statement::Bind(int position, const TVarRec& value) {
    const SQLite3Api& api = db_.Api();
    const int rc = std::visit(
        [&](const auto& v) -> int {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, int32_t>) {
                return api.bind_int(stmt_, position, v);
            } else if constexpr (std::is_same_v<T, int64_t>) {
                return api.bind_int64(stmt_, position, v);
            } else if constexpr (std::is_same_v<T, double>) {
                return api.bind_double(stmt_, position, v);
            } else if constexpr (std::is_same_v<T, Currency>) {
                return api.bind_double(stmt_, position, static_cast<double>(v.scaled) / 10000.0);
            } else if constexpr (std::is_same_v<T, char>) {
                return api.bind_text(stmt_, position, &v, 1, sqlite_api::Transient());
            } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, const char*>) {
                std::string_view view;
                if constexpr (std::is_same_v<T, std::string>)
                    view = v;
                else if (v)
                    view = v;
                if (view.empty()) return api.bind_null(stmt_, position);
                if (!db_.Cp1251Text())
                    return api.bind_text(stmt_, position, view.data(), static_cast<int>(view.size()),
                                         sqlite_api::Transient());
                const std::string text = db_.ToEngineText(view);
                return api.bind_text(stmt_, position, text.data(), static_cast<int>(text.size()),
                                     sqlite_api::Transient());
            } else {
                return api.bind_null(stmt_, position);
            }
        },
        value);
    Check(rc);
}

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
