#pragma once
// The console's scalar SQL functions. They reach the engine through the
// entry points of the connection that registered them last and is still
// connected (a process-wide reference, dropped when that connection goes).
class TQorSQLite3DB;

namespace sqlite_functions {
void Register(TQorSQLite3DB& db);
void Forget(TQorSQLite3DB& db);
}  // namespace sqlite_functions
