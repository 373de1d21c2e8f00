#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "RecordingHost.h"
#include "console/TConsole.h"

// A console on a fresh in-memory database, its settings folder and current
// directory in a temporary folder; times off so that transcripts are stable.
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tabulon-console-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        oldCwd = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        setenv("TMPDIR", dir.c_str(), 1);
        console.Settings().ShowTime = false;
        console.Connect(":memory:");
        host.lines.clear();
    }
    void TearDown() override {
        std::filesystem::current_path(oldCwd);
        std::filesystem::remove_all(dir);
    }
    std::string Run(const std::string& text) {
        host.lines.clear();
        console.RunCommandText(text);
        return host.Text();
    }
    void WriteFile(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    static std::string ReadAll(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path dir, oldCwd;
    RecordingHost host;
    TConsole console{host};
};
