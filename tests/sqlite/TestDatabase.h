#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "sqlite/TQorSQLite3DB.h"

// A fresh temporary folder per test, which is also the current directory,
// the temporary folder and the settings folder while the test runs.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::vector<std::string> ReadLines(const std::string& path);
    // Lines of a trace file with the date and time stamp cut off.
    static std::vector<std::string> TraceTexts(const std::string& path);

    std::filesystem::path dir_;

private:
    std::filesystem::path oldCwd_;
};

// Connected to a new in-memory database.
class MemoryDatabaseTest : public TempFolderTest {
protected:
    void SetUp() override;
    std::string Str(const std::string& sql);
    int64_t Int(const std::string& sql);

    TQorSQLite3DB db;
};
