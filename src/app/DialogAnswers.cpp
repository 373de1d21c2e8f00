#include "app/DialogAnswers.h"

#include <memory>

#include <QApplication>
#include <QWidget>

#include "base/Exception.h"
#include "dialogs/TQorDialog.h"
#include "dialogs/TQorLovS.h"
#include "sqlite/TQorSQLite3DB.h"
#include "sqlite/TQorSQLite3Query.h"

namespace {
TQorSQLite3Query& QueryOf(TDataSet& ds) { return static_cast<TQorSQLite3Query&>(ds); }
}  // namespace

void AnswerLovEvents(TQorLovS& lov, TQorSQLite3DB& db) {
    lov.onGetDataSet = [&db] {
        auto query = std::make_unique<TQorSQLite3Query>();
        query->SetConnection(&db);
        return std::unique_ptr<TDataSet>(std::move(query));
    };
    lov.onSetSQL = [](TDataSet& ds, const std::string& sql) { QueryOf(ds).SetSQLText(sql); };
    lov.onGetSQL = [](TDataSet& ds) { return QueryOf(ds).SQL().Text(); };
    lov.onGetParamCount = [](TDataSet& ds) { return QueryOf(ds).Params().Count(); };
    lov.onSetParamNum = [](TDataSet&, int, const TQorLovS&) {};
    lov.onSetParamName = [](TDataSet&, const std::string&, const Variant&) {};
    lov.onOpenDS = [&db](TDataSet& ds, const TQorLovS&) {
        // A query connects by itself when opened; a list must not open (or
        // create) the file the connection last named behind the user's back.
        if (!db.Connected()) throw SLError("Not connected to a database");
        ds.Open();
        return true;
    };
}

void AnswerDialogEvents(TQorDialog& dialog, TQorLovS& lov, TQorSQLite3DB& db, QWidget* parent) {
    dialog.OnLookSql = [&db](const std::string& sql) {
        std::string text;
        db.SelectString(sql, {}, true, text);
        return text;
    };
    dialog.OnLovSql = [&lov, parent](const std::string& sql, Variant& value) {
        QWidget* over = QApplication::activeModalWidget();
        if (lov.Execute({{"name", sql}}, "", over ? over : parent) != TQorLovS::kChosen) return false;
        value = Variant(lov.Value("val").ToString());
        return true;
    };
}
