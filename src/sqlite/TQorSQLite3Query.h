#pragma once
#include <string>

#include "base/TStrings.h"
#include "sqlite/TQorSQLite3BaseQuery.h"

// A query with its SQL text: ":name" parameters are collected when the text
// changes and written into the statement, quoted, when it opens.
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

private:
    void SQLChanged();
    std::string SubstituteParams(const std::string& text) const;

    TStringList sql_;
    bool rawSQL_ = false;
    std::string prepared_;
};
