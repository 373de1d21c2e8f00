#pragma once
#include <string>
#include <string_view>

#include "sqlite/TQorSQLite3DB.h"

// One statement compiled once and run many times with new values, for loops
// that would otherwise compile the same text for every row. It runs on the
// connection's bound entry points and lives no longer than the connection.
class TQorSQLite3Statement {
public:
    // Compiles the first statement of sql; a text that does not compile
    // raises the engine's message, one that holds no statement raises too.
    TQorSQLite3Statement(TQorSQLite3DB& db, const std::string& sql);
    ~TQorSQLite3Statement();
    TQorSQLite3Statement(const TQorSQLite3Statement&) = delete;
    TQorSQLite3Statement& operator=(const TQorSQLite3Statement&) = delete;

    // Positions count from 1. Values follow ExecSQLArgs: an empty text, a
    // boolean and an empty value bind NULL; text is copied by the engine.
    void Bind(int position, const TVarRec& value);
    void BindNull(int position);
    int ParameterCount() const;
    // Steps over any rows until the statement is done, then leaves it ready
    // to run again; the bound values stay until they are bound anew.
    void Execute();
    void Reset();

    // Row by row, for statements that return rows: true while a row is
    // current; a failure raises the engine's message. Text comes back as the
    // program keeps it (through the connection's Windows-1251 switch); views
    // are valid until the next step.
    bool Step();
    int ColumnCount() const;
    std::string ColumnName(int i) const;
    // The engine's type of a value: integer 1, float 2, text 3, blob 4, null 5.
    int ColumnType(int i) const;
    std::string ColumnText(int i) const;
    double ColumnDouble(int i) const;
    std::string_view ColumnBlob(int i) const;

private:
    void Check(int rc);

    TQorSQLite3DB& db_;
    sqlite3_stmt* stmt_ = nullptr;
};
