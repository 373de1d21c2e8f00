#include "app/TDatabaseScripts.h"

#include "base/Exception.h"
#include "console/ConsoleSettings.h"
#include "console/IConsoleHost.h"
#include "dialogs/TQorLovS.h"
#include "sqlite/TQorSQLite3DB.h"

TDatabaseScripts::TDatabaseScripts(TQorSQLite3DB& db, TQorLovS& lov, IConsoleHost& host)
    : db_(db), lov_(lov), host_(host) {}

bool TDatabaseScripts::Save(const std::string& text) {
    if (!db_.TableExists(kTable)) db_.ExecSQL("create table sqls_SQL (name varchar(64), text memo)");
    std::string name;
    if (!host_.AskText(MsgText("Enter", "Enter"), MsgText("NameScript", "Name script for save database"), name) ||
        name.empty())
        return false;
    // Finalized at once: a value statement left stepped would keep the
    // database's read lock until the next value query.
    const int64_t n = db_.SelectInt64("select count(*) from sqls_SQL where name=:name", {Variant(name)}, true);
    if (n == 0)
        db_.ExecSQLArgs("insert into sqls_SQL(name, text) values(:name,:text)", {name, text});
    else
        db_.ExecSQLArgs("update sqls_SQL set text=:text where name=:name", {text, name});
    return true;
}

bool TDatabaseScripts::Load(std::string& text, QWidget* parent) {
    // Without this the list's query would connect to whatever file the
    // connection last named, creating it when it is gone.
    if (!db_.Connected()) throw SLError("Not connected to a database");
    std::string name;
    if (lov_.Execute({{"0", "select name, name from sqls_SQL order by name"}}, "", parent) == TQorLovS::kChosen)
        name = lov_.Value(1).ToString();
    if (name.empty()) return false;
    db_.SelectString("select text from sqls_SQL where name=:name", {Variant(name)}, true, text);
    return true;
}
