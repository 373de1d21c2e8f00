#pragma once
#include <chrono>
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
    void StartClock() { start_ = std::chrono::steady_clock::now(); }
    // Tab, then the time since StartClock in the long time format.
    std::string Elapsed() const;

private:
    TConsole& console_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
