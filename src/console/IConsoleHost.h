#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// What the console core needs of the program around it: the main window
// implements it with its panes and dialogs, tabulon-run with standard output
// and its options, the tests with a recorder.
class IConsoleHost {
public:
    virtual ~IConsoleHost() = default;

    // Appends one line to the output; a text with line breaks is several.
    virtual void PrintLine(std::string_view text) = 0;
    virtual void ClearOutput() = 0;
    virtual int OutputLineCount() = 0;
    // Removes the oldest lines of the output (inside an update bracket).
    virtual void DeleteFirstLines(int count) = 0;
    // Bracket around bulk changes of the output: it repaints once.
    virtual void BeginOutputUpdate() {}
    virtual void EndOutputUpdate() {}

    // A Yes/No question; `destructive` tells that Yes replaces or deletes
    // data (a host that cannot ask answers No to those).
    virtual bool AskYesNo(std::string_view question, bool destructive) = 0;
    // A one-line prompt; false when cancelled.
    virtual bool AskText(std::string_view caption, std::string_view prompt, std::string& value) = 0;
    virtual void ShowMessage(std::string_view text) = 0;
    // A short progress note shown during long directives, and its removal.
    virtual void ShowProgress(std::string_view text) = 0;
    virtual void HideProgress() = 0;
    // Busy marks: slot 1 while a command text runs, slot 2 while a block runs.
    virtual void SetBusyMark(int slot, bool on, uint32_t rgb) = 0;
    // Polled during fetches; true once for every interrupt the user asked for.
    virtual bool InterruptRequested() = 0;
    virtual void ShowText(std::string_view title, std::string_view text) = 0;
    // The read-only text viewer at widthFactor and heightFactor of the
    // screen's width and height; ShowText uses 0.8 of both. A host without
    // a viewer shows the text as ShowText does.
    virtual void ShowTextSized(std::string_view title, std::string_view text, double widthFactor, double heightFactor) {
        static_cast<void>(widthFactor);
        static_cast<void>(heightFactor);
        ShowText(title, text);
    }
};
