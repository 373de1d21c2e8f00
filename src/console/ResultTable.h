#pragma once
#include <string>
#include <vector>

class TDataSet;
class TField;
struct ConsoleSettings;

// The fixed-width text table the console prints for a result: each column's
// width and alignment follow its field's type, CharLong and WidthFld; every
// cell is followed by one blank.
class ResultTable {
public:
    ResultTable(TDataSet& dataSet, const ConsoleSettings& settings);

    std::string HeaderLine() const;
    std::string DashLine() const;
    // The current record's line, built into `line` (its capacity is reused).
    void RowLine(std::string& line) const;

    struct Column {
        TField* field;
        int width;
        bool right;
    };
    const std::vector<Column>& Columns() const { return columns_; }

private:
    std::vector<Column> columns_;
};
