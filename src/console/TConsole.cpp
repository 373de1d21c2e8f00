#include "console/TConsole.h"

#include <unistd.h>

#include <cctype>

#include "base/AnsiString.h"
#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "base/Platform.h"
#include "base/Utf8.h"
#include "console/CommandText.h"
#include "console/Directives.h"
#include "console/ResultTable.h"

extern char** environ;

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x008000;

using Clock = std::chrono::steady_clock;

// Rest begins with `prefix`, letter case ignored (ANSI), after skipping the
// characters below code 33 when `skipBlanks` is set. Only the prefix's length
// of the text is looked at.
bool StartsWith(std::string_view rest, std::string_view prefix, bool skipBlanks) {
    size_t i = 0;
    if (skipBlanks)
        while (i < rest.size() && static_cast<unsigned char>(rest[i]) < 33) ++i;
    if (rest.size() - i < prefix.size()) return false;
    for (size_t k = 0; k < prefix.size(); ++k)
        if (AnsiUpperChar(rest[i + k]) != prefix[k]) return false;
    return true;
}

// The first 32 characters without blanks and line breaks, upper-cased.
std::string Squeezed(std::string_view rest) {
    std::string s;
    for (char c : rest.substr(0, 32))
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') s.push_back(AnsiUpperChar(c));
    return s;
}

std::string TrimTrailing(std::string s, std::string_view chars) {
    while (!s.empty() && chars.find(s.back()) != std::string_view::npos) s.pop_back();
    return s;
}


// The name part of a NAME=value line.
std::string_view NameOf(std::string_view line) { return line.substr(0, line.find('=')); }

// Substitutes %name% from one environment list: the first match (letter case
// ignored) replaces the two percent signs and the name; then, from the third
// character on, doubled slashes become single ones.
void Expand(std::string& file, const TStrings& list) {
    const size_t p1 = file.find('%');
    if (p1 == std::string::npos) return;
    const size_t p2 = file.find('%', p1 + 1);
    if (p2 == std::string::npos) return;
    const std::string name = file.substr(p1 + 1, p2 - p1 - 1);
    for (int i = 0; i < list.Count(); ++i) {
        const std::string entry = list[i];
        if (!AnsiSameText(NameOf(entry), name) || entry.find('=') == std::string::npos) continue;
        std::string expanded = file.substr(0, p1) + entry.substr(entry.find('=') + 1) +
                               std::string(CharSubstr(std::string_view(file).substr(p2 + 1), 0, 200));
        if (expanded.size() > 2) {
            std::string tail = expanded.substr(2);
            for (size_t k; (k = tail.find("//")) != std::string::npos;) tail.erase(k, 1);
            expanded = expanded.substr(0, 2) + tail;
        }
        file = expanded;
        return;
    }
}

}  // namespace

TConsole::TConsole(IConsoleHost& host) : host_(host) {
    session_ = new TQorSQLite3DB(this);
    session_->SetName("Session");
    session_->SetTraceFile("QorSQLite.trc");
    session_->SetDatabase("test.SQB");
    session_->SetVersion("3.3.5");
    session_->SetDLLName("SQLite3.dll");
    session_->SetDBMustExist(false);
    session_->OnFetchRows = [this](TDataSet*, int32_t) {
        if (host_.InterruptRequested()) session_->Interrupt();
    };
    session_->AfterConnect = [this](TQorSQLite3DB*) { AfterConnect(); };
    session_->AfterDisconnect = [this](TQorSQLite3DB*) {
        if (OnDisconnected) OnDisconnected(*this);
    };
    query_ = new TQorSQLite3Query(this);
    query_->SetName("Query");
    query_->SetConnection(session_);
    for (char** e = environ; e && *e; ++e) processEnv_.Add(*e);
    FormatSettings().ShortDateFormat = "dd.mm.yyyy";
    for (auto& d : directives_)
        d = [](TConsole& c, const std::string&) {
            c.Failed("??? This directive is not available in this build");
        };
    InstallExportImportDirectives(*this);
}

TConsole::~TConsole() {
    // The queries refer to the session: they go first.
    DestroyComponents();
}

void TConsole::SetCommandError(bool v) {
    if (v) ++failures_;
    commandError_ = v;
}

void TConsole::Failed(const std::string& message) {
    SetCommandError(true);
    host_.PrintLine(Trim(message));
}

void TConsole::Guarded(const std::function<void()>& op) {
    try {
        op();
    } catch (const std::exception& e) {
        Failed(e.what());
    } catch (...) {
        Failed("??? Unknown error");
    }
}

void TConsole::LoadSettings() {
    settings_.Read();
    localEnv_.SetText(settings_.EnvLocal);
    // The stored text of an empty list is a blank.
    for (int i = localEnv_.Count() - 1; i >= 0; --i)
        if (Trim(localEnv_[i]).empty()) localEnv_.Delete(i);
}

void TConsole::StoreEnvLocal() { settings_.EnvLocal = localEnv_.Count() ? localEnv_.Text() : " "; }

void TConsole::SaveSettings() {
    StoreEnvLocal();
    settings_.Write();
}

void TConsole::SetDirectiveHandler(Directive kind, DirectiveHandler handler) {
    directives_[static_cast<int>(kind)] = std::move(handler);
}

// ---------------------------------------------------------------- connect

void TConsole::Connect(const std::string& path) {
    session_->Close();
    session_->SetDLLName(settings_.DllName);
    session_->SetDatabase(path);
    session_->SetCp1251Text(settings_.Win1251Db);
    session_->Open();
}

void TConsole::AfterConnect() {
    if (OnConnected) OnConnected(*this);
    const bool header = settings_.HeaderOn;
    settings_.HeaderOn = false;
    try {
        RunCommandText(settings_.StartSQL);
    } catch (...) {
        settings_.HeaderOn = header;
        throw;
    }
    query_->Close();
    settings_.HeaderOn = header;
}

// ---------------------------------------------------------------- interpreter

void TConsole::RunCommandText(std::string_view text) {
    host_.SetBusyMark(1, true, kRed);
    commandError_ = false;
    session_->SetCp1251Text(settings_.Win1251Db);
    std::string whole(text);
    whole.push_back('\n');
    CommandText rest(std::move(whole));
    for (;;) {
        if (rest.Empty() || (settings_.StopErr && commandError_)) break;
        const char first = rest.Front();
        if (first == '\r' || first == '\n' || first == ' ' || first == '\t') {
            rest.DropFront();
            continue;
        }
        const std::string_view r = rest.Rest();
        const size_t before = r.size();
        if (StartsWith(r, "VARIABLE ", true)) {
            const std::string line = rest.TakeLine();
            host_.PrintLine(line);
            RunVariableDeclaration(line);
        } else if (StartsWith(r, "PRINT", true)) {
            host_.PrintLine(rest.TakeLine());
            ListVariables();
        } else if (StartsWith(r, "--:", true)) {
            const std::string line = rest.TakeLine();
            host_.PrintLine(line);
            RunAssignment(line);
        } else if (StartsWith(r, "--%", true)) {
            RunLocalEnvironment(rest.TakeLine());
        } else if (StartsWith(r, "--#CLS", true)) {
            host_.BeginOutputUpdate();
            host_.ClearOutput();
            host_.EndOutputUpdate();
            rest.DropLine();
        } else if (StartsWith(r, "--$DBFI", true) || StartsWith(r, "--$DBFL", true)) {
            RunDirective(Directive::DbfImport, rest);
        } else if (StartsWith(r, "--$DBFE", true) || StartsWith(r, "--$DBFS", true)) {
            RunDirective(Directive::DbfExport, rest);
        } else if (StartsWith(r, "--$XMLE", true) || StartsWith(r, "--$XMLS", true)) {
            RunDirective(Directive::XmlExport, rest);
        } else if (StartsWith(r, "--$HTME", true) || StartsWith(r, "--$HTMS", true)) {
            RunDirective(Directive::HtmlExport, rest);
        } else if (StartsWith(r, "--$CSVI", true)) {
            RunDirective(Directive::CsvImport, rest);
        } else if (StartsWith(r, "--$CSVE", true)) {
            RunDirective(Directive::CsvExport, rest);
        } else if (StartsWith(r, "--$JSNE", true)) {
            RunDirective(Directive::JsonExport, rest);
        } else if (StartsWith(r, "--", true)) {
            const std::string line = rest.TakeLine();
            if (settings_.EchoOn) host_.PrintLine(line);
        } else if (StartsWith(r, "/*", true)) {
            rest.TakeUntil("*/");
        } else if (first == '/') {
            rest.DropFront();
        } else if (first == '@') {
            RunScriptCall(rest);
        } else if (StartsWith(r, "SELECT", false)) {
            RunSelect(rest.TakeStatement(";"));
        } else if (StartsWith(r, "INSERT ", false)) {
            ExecInsert(rest.TakeStatement(";"));
        } else if (StartsWith(r, "UPDATE ", false)) {
            ExecUpdateDelete(rest.TakeStatement(";"), " row updated...");
        } else if (StartsWith(r, "DELETE ", false)) {
            ExecUpdateDelete(rest.TakeStatement(";"), " row deleted...");
        } else if (StartsWith(r, "DISCONNECT", false)) {
            const std::string line = rest.TakeLine();
            Guarded([&] { session_->Close(); });
            host_.PrintLine(settings_.Prompt + line);
        } else if (StartsWith(r, "CONNECT ", false)) {
            rest.TakeLine();
            Guarded([&] { session_->Close(); });
        } else if (StartsWith(r, "EXEC", false)) {
            std::string line = rest.TakeLine();
            if (line.empty() || line.back() != ';') line += ';';
            const size_t space = line.find(' ');
            const std::string call(CharSubstr(line, space == std::string::npos ? 0 : CharCount(std::string_view(line).substr(0, space)), 512));
            ExecBlock("begin" + call + " end;");
        } else {
            const std::string sq = Squeezed(r);
            static const char* const kBlockStarts[] = {
                "BEGIN", "DECLARE", "CREATEPROCEDURE", "CREATEORREPLACEPROCEDURE", "CREATEFUNCTION",
                "CREATEORREPLACEFUNCTION", "CREATETRIGGER", "CREATEORREPLACETRIGGER", "CREATEPACKAGE",
                "CREATEORREPLACEPACKAGE", "CREATEPACKAGEBODY", "CREATEORREPLACEPACKAGEBODY"};
            bool block = false;
            for (const char* b : kBlockStarts)
                if (sq.rfind(b, 0) == 0) block = true;
            if (block) {
                host_.SetBusyMark(2, true, kGreen);
                ExecBlock(rest.TakeBlock());
                host_.SetBusyMark(2, false, 0);
            } else {
                std::string stmt = rest.TakeStatement(";");
                if (!stmt.empty()) Guarded([&] { ExecPlain(std::move(stmt)); });
            }
        }
        // Every command consumes text; should one ever not, the run moves on
        // rather than spinning.
        if (!rest.Empty() && rest.Rest().size() == before) rest.DropFront();
    }
    host_.SetBusyMark(1, false, 0);
}

void TConsole::RunDirective(Directive kind, CommandText& rest) {
    const std::string line = rest.TakeLine();
    host_.PrintLine(line);
    Guarded([&] { directives_[static_cast<int>(kind)](*this, line); });
}

void TConsole::RunLocalEnvironment(const std::string& line) {
    host_.PrintLine(line);
    const std::string arg = line.size() > 3 ? line.substr(3) : std::string();
    const size_t eq = arg.find('=');
    if (eq == std::string::npos) return;
    const std::string name = arg.substr(0, eq);
    for (int i = 0; i < localEnv_.Count(); ++i) {
        if (AnsiSameText(NameOf(localEnv_[i]), name)) {
            localEnv_.Delete(i);
            break;
        }
    }
    if (eq + 1 < arg.size()) localEnv_.Add(arg);
    StoreEnvLocal();
}

void TConsole::RunScriptCall(CommandText& rest) {
    const std::string line = rest.TakeLine();
    std::string file = TrimTrailing(std::string(CharSubstr(line, 1, 2000)), ";");
    Expand(file, processEnv_);
    Expand(file, localEnv_);
    if (!FileExists(file)) {
        host_.PrintLine(MsgText("FileNotExist", "File not exist") + file);
        return;
    }
    if (scriptDepth_ >= kMaxScriptDepth) {
        Failed("??? Script calls nested more than " + std::to_string(kMaxScriptDepth) + " deep: " + file);
        return;
    }
    std::string text;
    if (!ReadFileBytes(file, text)) {
        Failed("??? Cannot read " + file);
        return;
    }
    ++scriptDepth_;
    try {
        RunCommandText(FileText(text));
    } catch (...) {
        --scriptDepth_;
        throw;
    }
    --scriptDepth_;
}

// ---------------------------------------------------------------- variables

void TConsole::RunVariableDeclaration(const std::string& line) {
    const std::string arg = TrimTrailing(line.size() > 9 ? line.substr(9) : std::string(), ";");
    const size_t blank = arg.find(' ');
    if (blank == std::string::npos) return;
    const std::string name = Trim(arg.substr(0, blank));
    const std::string type = AnsiUpperCase(Trim(arg.substr(blank + 1)));
    if (type == "NUMBER")
        variables_.Set(name, Variant(int32_t{0}));
    else if (type == "DATE")
        variables_.Set(name, Variant::FromDate(StrToDate("01.01.0001")));
    else if (type == "VARCHAR2")
        variables_.Set(name, Variant(std::string()));
}

void TConsole::ListVariables() {
    for (int i = 0; i < variables_.Count(); ++i)
        host_.PrintLine(variables_.NameAt(i) + "=" + variables_.ValueAt(i).ToString());
}

void TConsole::RunAssignment(const std::string& line) {
    const std::string arg = TrimTrailing(line.size() > 3 ? line.substr(3) : std::string(), ";");
    const size_t op = arg.find(":=");
    if (op == std::string::npos) {
        ListVariables();
        return;
    }
    const std::string name = Trim(arg.substr(0, op));
    const std::string value = Trim(arg.substr(op + 2));
    if (value.empty()) {
        const std::string upper = AnsiUpperCase(name);
        for (int i = variables_.Count() - 1; i >= 0; --i)
            if (variables_.NameAt(i) == upper) variables_.DeleteAt(i);
    } else if (value.front() == '\'' && value.back() == '\'') {
        variables_.Set(name, Variant(value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string()));
    } else if (value.front() == '{' && value.back() == '}') {
        // A date that does not parse ends the whole run.
        variables_.Set(name, Variant::FromDate(StrToDate(value.substr(1, value.size() - 2))));
    } else {
        variables_.Set(name, Variant(value));
    }
}

// ---------------------------------------------------------------- executors

std::string TConsole::ElapsedText(Clock::time_point start) const {
    if (!settings_.ShowTime) return std::string();
    const double secs = std::chrono::duration<double>(Clock::now() - start).count();
    return " [" + FormatDateTime(FormatSettings().LongTimeFormat, secs / 86400.0) + "]";
}

void TConsole::ExecPlain(std::string stmt) {
    const auto start = Clock::now();
    stmt = TrimTrailing(std::move(stmt), ";");
    if (stmt.empty()) return;
    if (settings_.EchoOn) host_.PrintLine(settings_.Prompt + stmt + ";");
    Guarded([&] {
        session_->ExecSQL(stmt);
        host_.PrintLine("processed..." + ElapsedText(start));
    });
}

void TConsole::ExecInsert(std::string stmt) {
    stmt = TrimTrailing(std::move(stmt), ";");
    if (settings_.EchoOn) host_.PrintLine(settings_.Prompt + stmt + ";");
    Guarded([&] {
        const auto start = Clock::now();
        session_->ExecSQL(stmt);
        host_.PrintLine("processed..." + ElapsedText(start));
        host_.PrintLine(std::to_string(session_->RowsAffected()) + " row inserted...");
    });
}

void TConsole::ExecUpdateDelete(std::string stmt, const char* what) {
    const auto start = Clock::now();
    stmt = TrimTrailing(std::move(stmt), ";");
    if (settings_.EchoOn) host_.PrintLine(settings_.Prompt + stmt + ";");
    Guarded([&] {
        const auto execStart = Clock::now();
        session_->ExecSQL(stmt);
        host_.PrintLine("processed..." + ElapsedText(execStart));
        host_.PrintLine(std::to_string(session_->RowsAffected()) + what + ElapsedText(start));
    });
}

void TConsole::ExecBlock(std::string stmt) {
    stmt = Trim(TrimTrailing(std::move(stmt), "\t\n\r /;"));
    if (settings_.EchoOn) {
        if (settings_.NumPLSQL) {
            std::string numbered;
            int n = 2;
            for (size_t i = 0; i < stmt.size(); ++i) {
                numbered.push_back(stmt[i]);
                if (stmt[i] == '\n' || stmt[i] == '\r') {
                    // A CR LF pair is one line break.
                    if (stmt[i] == '\r' && i + 1 < stmt.size() && stmt[i + 1] == '\n') numbered.push_back(stmt[++i]);
                    std::string num = std::to_string(n++);
                    if (num.size() < 4) num.insert(0, 4 - num.size(), ' ');
                    numbered += num.substr(0, 4) + " ";
                }
            }
            host_.PrintLine(settings_.Prompt + numbered + ";");
        } else {
            host_.PrintLine(settings_.Prompt + stmt + ";");
        }
    }
    Guarded([&] {
        const auto start = Clock::now();
        session_->ExecSQL(stmt + ";");
        host_.PrintLine("processed..." + ElapsedText(start));
    });
}

void TConsole::RunSelect(std::string stmt) {
    const auto start = Clock::now();
    stmt = TrimTrailing(std::move(stmt), ";");
    if (settings_.EchoOn) host_.PrintLine(settings_.Prompt + stmt + ";");
    int64_t count = 0;
    query_->Close();
    Guarded([&] {
        // Rows stream through: memory does not grow with the result.
        query_->SetUniDirectional(true);
        query_->SetSQLText(stmt);
        query_->Open();
        const ResultTable table(*query_, settings_);
        if (settings_.HeaderOn && settings_.EchoOn) {
            host_.PrintLine(table.HeaderLine());
            host_.PrintLine(table.DashLine());
        }
        std::string line;
        while (!query_->Eof()) {
            if (settings_.EchoOn) {
                table.RowLine(line);
                host_.PrintLine(line);
                if (host_.OutputLineCount() > settings_.LongStr) {
                    host_.BeginOutputUpdate();
                    host_.DeleteFirstLines(settings_.DelStr + 1);
                    host_.EndOutputUpdate();
                }
            }
            query_->Next();
            ++count;
        }
        host_.PrintLine(std::to_string(count) + " row selected..." + ElapsedText(start));
    });
    // Also after a failure: a pending statement would keep the database
    // locked for other writers.
    query_->Close();
    query_->SetUniDirectional(false);
}

void TConsole::Commit() {
    session_->Commit();
    host_.PrintLine(settings_.Prompt + "Commit;");
}

void TConsole::Rollback() {
    session_->Rollback();
    host_.PrintLine(settings_.Prompt + "Rollback;");
}
