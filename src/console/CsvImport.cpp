// Import of a CSV file into a table, new or existing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "base/AnsiString.h"
#include "base/NumberText.h"
#include "base/Platform.h"
#include "base/Utf8.h"
#include "console/CsvReader.h"
#include "console/DirectiveArgs.h"
#include "console/DirectiveRun.h"
#include "console/Directives.h"
#include "console/TConsole.h"
#include "sqlite/TQorSQLite3Statement.h"

namespace {


std::string QuoteName(const std::string& name) { return "\"" + ReplaceAll(name, "\"", "\"\"") + "\""; }

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// A field as the value it is bound as: a number when the engine would give
// back exactly the same text for the number (42, -3, 0.5, 3.0), text
// otherwise (007, 12.50, 1e3, +1, " 42"); an empty field is NULL.
TVarRec FieldValue(const std::string& text) {
    if (text.empty()) return std::monostate();
    const std::string_view digits = text[0] == '-' ? std::string_view(text).substr(1) : std::string_view(text);
    const size_t point = digits.find('.');
    const std::string_view whole = digits.substr(0, point);
    // No leading zeros, and no "-0": neither reads back as written.
    if (!AllDigits(whole) || (whole.size() > 1 && whole[0] == '0')) return text;
    if (point == std::string_view::npos) {
        int64_t v = 0;
        if (text == "-0" || !TryStrToInt64(text, v)) return text;
        return v;
    }
    if (!AllDigits(digits.substr(point + 1))) return text;
    const double v = std::strtod(text.c_str(), nullptr);
    // The engine writes a real with 15 significant digits and keeps a
    // ".0" on a whole one.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    std::string back = buffer;
    if (back.find_first_of(".e") == std::string::npos) back += ".0";
    if (back != text) return text;
    return v;
}


}  // namespace

void RunCsvImport(TConsole& console, const std::string& line) {
    DirectiveRun run(console);
    const DirectiveArgs args = DirectiveArgs::Parse(line);
    if (!run.SourceExists(args.FileName)) return;
    const std::string table = args.TableName();
    const std::optional<char> delimiter = args.Delimiter();
    if (!delimiter) {
        run.Fail("??? Delimiter must be one character or the word tab");
        return;
    }
    const std::string headerOption = args.Option("-Header=");
    if (!headerOption.empty() && headerOption != "0" && headerOption != "1") {
        run.Fail("??? Header must be 1 or 0: " + headerOption);
        return;
    }
    const bool header = headerOption != "0";
    const std::string encoding = args.Option("-Encoding=");
    const bool cp1251 = SameText(encoding, "1251") || SameText(encoding, "cp1251") ||
                        SameText(encoding, "windows-1251");
    if (!cp1251 && !encoding.empty() && !SameText(encoding, "utf-8") && !SameText(encoding, "utf8")) {
        run.Fail("??? Encoding not supported: " + encoding + " (utf-8 or 1251)");
        return;
    }
    int32_t limit = -1;
    if (!TryStrToInt(args.Option("-RowNum="), limit)) limit = -1;

    std::string text;
    if (!ReadFileBytes(args.FileName, text)) {
        run.Fail("??? File cannot be read: " + args.FileName);
        return;
    }
    if (cp1251) {
        text = Cp1251ToUtf8(text);
    } else {
        const size_t bad = FirstInvalidUtf8(text);
        if (bad != text.size()) {
            const size_t lineNo = static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<long>(bad), '\n')) + 1;
            run.Fail("??? File is not UTF-8 (line " + std::to_string(lineNo) +
                     "); a Windows-1251 file needs -Encoding=1251: " + args.FileName);
            return;
        }
    }

    CsvReader reader(text, *delimiter);
    std::vector<std::string> record;
    std::vector<std::string> names;
    bool pending = false;  // the first record is data, already read
    try {
        if (reader.Next(record)) {
            if (header) {
                names = record;
            } else {
                for (size_t i = 1; i <= record.size(); ++i) names.push_back("c" + std::to_string(i));
                pending = true;
            }
        }
    } catch (const CsvError& e) {
        run.Fail(std::string("??? ") + e.what());
        return;
    }
    if (names.empty()) {
        run.Fail("??? File holds no records: " + args.FileName);
        return;
    }

    // The columns imported, in the file's order; -Fields names them in any
    // letter case.
    std::vector<size_t> imported;
    const std::string fieldOption = args.Option("-Fields=");
    std::vector<std::string> wanted;
    for (size_t start = 0; !fieldOption.empty() && start <= fieldOption.size();) {
        const size_t comma = std::min(fieldOption.find(',', start), fieldOption.size());
        wanted.push_back(Utf8UpperCase(Trim(std::string_view(fieldOption).substr(start, comma - start))));
        start = comma + 1;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        bool take = wanted.empty();
        for (const std::string& w : wanted) take = take || w == Utf8UpperCase(names[i]);
        if (take) imported.push_back(i);
    }
    if (imported.empty()) {
        run.Fail("??? None of the fields listed is in the file: " + fieldOption);
        return;
    }

    // Yes replaces the table, as the DBF import does; No appends to it.
    const std::optional<int64_t> existing = run.TableRows(table);
    const bool replace = existing && *existing > 0 && run.MayReplaceTable(table, *existing);
    const bool create = !existing || replace;

    console.PrintLine("Import CSV file: " + args.FileName);
    run.StartClock();

    std::string columns, marks;
    for (size_t k = 0; k < imported.size(); ++k) {
        columns += (k ? "," : "") + QuoteName(names[imported[k]]);
        marks += k ? ",?" : "?";
    }

    TQorSQLite3DB& db = console.Session();
    // One savepoint holds the whole import, the table's replacement with it:
    // a stop rolls it all back and leaves the database as it was.
    db.ExecSQL("savepoint csv_import");
    int count = 0;
    try {
        if (replace) db.ExecSQL("drop table " + table);
        if (create) db.ExecSQL("create table " + table + " (" + columns + ")");
        TQorSQLite3Statement statement(db, "insert into " + table + " (" + columns + ") values (" + marks + ")");
        while (limit <= 0 || count < limit) {
            if (!pending && !reader.Next(record)) break;
            pending = false;
            if (record.size() != names.size())
                throw CsvError("Record on line " + std::to_string(reader.RecordLine()) + " has " +
                                   std::to_string(record.size()) + " fields, " +
                                   (header ? "the header " : "the first record ") + std::to_string(names.size()) +
                                   ": nothing imported",
                               reader.RecordLine());
            for (size_t k = 0; k < imported.size(); ++k)
                statement.Bind(static_cast<int>(k) + 1, FieldValue(record[imported[k]]));
            statement.Execute();
            if (++count % 1000 == 0)
                console.Host().ShowProgress(" Record import: " + std::to_string(count) + " (" +
                                            std::to_string(reader.Position() * 100 / text.size()) + "%)");
        }
    } catch (const std::exception& e) {
        try {
            db.ExecSQL("rollback to csv_import");
            db.ExecSQL("release csv_import");
        } catch (...) {
            // The message below is the one that matters.
        }
        if (dynamic_cast<const CsvError*>(&e)) {
            run.Fail(std::string("??? ") + e.what());
            return;
        }
        throw;
    }
    db.ExecSQL("release csv_import");
    console.PrintLine("Load " + std::to_string(count) + " records from CSV to SQLite table: " + table + run.Elapsed());
}
