#pragma once
// Starts an external program with no terminal, waits for it while watching
// whether it still uses the processor, and reports its exit code.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TQorRun {
public:
    // The wait state OnWorkWait receives: the program has not ended within
    // the last step of the wait.
    static constexpr int WaitTimeout = 258;

    TQorRun() = default;
    TQorRun(const TQorRun&) = delete;
    TQorRun& operator=(const TQorRun&) = delete;

    const std::string& Command() const { return command_; }
    void SetCommand(std::string v) { command_ = std::move(v); }
    const std::string& Directory() const { return directory_; }
    void SetDirectory(std::string v) { directory_ = std::move(v); }
    // Kept for the callers that set them; Run uses neither.
    const std::string& Parameters() const { return parameters_; }
    void SetParameters(std::string v) { parameters_ = std::move(v); }
    bool ShowWindow() const { return showWindow_; }
    void SetShowWindow(bool v) { showWindow_ = v; }
    bool Wait() const { return wait_; }
    void SetWait(bool v) { wait_ = v; }
    // True while Run waits for a program.
    bool Running() const { return running_; }

    std::function<void(TQorRun& sender)> BeforeRun;
    // Every second in which the program used no processor time; count is the
    // number of such seconds so far. Setting kill ends the program.
    std::function<void(TQorRun& sender, int state, bool& kill, int count)> OnWorkWait;
    // The program's exit code (0 when it was killed).
    std::function<void(TQorRun& sender, int exitCode)> OnFinished;
    std::function<void(TQorRun& sender)> AfterRun;
    // Not raised by Run: the program's output is not captured.
    std::function<void(TQorRun& sender, const std::string& text)> OnCUIStringOut;

    // Runs commandLine (words split as the shell splits them, without
    // expansions) in directory (blanks trimmed; empty: the current one) and
    // waits until it ends. False when it cannot be started (no such program,
    // no such directory, a command line with no word or an open quote) or
    // when a program is already running.
    bool Run(std::string_view commandLine, std::string_view directory);

    // Which seconds of the wait are idle comes from the program's processor
    // times; tests shorten the step.
    int StepMilliseconds() const { return stepMs_; }
    void SetStepMilliseconds(int v) { stepMs_ = v > 0 ? v : 1; }

private:
    std::string command_;
    std::string directory_;
    std::string parameters_;
    bool showWindow_ = false;
    bool wait_ = true;
    bool running_ = false;
    int stepMs_ = 1000;
};

// The words of a command line as /bin/sh reads them: blanks separate words;
// '...' keeps everything literally; "..." keeps everything but \" \\ \$ \`
// and an escaped line break; a backslash outside quotes keeps the next
// character. No expansions. False for an unterminated quote.
bool SplitCommandLine(std::string_view line, std::vector<std::string>& words);

// The system's message for an exit code, as the console prints it: the
// text of strerror with trailing blanks, control characters and full stops
// removed.
std::string ExitCodeText(int code);
// The trailing characters below '!' and full stops removed.
std::string TrimSystemMessage(std::string_view message);
