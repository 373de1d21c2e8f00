#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TConsole;

// What every import and export shares: the clean-up that runs however the
// command ends (progress note removed, the console query closed), the
// "??? " messages that fail the command without raising, and the elapsed
// time of the closing message.
class DirectiveRun {
public:
    explicit DirectiveRun(TConsole& console);
    ~DirectiveRun();
    DirectiveRun(const DirectiveRun&) = delete;
    DirectiveRun& operator=(const DirectiveRun&) = delete;

    // Prints `message` and marks the command failed.
    void Fail(std::string_view message);
    // Asks before an existing file is replaced; true when it may be written.
    bool MayWrite(const std::string& fileName);
    // The file an import reads; a missing one fails the command.
    bool SourceExists(const std::string& fileName);
    // The rows a table holds, or nullopt when there is no such table.
    std::optional<int64_t> TableRows(const std::string& table);
    // Asks before a table holding rows is replaced; true for Yes.
    bool MayReplaceTable(const std::string& table, int64_t rows);
    void StartClock() { start_ = std::chrono::steady_clock::now(); }
    // Tab, then the time since StartClock in the long time format.
    std::string Elapsed() const;

private:
    TConsole& console_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
