#include "console/InternalTools.h"

#include <memory>

#include "base/AnsiString.h"
#include "base/TStrings.h"
#include "base/Utf8.h"
#include "console/TConsole.h"

namespace {

// The text padded with blanks to exactly `cells` screen cells, cut first
// when it is wider (never inside a character).
std::string PadCells(std::string_view text, int cells) {
    std::string s(CutToCells(text, cells));
    const int width = DisplayWidth(s);
    if (width < cells) s.append(static_cast<size_t>(cells - width), ' ');
    return s;
}

void PrintNames(TConsole& console, const char* type, const char* title, bool qualify) {
    TStringList names;
    console.Session().GetObjectNames(type, names, qualify);
    console.PrintLine(ToolHeader(title, names.Count()));
    console.PrintLine(Trim(names.Text()));
}

void PrintTableInfo(TConsole& console) {
    TStringList tables;
    console.Session().GetObjectNames("table", tables, false);
    console.PrintLine(ToolHeader("Tables: (", tables.Count()));
    for (int t = 0; t < tables.Count(); ++t) {
        const std::string table = tables[t];
        std::vector<std::unique_ptr<TQorQLite3Field>> fields;
        console.Session().GetTableInfo(table, fields);
        console.PrintLine("create table " + table + " (");
        for (size_t i = 0; i < fields.size(); ++i) {
            const TQorQLite3Field& f = *fields[i];
            std::string line = "  ";
            line += i == 0 ? ' ' : ',';
            line += PadCells(f.name, 24);
            line += ' ';
            line += PadCells(f.type, 16);
            line += ' ';
            if (f.notnull) line += "NOT NULL";
            line += ' ';
            if (!f.dflt_value.empty()) line += " defaul " + f.dflt_value;
            console.PrintLine(line);
        }
        console.PrintLine(");");
    }
}

void PrintPragmas(TConsole& console) {
    struct Pragma {
        const char* sql;
        const char* label;
    };
    static const Pragma kPragmas[] = {
        {"PRAGMA encoding              ", " encoding                 = "},
        {"PRAGMA auto_vacuum           ", " auto_vacuum              = "},
        {"PRAGMA cache_size            ", " cache_size               = "},
        {"PRAGMA default_cache_size    ", " default_cache_size       = "},
        {"PRAGMA case_sensitive_like   ", " case_sensitive_like      = "},
        {"PRAGMA count_changes         ", " count_changes            = "},
        {"PRAGMA empty_result_callbacks", " empty_result_callbacks   = "},
        {"PRAGMA full_column_names     ", " full_column_names        = "},
        {"PRAGMA fullfsync             ", " fullfsync                = "},
        {"PRAGMA page_size             ", " page_size                = "},
        {"PRAGMA read_uncommitted      ", " read_uncommitted         = "},
        {"PRAGMA short_column_names    ", " short_column_names       = "},
        {"PRAGMA synchronous           ", " synchronous(f=2 n=1 o=0) = "},
        {"PRAGMA temp_store            ", " temp_store(d=0 f=1 m=2)  = "},
        {"PRAGMA temp_store_directory  ", " temp_store_directory     = "},
        {"PRAGMA schema_version        ", " schema_version           = "},
        {"PRAGMA user_version          ", " user_version             = "},
    };
    // Every value is read before anything is printed: the lines go out in
    // one piece.
    std::string text = "PRAGMA" + std::string(34, '-');
    for (const Pragma& p : kPragmas) {
        std::string value;
        console.Session().SelectString(p.sql, {}, true, value);
        text += "\n";
        text += p.label;
        text += value;
    }
    console.PrintLine(text);
}

void ShowEnvironment(TConsole& console) {
    const std::string text = console.ProcessEnvironment().Text() + console.LocalEnvironment().Text();
    console.Host().ShowTextSized("Environment variables", text, 0.8, 0.5);
}

}  // namespace

const std::vector<std::string>& InternalToolNames() {
    static const std::vector<std::string> kNames = {
        "Get Table names", "Get View names", "Get Index names", "Get Trigger names",
        "Get Table Info",  "SQLite_Master",  "Pragma",          "Environment variables",
    };
    return kNames;
}

std::string ToolHeader(const std::string& title, int count) {
    std::string s = title + std::to_string(count) + ") ";
    if (s.size() < 40) s.append(40 - s.size(), '-');
    return std::string(CharSubstr(s, 0, 40));
}

void RunInternalTool(TConsole& console, int index) {
    switch (index) {
        case 0: PrintNames(console, "table", "Tables: (", false); break;
        case 1: PrintNames(console, "view", "Views: (", false); break;
        case 2: PrintNames(console, "index", "Indexes: (", true); break;
        case 3: PrintNames(console, "trigger", "Triggers: (", true); break;
        case 4: PrintTableInfo(console); break;
        case 5: console.RunSelect("select * from sqlite_master order by type,name"); break;
        case 6: PrintPragmas(console); break;
        case 7: ShowEnvironment(console); break;
        default: break;
    }
}
