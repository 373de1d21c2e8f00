#pragma once
// Scripts kept inside the connected database, in the table sqls_SQL (one row
// per name), so that they travel with the database file: "Save to database"
// and "Load from database" of the window's menu.
#include <string>

class IConsoleHost;
class QWidget;
class TQorLovS;
class TQorSQLite3DB;

class TDatabaseScripts {
public:
    static constexpr const char* kTable = "sqls_SQL";

    // host asks for the name; lov lists the names.
    TDatabaseScripts(TQorSQLite3DB& db, TQorLovS& lov, IConsoleHost& host);

    // Creates the table when it is missing, asks for a name and stores text
    // under it, replacing the text of a script of that name. False when the
    // user gave no name. Failures (no connection, a failing statement) are
    // raised.
    bool Save(const std::string& text);
    // Lists the names; when the user picks one, true with its text. Raises
    // the engine's message when there is no table.
    bool Load(std::string& text, QWidget* parent);

private:
    TQorSQLite3DB& db_;
    TQorLovS& lov_;
    IConsoleHost& host_;
};
