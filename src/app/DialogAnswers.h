#pragma once
// How the console window answers the events of its dialog components: the
// list of values runs its queries on the connection, and the parameter
// dialog looks values up on the connection and in the list of values.
class QWidget;
class TQorDialog;
class TQorLovS;
class TQorSQLite3DB;

// Each level is a query on db; chained levels get no parameters.
void AnswerLovEvents(TQorLovS& lov, TQorSQLite3DB& db);
// OnLookSql: the first column of the first row of the display query.
// OnLovSql: the list of the query's column "name"; the choice is the chosen
// row's column "val". parent: the window the list shows over when no other
// dialog is open.
void AnswerDialogEvents(TQorDialog& dialog, TQorLovS& lov, TQorSQLite3DB& db, QWidget* parent);
