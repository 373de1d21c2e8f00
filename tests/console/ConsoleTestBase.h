#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../base/TempDir.h"
#include "console/TConsole.h"

// Records what the console shows; answers questions from preset values.
class RecordingHost : public IConsoleHost {
public:
    void PrintLine(std::string_view text) override {
        ++printCalls;
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
    bool AskText(std::string_view, std::string_view, std::string&) override { return false; }
    void ShowMessage(std::string_view) override {}
    void ShowProgress(std::string_view) override {}
    void HideProgress() override {}
    void SetBusyMark(int slot, bool on, uint32_t) override { marks += std::to_string(slot) + (on ? "+" : "-"); }
    bool InterruptRequested() override { return interrupt && ++polls > interruptAfter; }
    void ShowText(std::string_view, std::string_view text) override { PrintLine(text); }
    void ShowTextSized(std::string_view title, std::string_view text, double w, double h) override {
        viewer = std::string(title) + "|" + std::to_string(w) + "|" + std::to_string(h) + "\n" + std::string(text);
    }

    std::string Text() const {
        std::string s;
        for (const auto& l : lines) s += l + "\n";
        return s;
    }

    std::vector<std::string> lines, questions;
    std::string marks, viewer;
    bool answerYes = false;
    bool interrupt = false;
    int interruptAfter = 0, polls = 0, clears = 0, trims = 0, printCalls = 0;
};

// A console on a fresh in-memory database, its settings folder and current
// directory in a temporary folder; times off so that transcripts are stable.
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldCwd = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        temp.SetEnv("XDG_CONFIG_HOME", temp.Path().c_str());
        temp.SetEnv("TMPDIR", temp.Path().c_str());
        console.Settings().ShowTime = false;
        console.Connect(":memory:");
        host.lines.clear();
    }
    void TearDown() override { std::filesystem::current_path(oldCwd); }
    std::string Run(const std::string& text) {
        host.lines.clear();
        console.RunCommandText(text);
        return host.Text();
    }
    void WriteFile(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    // What a Python snippet prints; `args` follow the script's name.
    std::string Python(const std::string& code, const std::string& args = "") {
        WriteFile("peer.py", code);
        const std::string cmd = "/usr/bin/python3 peer.py " + args + " > peer.out 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << ReadAll(dir / "peer.out");
        return ReadAll(dir / "peer.out");
    }
    int64_t Count(const std::string& sql) { return console.Session().SelectInt64(sql, {}, true); }
    static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
    static std::string ReadAll(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempDir temp;
    std::filesystem::path dir{temp.Path()}, oldCwd;
    RecordingHost host;
    TConsole console{host};
};
