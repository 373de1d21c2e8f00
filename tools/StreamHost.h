#pragma once
#include <csignal>
#include <cstdio>
#include <string>

#include "console/IConsoleHost.h"

// The console's outside world for tabulon-run: output lines go to standard
// output (UTF-8, LF line ends), notes to standard error,
// questions are answered from the command line, Ctrl+C interrupts the
// running statement.
class StreamHost : public IConsoleHost {
public:
    explicit StreamHost(bool overwrite);
    ~StreamHost() override;

    void PrintLine(std::string_view text) override;
    void ClearOutput() override {}
    int OutputLineCount() override { return lines_; }
    void DeleteFirstLines(int count) override { lines_ = count >= lines_ ? 0 : lines_ - count; }
    bool AskYesNo(std::string_view question, bool destructive) override;
    bool AskText(std::string_view caption, std::string_view prompt, std::string& value) override;
    void ShowMessage(std::string_view text) override;
    void ShowProgress(std::string_view text) override;
    void HideProgress() override;
    void SetBusyMark(int, bool, uint32_t) override {}
    bool InterruptRequested() override;
    void ShowText(std::string_view title, std::string_view text) override;

    // Installs the SIGINT handler that turns Ctrl+C into an interrupt.
    static void CatchInterrupts();

private:
    void Write(std::string_view bytes, std::FILE* to);

    bool overwrite_;
    bool progressShown_ = false;
    bool stderrIsTerminal_;
    int lines_ = 0;
    std::string buffer_;
};
