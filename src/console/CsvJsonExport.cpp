// The CSV and JSON exports of a SELECT statement's rows. Values are written
// as the engine gives them: numbers in the engine's own text (nothing is
// rounded), NULL as an empty CSV field or JSON null, blobs as hexadecimal.
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "console/DirectiveArgs.h"
#include "console/DirectiveRun.h"
#include "console/Directives.h"
#include "console/ExportFile.h"
#include "console/TConsole.h"
#include "sqlite/TQorSQLite3Statement.h"

namespace {

enum ColumnType { kInteger = 1, kFloat = 2, kText = 3, kBlob = 4, kNull = 5 };

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out.push_back(kDigits[u >> 4]);
        out.push_back(kDigits[u & 15]);
    }
    return out;
}

// A float as the shortest text that reads back as exactly the same value
// (the engine's own text keeps 15 digits and would round); a whole number
// keeps its ".0" so that it still reads as a float.
std::string FloatText(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string text(buf, r.ptr);
    if (text.find_first_of(".eEni") == std::string::npos) text += ".0";
    return text;
}

// One CSV field: quoted only when it holds the delimiter, a quote or a line
// break (RFC 4180); quotes inside are doubled.
void AddCsvField(ExportFile& file, std::string_view value, char delimiter) {
    if (value.find_first_of(std::string{delimiter, '"', '\r', '\n'}) == std::string_view::npos) {
        file.Add(value);
        return;
    }
    file.Add('"');
    for (const char c : value) {
        if (c == '"') file.Add('"');
        file.Add(c);
    }
    file.Add('"');
}

// A JSON string: quotes, backslashes and control characters escaped.
void AddJsonString(ExportFile& file, std::string_view value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    file.Add('"');
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"': file.Add("\\\""); break;
            case '\\': file.Add("\\\\"); break;
            case '\n': file.Add("\\n"); break;
            case '\r': file.Add("\\r"); break;
            case '\t': file.Add("\\t"); break;
            default:
                if (u < 0x20) {
                    const char esc[] = {'\\', 'u', '0', '0', kDigits[u >> 4], kDigits[u & 15]};
                    file.Add(std::string_view(esc, sizeof esc));
                } else {
                    file.Add(c);
                }
        }
    }
    file.Add('"');
}

// The road both exports share: the question, the statement, the row loop
// with interrupts and the progress note, the closing line.
template <typename Writer>
void RunTextExport(TConsole& console, const std::string& line, const char* kind, Writer write) {
    DirectiveRun run(console);
    const DirectiveArgs args = DirectiveArgs::Parse(line);
    const std::string statement = args.Option("-select=");
    if (statement.empty()) {
        run.Fail("??? select parameter not defined");
        return;
    }
    if (!run.MayWrite(args.FileName)) return;
    console.PrintLine(std::string("Export ") + kind + " file: " + args.FileName);
    run.StartClock();
    TQorSQLite3DB& db = console.Session();
    TQorSQLite3Statement query(db, statement);
    ExportFile file(args.FileName);
    int64_t rows = 0;
    write(file, query, [&] {
        // Each row lets Ctrl+C through, as a fetch does.
        if (db.OnFetchRows) db.OnFetchRows(nullptr, static_cast<int32_t>(rows));
        if (++rows % 1000 == 0) console.Host().ShowProgress(" Record export: " + std::to_string(rows));
    });
    file.Finish();
    console.PrintLine("Save " + std::to_string(rows) + " records to " + kind + " from SQLite table: " + statement +
                      run.Elapsed());
}

}  // namespace

void RunCsvExport(TConsole& console, const std::string& line) {
    const DirectiveArgs args = DirectiveArgs::Parse(line);
    const std::optional<char> delim = args.Delimiter();
    if (!delim) {
        DirectiveRun(console).Fail("??? Delimiter must be one character or the word tab");
        return;
    }
    const char delimiter = *delim;
    const bool header = args.Option("-Header=") != "0";
    RunTextExport(console, line, "CSV", [&](ExportFile& file, TQorSQLite3Statement& q, auto rowDone) {
        const int n = q.ColumnCount();
        if (header) {
            for (int i = 0; i < n; ++i) {
                if (i > 0) file.Add(delimiter);
                AddCsvField(file, q.ColumnName(i), delimiter);
            }
            file.EndLine();
        }
        while (q.Step()) {
            for (int i = 0; i < n; ++i) {
                if (i > 0) file.Add(delimiter);
                switch (q.ColumnType(i)) {
                    case kNull: break;
                    case kBlob: file.Add(Hex(q.ColumnBlob(i))); break;
                    case kFloat: file.Add(FloatText(q.ColumnDouble(i))); break;
                    default: AddCsvField(file, q.ColumnText(i), delimiter);
                }
            }
            file.EndLine();
            rowDone();
        }
    });
}

void RunJsonExport(TConsole& console, const std::string& line) {
    RunTextExport(console, line, "JSON", [&](ExportFile& file, TQorSQLite3Statement& q, auto rowDone) {
        const int n = q.ColumnCount();
        std::vector<std::string> keys;
        for (int i = 0; i < n; ++i) keys.push_back(q.ColumnName(i));
        file.Add('[');
        bool first = true;
        while (q.Step()) {
            file.Add(first ? "{" : ",{");
            first = false;
            for (int i = 0; i < n; ++i) {
                if (i > 0) file.Add(',');
                AddJsonString(file, keys[static_cast<size_t>(i)]);
                file.Add(':');
                switch (q.ColumnType(i)) {
                    case kNull: file.Add("null"); break;
                    case kInteger: file.Add(q.ColumnText(i)); break;
                    case kFloat: {
                        // JSON has no Inf or NaN: those are written as null.
                        const double v = q.ColumnDouble(i);
                        file.Add(std::isfinite(v) ? FloatText(v) : std::string("null"));
                        break;
                    }
                    case kBlob: AddJsonString(file, Hex(q.ColumnBlob(i))); break;
                    default: AddJsonString(file, q.ColumnText(i));
                }
            }
            file.Add('}');
            file.EndLine();
            rowDone();
        }
        file.Add(']');
        file.EndLine();
    });
}
