// DBF import into a new table and export of a SELECT statement's rows into a
// new DBF file.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <vector>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/AnsiString.h"
#include "base/Exception.h"
#include "base/DateTime.h"
#include "base/NumberText.h"
#include "base/Platform.h"
#include "base/SingleByteCodePage.h"
#include "base/Utf8.h"
#include "console/DirectiveArgs.h"
#include "console/DirectiveRun.h"
#include "console/Directives.h"
#include "console/TConsole.h"
#include "dataset/TField.h"
#include "dbf/TDbfTab.h"
#include "sqlite/TQorSQLite3Statement.h"

namespace {

bool SupportedDbfType(char type) {
    return type == 'C' || type == 'D' || type == 'N' || type == 'F' || type == 'L';
}

// The names and type letters of a DBF file's descriptors, read without
// opening it as a table: a memo field must be named in a message, not fail
// the open. Names decode as the table would decode them.
std::vector<std::pair<std::string, char>> PeekDbfFields(const std::string& fileName, bool oemAnsi) {
    std::vector<std::pair<std::string, char>> fields;
    std::ifstream in(fileName, std::ios::binary);
    char header[32];
    if (!in.read(header, sizeof header)) return fields;
    const int headerLength = static_cast<unsigned char>(header[8]) | static_cast<unsigned char>(header[9]) << 8;
    const SingleByteCodePage& cp = TDbfTab::FileCodePage(static_cast<unsigned char>(header[29]), oemAnsi);
    char d[32];
    for (int at = 32; at + 32 <= headerLength && in.read(d, 1) && d[0] != '\x0D'; at += 32) {
        if (!in.read(d + 1, 31)) break;
        size_t len = 0;
        while (len < 11 && d[len] != '\0') ++len;
        fields.emplace_back(cp.Decode(std::string_view(d, len)), d[11]);
    }
    return fields;
}

// Upper-case, comma-delimited so that ",NAME," finds one whole name.
bool Listed(const std::string& list, const std::string& name) {
    if (list.empty()) return true;
    std::string key(1, ',');
    key.append(AnsiUpperCase(name)).push_back(',');
    return list.find(key) != std::string::npos;
}


// A savepoint around the inserts: one commit at the end instead of one per
// record, and the rows imported so far stay when the import stops early.
class ImportSavepoint {
public:
    explicit ImportSavepoint(TQorSQLite3DB& db) : db_(db) { db_.ExecSQL("savepoint dbf_import"); }
    ~ImportSavepoint() {
        try {
            db_.ExecSQL("release dbf_import");
        } catch (...) {
            // Nothing more can be done here; the engine keeps the rows.
        }
    }
    ImportSavepoint(const ImportSavepoint&) = delete;
    ImportSavepoint& operator=(const ImportSavepoint&) = delete;

private:
    TQorSQLite3DB& db_;
};

TVarRec ImportValue(const TDbfField& def, const TField& field) {
    switch (def.Type) {
        case 'L': return std::string(field.AsBoolean() && !field.IsNull() ? "T" : "F");
        case 'D':
            // The query layer reads dates back as yyyy-mm-dd.
            if (field.IsNull()) return std::monostate();
            return FormatDateTime("yyyy-mm-dd", field.AsDateTime());
        case 'N':
        case 'F': {
            if (field.IsNull()) return std::monostate();
            const double v = field.AsFloat();
            if (def.Decimals == 0 && std::fabs(v) < 9.0e18) return static_cast<int64_t>(std::llround(v));
            return v;
        }
        default: return field.AsString();
    }
}

// The first character decides; an ill-formed byte counts as the
// Windows-1251 letter it shows as, so legacy text answers as it reads.
bool LogicalTrue(const std::string& text) {
    static constexpr std::u32string_view yes = U"1TtYyДд";
    return !text.empty() && yes.find(DecodeUtf8(text, 0).code) != std::u32string_view::npos;
}

// How the closing line of an export owns up to characters the file's code
// page could not hold; empty when none was lost.
std::string UnmappedNote(int values, int codePage) {
    if (values == 0) return std::string();
    const std::string name = codePage == 1251 ? "Windows-1251" : "CP" + std::to_string(codePage);
    return " (" + std::to_string(values) + (values == 1 ? " value" : " values") + " with characters " + name +
           " lacks written as '?')";
}

// The DBF file an export writes, under a temporary name beside its target
// until it is complete; without Commit the temporary file goes and an older
// target stays as it was.
class PendingFile {
public:
    explicit PendingFile(const std::string& target) : target_(target) {
        std::string pattern = target + ".XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) throw Exception("??? Cannot write file " + target + ": " + std::strerror(errno));
        ::close(fd);
        temp_ = pattern;
    }
    ~PendingFile() {
        if (!committed_) ::unlink(temp_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    const std::string& Temp() const { return temp_; }
    void Commit() {
        if (::rename(temp_.c_str(), target_.c_str()) != 0)
            throw Exception("??? Cannot write file " + target_ + ": " + std::strerror(errno));
        committed_ = true;
    }

private:
    std::string target_, temp_;
    bool committed_ = false;
};

}  // namespace

void RunDbfImport(TConsole& console, const std::string& line) {
    DirectiveRun run(console);
    const DirectiveArgs args = DirectiveArgs::Parse(line);
    if (!run.SourceExists(args.FileName)) return;
    const std::string table = args.TableName();
    const int64_t existing = run.TableRows(table).value_or(0);  // no table yet: 0
    if (existing > 0 && !run.MayReplaceTable(table, existing)) return;
    int32_t limit = -1;
    if (!TryStrToInt(args.Option("-RowNum="), limit)) limit = -1;
    const std::string fieldOption = AnsiUpperCase(args.Option("-Fields="));
    const std::string fieldList = fieldOption.empty() ? std::string() : "," + fieldOption + ",";
    const bool ansi = args.Option("-Ansi=") == "1";

    console.PrintLine("Import DBF file: " + args.FileName);
    run.StartClock();
    for (const auto& [name, type] : PeekDbfFields(args.FileName, !ansi)) {
        if (Listed(fieldList, name) && !SupportedDbfType(type)) {
            run.Fail("??? Field type not support: " + std::string(1, type));
            return;
        }
    }

    TDbfTab dbf;
    dbf.SetReadOnly(true);
    dbf.SetFileName(args.FileName);
    dbf.SetOemAnsi(!ansi);
    dbf.Open();

    std::string columns, names, marks;
    std::vector<int> imported;
    for (int i = 0; i < dbf.DbfFieldCount(); ++i) {
        const TDbfField& f = dbf.DbfField(i);
        if (!Listed(fieldList, f.Name)) continue;
        std::string type;
        switch (f.Type) {
            case 'C': type = "varchar(" + std::to_string(f.Length) + ")"; break;
            case 'D': type = "date"; break;
            case 'N':
            case 'F': type = f.Decimals != 0 ? "money" : "integer"; break;
            case 'L': type = "char(1)"; break;
            default:
                run.Fail("??? Field type not support: " + std::string(1, f.Type));
                return;
        }
        columns += imported.empty() ? "\t " : "\n\t,";
        columns += "\"" + f.Name + "\"\t " + type;
        if (!imported.empty()) {
            names += ",";
            marks += ",";
        }
        names += "\"" + f.Name + "\"";
        marks += "?";
        imported.push_back(i);
    }

    const bool failedBefore = console.CommandError();
    console.RunCommandText("Drop table if exists " + table + ";\nCreate table " + table + " (\n" + columns + "\n)");
    // The script reported its own failure; inserting would only repeat it.
    if (console.CommandError() && !failedBefore) return;

    const std::string insert = "Insert into " + table + "(" + names + ") values (" + marks + ")";
    const int total = dbf.RecordCount();
    const int step = total / 200 + 1;
    int count = 0;
    {
        ImportSavepoint savepoint(console.Session());
        // Compiled at the first record, so that a file without records still
        // runs no statement at all; finalized before the savepoint's release.
        std::optional<TQorSQLite3Statement> statement;
        for (dbf.First(); !dbf.Eof(); dbf.Next()) {
            if (limit > 0 && dbf.RecNo() > limit) break;
            if (!statement) statement.emplace(console.Session(), insert);
            for (size_t k = 0; k < imported.size(); ++k)
                statement->Bind(static_cast<int>(k) + 1,
                                ImportValue(dbf.DbfField(imported[k]), *dbf.Fields()[imported[k]]));
            statement->Execute();
            if (++count % step == 0)
                console.Host().ShowProgress(" Record import: " + std::to_string(dbf.RecNo()) + "/" +
                                            std::to_string(total));
        }
    }
    console.PrintLine("Load " + std::to_string(count) + " records from DBF to SQLite table: " + table + run.Elapsed());
}

void RunDbfExport(TConsole& console, const std::string& line) {
    DirectiveRun run(console);
    const DirectiveArgs args = DirectiveArgs::Parse(line);
    if (!run.MayWrite(args.FileName)) return;
    const std::string statement = args.Option("-select=");
    const bool ansi = args.Option("-Ansi=") == "1";
    if (statement.empty()) {
        run.Fail("??? select parameter not defined");
        return;
    }
    console.PrintLine("Export DBF file: " + args.FileName);
    run.StartClock();

    PendingFile pending(args.FileName);
    TDbfTab dbf;
    dbf.SetReadOnly(false);
    dbf.SetFileName(pending.Temp());
    dbf.SetOemAnsi(!ansi);
    // Nobody reads the new file before it is closed.
    dbf.SetBufferAppends(true);
    dbf.ClearDbfFields();
    TQorSQLite3Query& query = console.Query();
    query.Close();
    query.SetSQLText(statement);
    query.Open();

    TFields& fields = query.Fields();
    std::vector<bool> logical;
    for (int i = 0; i < fields.Count(); ++i) {
        const TField& field = *fields[i];
        const TFieldDef* def = i < query.FieldDefs().Count() ? &query.FieldDefs()[i] : nullptr;
        const std::string& name = field.FieldName();
        bool isLogical = false;
        switch (field.DataType()) {
            case ftString:
            case ftWideString:
                if (field.Size() == 1 && name.find('#') != std::string::npos) {
                    dbf.AddField(ReplaceAll(name, "#", ""), 'L', 0, 1);
                    isLogical = true;
                } else {
                    dbf.AddField(name, 'C', 0, std::clamp(field.Size(), 1, 255));
                }
                break;
            case ftSmallint:
            case ftInteger:
            case ftWord:
            case ftLargeint: dbf.AddField(name, 'N', def ? def->Precision() : 0, 18); break;
            case ftFloat:
            case ftCurrency:
            case ftBCD: {
                // Without a declared scale, 4 decimals keep fractions a whole-number
                // field would round away.
                const int precision = def && def->Precision() > 0 ? def->Precision() : 4;
                dbf.AddField(name, 'N', precision, 18);
                break;
            }
            case ftDate:
            case ftTime:
            case ftDateTime: dbf.AddField(name, 'D', 0, 8); break;
            default:
                run.Fail("??? Field type not support: " + name + " (" + FieldTypeName(field.DataType()) + ")");
                return;
        }
        logical.push_back(isLogical);
    }

    dbf.CreateTable();
    dbf.Open();
    for (; !query.Eof(); query.Next()) {
        dbf.Append();
        for (int i = 0; i < fields.Count(); ++i) {
            TField& target = *dbf.Fields()[i];
            if (logical[static_cast<size_t>(i)]) {
                const std::string text = fields[i]->AsString();
                if (text.empty()) target.Clear();
                else target.SetAsBoolean(LogicalTrue(text));
            } else {
                target.SetValue(fields[i]->Value());
            }
        }
        dbf.Post();
        if (dbf.RecordCount() % 20 == 0)
            console.Host().ShowProgress(" Record export: " + std::to_string(dbf.RecordCount()));
    }
    const int saved = dbf.RecordCount();
    const int codePage = dbf.CodePage().Number();
    // Closing writes the last block of records: the file is complete, or its
    // error reported, before the count is announced.
    dbf.Close();
    pending.Commit();
    console.PrintLine("Save " + std::to_string(saved) + " records to DBF from SQLite table: " + statement +
                      run.Elapsed() + UnmappedNote(dbf.UnmappedValues(), codePage));
}

void InstallExportImportDirectives(TConsole& console) {
    console.SetDirectiveHandler(TConsole::Directive::DbfImport, RunDbfImport);
    console.SetDirectiveHandler(TConsole::Directive::DbfExport, RunDbfExport);
    console.SetDirectiveHandler(TConsole::Directive::XmlExport, RunXmlExport);
    console.SetDirectiveHandler(TConsole::Directive::HtmlExport, RunHtmlExport);
    console.SetDirectiveHandler(TConsole::Directive::CsvImport, RunCsvImport);
    console.SetDirectiveHandler(TConsole::Directive::CsvExport, RunCsvExport);
    console.SetDirectiveHandler(TConsole::Directive::JsonExport, RunJsonExport);
}
