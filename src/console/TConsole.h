#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/TStrings.h"
#include "console/ConsoleSettings.h"
#include "console/IConsoleHost.h"
#include "console/TListVar.h"
#include "dataset/TComponent.h"
#include "sqlite/TQorSQLite3DB.h"
#include "sqlite/TQorSQLite3Query.h"

class CommandText;

// The console's interpreter and everything it owns that needs no window:
// the connection `Session`, the console query `Query`, the variables, the
// environment lists, the settings and the error flag. The main window and
// tabulon-run both drive it; it talks to them only through IConsoleHost.
class TConsole : public TComponent {
public:
    explicit TConsole(IConsoleHost& host);
    ~TConsole() override;

    TQorSQLite3DB& Session() { return *session_; }
    TQorSQLite3Query& Query() { return *query_; }
    ConsoleSettings& Settings() { return settings_; }
    TListVar& Variables() { return variables_; }
    TStringList& ProcessEnvironment() { return processEnv_; }
    TStringList& LocalEnvironment() { return localEnv_; }
    IConsoleHost& Host() { return host_; }

    // Set by every executor that catches a failure; cleared when a run starts.
    bool CommandError() const { return commandError_; }
    void SetCommandError(bool v);
    // Failures caught since the console was made (tabulon-run's exit status).
    int FailureCount() const { return failures_; }

    // Reads the settings from the store and applies the local environment.
    void LoadSettings();
    // Writes them back (the local environment list included).
    void SaveSettings();

    // Closes the connection, then opens `path` with the configured library;
    // AfterConnect runs the start-up commands.
    void Connect(const std::string& path);

    // Runs every command of a text: statements, blocks, directives, scripts.
    void RunCommandText(std::string_view text);

    // The executors, also used by the menu commands and tools.
    void PrintLine(std::string_view text) { host_.PrintLine(text); }
    void RunSelect(std::string stmt);
    void ExecPlain(std::string stmt);
    void ExecInsert(std::string stmt);
    void ExecUpdateDelete(std::string stmt, const char* what);
    void ExecBlock(std::string stmt);
    void Commit();
    void Rollback();
    // " [hh:nn:ss]" since start when ShowTime is on, else "".
    std::string ElapsedText(std::chrono::steady_clock::time_point start) const;

    // A directive line ("--$DBFI ...") for one of the four kinds; the
    // import and export handlers are installed by their own unit.
    enum class Directive { DbfImport, DbfExport, XmlExport, HtmlExport, CsvImport, CsvExport, JsonExport, Count };
    using DirectiveHandler = std::function<void(TConsole&, const std::string& line)>;
    void SetDirectiveHandler(Directive kind, DirectiveHandler handler);

    // Called after each connect, before the start-up commands (the window
    // refreshes its caption and its grid's table list here).
    std::function<void(TConsole&)> OnConnected;
    std::function<void(TConsole&)> OnDisconnected;

    // Script calls nest at most this deep.
    static constexpr int kMaxScriptDepth = 64;

private:
    void Failed(const std::string& message);
    // Runs op; any exception sets CommandError and prints its trimmed text.
    void Guarded(const std::function<void()>& op);
    void RunScriptCall(CommandText& rest);
    void RunLocalEnvironment(const std::string& line);
    void RunVariableDeclaration(const std::string& line);
    void ListVariables();
    void RunAssignment(const std::string& line);
    void RunDirective(Directive kind, CommandText& rest);
    void AfterConnect();
    void StoreEnvLocal();

    IConsoleHost& host_;
    TQorSQLite3DB* session_;
    TQorSQLite3Query* query_;
    ConsoleSettings settings_;
    TListVar variables_;
    TStringList processEnv_;
    TStringList localEnv_;
    bool commandError_ = false;
    int failures_ = 0;
    int scriptDepth_ = 0;
    DirectiveHandler directives_[static_cast<int>(Directive::Count)];
};
