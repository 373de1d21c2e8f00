// The XML and HTML exports of a SELECT statement's rows.
#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "base/Platform.h"
#include "base/Utf8.h"
#include "console/DirectiveArgs.h"
#include "console/ExportFile.h"
#include "console/DirectiveRun.h"
#include "console/Directives.h"
#include "console/MarkupText.h"
#include "console/TConsole.h"
#include "dataset/TField.h"

namespace {

// The export file with the escaping of MarkupEscape; text that has nothing
// to escape, which is nearly all of it, is copied without a new string.
class MarkupFile : public ExportFile {
public:
    using ExportFile::ExportFile;
    void AddEscaped(std::string_view s, bool lineBreaks) {
        for (unsigned char c : s) {
            if (c < 0x20 || c == '&' || c == '<' || c == '>' || c == '"') {
                Add(MarkupEscape(s, lineBreaks));
                return;
            }
        }
        Add(s);
    }
};

// The common road of both formats; `write` writes the document from the open query.
template <typename Writer>
void RunMarkupExport(TConsole& console, const std::string& line, const char* kind, Writer write) {
    DirectiveRun run(console);
    const DirectiveArgs args = DirectiveArgs::Parse(line);
    if (!run.MayWrite(args.FileName)) return;
    const std::string statement = args.Option("-select=");
    if (statement.empty()) {
        run.Fail("??? select parameter not defined");
        return;
    }
    console.PrintLine(std::string("Export ") + kind + " file: " + args.FileName);
    run.StartClock();
    TQorSQLite3Query& query = console.Query();
    query.Close();
    query.SetSQLText(statement);
    query.Open();
    MarkupFile file(args.FileName);
    write(file, query, statement);
    file.Finish();
    console.PrintLine("Save " + std::to_string(query.RecordCount()) + " records to " + kind +
                      " from SQLite table: " + statement + run.Elapsed());
}

void WriteXml(MarkupFile& file, TQorSQLite3Query& query, const std::string& statement) {
    TFields& fields = query.Fields();
    // Each field's element tags, made once.
    std::vector<std::string> opens, closes;
    for (int i = 0; i < fields.Count(); ++i) {
        const std::string name = XmlElementName(fields[i]->FieldName());
        opens.push_back("<" + name + ">");
        closes.push_back("</" + name + ">");
    }
    file.Add("<?xml version = \"1.0\" ?>");
    file.EndLine();
    file.Add("<RecordSet SQL=\"");
    file.AddEscaped(statement, true);
    file.Add("\">");
    file.EndLine();
    for (; !query.Eof(); query.Next()) {
        file.Add("<Record>");
        file.EndLine();
        for (int i = 0; i < fields.Count(); ++i) {
            const size_t k = static_cast<size_t>(i);
            file.Add(opens[k]);
            file.AddEscaped(fields[i]->AsString(), true);
            file.Add(closes[k]);
            file.EndLine();
        }
        file.Add("</Record>");
        file.EndLine();
    }
    file.Add("</RecordSet>");
    file.EndLine();
}

void WriteHtml(MarkupFile& file, TQorSQLite3Query& query, const std::string& statement) {
    TFields& fields = query.Fields();
    auto add = [&file](std::string_view line) {
        file.Add(line);
        file.EndLine();
    };
    add("<html>");
    add("<head> <meta charset=\"utf-8\"> <title> DataSet </title> </head>");
    file.Add("<meta name=\"description\" content=\"");
    file.AddEscaped(statement, false);
    add("\">");
    add("<body>");
    add("<table border = \"1\" rows = \"" + std::to_string(query.RecordCount()) +
        "\" bordercolor=\"#000000\" cellspacing=\"0\" cellpadding=\"2\">");
    add("<tr>");
    for (int i = 0; i < fields.Count(); ++i) {
        if (!fields[i]->Visible()) continue;
        file.Add("<th  >");
        file.AddEscaped(fields[i]->DisplayLabel(), false);
        add(" </th>");
    }
    add("</tr>");
    for (query.First(); !query.Eof(); query.Next()) {
        add("<tr>");
        for (int i = 0; i < fields.Count(); ++i) {
            const TField& field = *fields[i];
            if (!field.Visible()) continue;
            file.Add("<td nowrap  >");
            const std::string value = field.DataType() == ftCurrency ? field.DisplayText() : field.AsString();
            if (value.empty()) file.Add("&nbsp");
            else file.AddEscaped(value, false);
            add(" </td>");
        }
        add("</tr>");
    }
    add("</table>");
    add("</body></html>");
}

}  // namespace

void RunXmlExport(TConsole& console, const std::string& line) { RunMarkupExport(console, line, "XML", WriteXml); }

void RunHtmlExport(TConsole& console, const std::string& line) { RunMarkupExport(console, line, "HTML", WriteHtml); }
