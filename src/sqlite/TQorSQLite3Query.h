#pragma once
#include <cstdint>
#include <string>

#include "base/TStrings.h"
#include "sqlite/TQorSQLite3BaseQuery.h"

// A query with its SQL text: ":name" parameters are collected when the text
// changes and written into the statement, quoted, when it opens.
//
// Posting and deleting write to the database first: an UPDATE of the changed
// fields, an INSERT of the non-empty ones or a DELETE, each on SQLTable with
// SQLWhere (":name" parameters naming fields) as the row's condition. Only
// once the engine took the statement does the row in the result change; a
// failure leaves the result as it was and the record in its edit state.
class TQorSQLite3Query : public TQorSQLite3BaseQuery {
public:
    explicit TQorSQLite3Query(TComponent* owner = nullptr);
    ~TQorSQLite3Query() override;

    TStringList& SQL() { return sql_; }
    void SetSQL(const TStrings& lines);
    // Sets the lines from one text (split at line breaks).
    void SetSQLText(std::string_view text) { sql_.SetText(text); }
    bool RawSQL() const { return rawSQL_; }
    void SetRawSQL(bool v);
    // The text with each parameter replaced by '?'.
    const std::string& PreparedSQL() const { return prepared_; }

    void MasterChanged() override;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalPost() override;
    void InternalDelete() override;

private:
    // Compiles a generated statement, binds it, steps it once and checks
    // that it touched a row when it must have.
    class Writer;
    TQorSQLite3DB& WritableConnection(const char* refusal);
    // Stores a row id the database chose into a field of the record.
    void SetRowid(TField* field, int64_t id);
    void SQLChanged();
    std::string SubstituteParams(const std::string& text) const;

    TStringList sql_;
    bool rawSQL_ = false;
    std::string prepared_;
};
