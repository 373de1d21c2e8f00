// The XML and HTML exports of a SELECT statement's rows.
#include <cerrno>
#include <cstring>
#include <fstream>

#include "base/CodePage.h"
#include "base/Exception.h"
#include "console/DirectiveArgs.h"
#include "console/DirectiveRun.h"
#include "console/Directives.h"
#include "console/MarkupText.h"
#include "console/TConsole.h"
#include "dataset/TField.h"

namespace {

constexpr const char* kCrLf = "\r\n";

// The file in one piece, as UTF-8: a document without an encoding
// declaration is read as UTF-8, and the program's bytes are Windows-1251.
void WriteTextFile(const std::string& fileName, const std::string& ansiText) {
    const std::string bytes = AnsiToUtf8Text(ansiText);
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    if (!out) throw Exception("??? Cannot write file " + fileName + ": " + std::strerror(errno));
}

// The common road of both formats; `write` makes the text from the open query.
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
    WriteTextFile(args.FileName, write(query, statement));
    console.PrintLine("Save " + std::to_string(query.RecordCount()) + " records to " + kind +
                      " from SQLite table: " + statement + run.Elapsed());
}

std::string XmlText(TQorSQLite3Query& query, const std::string& statement) {
    TFields& fields = query.Fields();
    std::vector<std::string> names;
    for (int i = 0; i < fields.Count(); ++i) names.push_back(XmlElementName(fields[i]->FieldName()));
    std::string text;
    text += "<?xml version = \"1.0\" ?>";
    text += kCrLf;
    text += "<RecordSet SQL=\"" + MarkupEscape(statement, true) + "\">" + kCrLf;
    for (; !query.Eof(); query.Next()) {
        text += "<Record>";
        text += kCrLf;
        for (int i = 0; i < fields.Count(); ++i) {
            const std::string& name = names[static_cast<size_t>(i)];
            text += "<" + name + ">" + MarkupEscape(fields[i]->AsString(), true) + "</" + name + ">" + kCrLf;
        }
        text += "</Record>";
        text += kCrLf;
    }
    text += "</RecordSet>";
    text += kCrLf;
    return text;
}

std::string HtmlCell(const TField& field) {
    std::string value = field.DataType() == ftCurrency ? field.DisplayText() : field.AsString();
    return value.empty() ? std::string("&nbsp") : MarkupEscape(value, false);
}

std::string HtmlText(TQorSQLite3Query& query, const std::string& statement) {
    TFields& fields = query.Fields();
    std::string text;
    auto add = [&text](const std::string& line) { text += line + kCrLf; };
    add("<html>");
    add("<head> <title> DataSet </title> </head>");
    add("<meta name=\"description\" content=\"" + MarkupEscape(statement, false) + "\">");
    add("<body>");
    add("<table border = \"1\" rows = \"" + std::to_string(query.RecordCount()) +
        "\" bordercolor=\"#000000\" cellspacing=\"0\" cellpadding=\"2\">");
    add("<tr>");
    for (int i = 0; i < fields.Count(); ++i)
        if (fields[i]->Visible()) add("<th  >" + MarkupEscape(fields[i]->DisplayLabel(), false) + " </th>");
    add("</tr>");
    for (query.First(); !query.Eof(); query.Next()) {
        add("<tr>");
        for (int i = 0; i < fields.Count(); ++i)
            if (fields[i]->Visible()) add("<td nowrap  >" + HtmlCell(*fields[i]) + " </td>");
        add("</tr>");
    }
    add("</table>");
    add("</body></html>");
    return text;
}

}  // namespace

void RunXmlExport(TConsole& console, const std::string& line) { RunMarkupExport(console, line, "XML", XmlText); }

void RunHtmlExport(TConsole& console, const std::string& line) { RunMarkupExport(console, line, "HTML", HtmlText); }
