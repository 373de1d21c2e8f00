#pragma once
#include <string>
#include <vector>

#include "console/IConsoleHost.h"

// Records what the console shows; answers questions from preset values.
class RecordingHost : public IConsoleHost {
public:
    void PrintLine(std::string_view text) override {
        // One line per line of the text: LF, CR LF and a lone CR each end one.
        size_t start = 0;
        for (;;) {
            const size_t end = text.find_first_of("\r\n", start);
            lines.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
            if (end == std::string_view::npos) break;
            start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        }
    }
    void ClearOutput() override {
        lines.clear();
        ++clears;
    }
    int OutputLineCount() override { return static_cast<int>(lines.size()); }
    void DeleteFirstLines(int count) override {
        lines.erase(lines.begin(), lines.begin() + std::min<size_t>(lines.size(), static_cast<size_t>(count)));
        ++trims;
    }
    bool AskYesNo(std::string_view q, bool) override {
        questions.emplace_back(q);
        return answerYes;
    }
    bool AskText(std::string_view, std::string_view, std::string& value) override {
        value = textAnswer;
        return !textAnswer.empty();
    }
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    void ShowProgress(std::string_view) override { ++progress; }
    void HideProgress() override {}
    void SetBusyMark(int slot, bool on, uint32_t) override {
        marks += std::to_string(slot) + (on ? "+" : "-");
    }
    bool InterruptRequested() override { return interrupt && ++polls > interruptAfter; }
    void ShowText(std::string_view, std::string_view text) override { PrintLine(text); }

    std::string Text() const {
        std::string s;
        for (const auto& l : lines) s += l + "\n";
        return s;
    }

    std::vector<std::string> lines, questions, messages;
    std::string marks, textAnswer;
    bool answerYes = false;
    bool interrupt = false;
    int interruptAfter = 0, polls = 0, clears = 0, trims = 0, progress = 0;
};
