#include "console/ResultTable.h"

#include <algorithm>

#include "base/Utf8.h"
#include "console/ConsoleSettings.h"
#include "dataset/TDataSet.h"
#include "dataset/TField.h"

namespace {

// Widths count screen cells: a wide character takes two, a combining mark
// none, and a cut never splits a character.
void Cell(std::string& line, std::string_view text, int width, bool right) {
    int used = 0;
    const size_t len = CellPrefix(text, std::max(width, 0), &used);
    const size_t pad = static_cast<size_t>(std::max(width, 0) - used);
    if (right) line.append(pad, ' ');
    line.append(text.data(), len);
    if (!right) line.append(pad, ' ');
    line.push_back(' ');
}

}  // namespace

ResultTable::ResultTable(TDataSet& ds, const ConsoleSettings& settings) {
    for (int i = 0; i < ds.FieldCount(); ++i) {
        TField* f = ds.Fields()[i];
        const int declared = i < ds.FieldDefs().Count() ? ds.FieldDefs()[i].Size() : f->Size();
        int width = 0;
        bool right = false;
        switch (f->DataType()) {
            case ftSmallint:
            case ftInteger:
            case ftWord:
            case ftLargeint:
                width = declared ? declared + 1 : 14;
                right = true;
                break;
            case ftFloat:
            case ftCurrency:
            case ftBCD:
                width = declared ? declared + 1 : 21;
                right = true;
                break;
            case ftDate: width = 10; break;
            case ftTime: width = 8; break;
            case ftDateTime: width = 19; break;
            case ftString:
            // A declared size may be as large as an int holds.
            case ftWideString: width = declared >= settings.CharLong ? settings.CharLong : declared + 1; break;
            case ftBoolean: width = std::min(settings.CharLong, 2); break;
            default: width = 0;  // memo and other large objects
        }
        if (settings.WidthFld) width = std::max(width, DisplayWidth(f->DisplayName()));
        columns_.push_back({f, width, right});
    }
}

std::string ResultTable::HeaderLine() const {
    std::string line;
    for (const Column& c : columns_) Cell(line, c.field->DisplayName(), c.width, false);
    return line;
}

std::string ResultTable::DashLine() const {
    std::string line;
    for (const Column& c : columns_) {
        line.append(static_cast<size_t>(std::max(c.width, 0)), '-');
        line.push_back(' ');
    }
    return line;
}

void ResultTable::RowLine(std::string& line) const {
    line.clear();
    for (const Column& c : columns_) {
        if (c.width <= 0) {
            line.push_back(' ');
            continue;
        }
        Cell(line, c.field->AsString(), c.width, c.right);
    }
}
