#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "sqlite/TQorSQLite3DB.h"
#include "sqlite/TQorSQLite3Query.h"

// The message of the E that `f` throws, or "(no error)"; another kind of
// exception passes through and fails the test.
template <typename E>
std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(no error)";
}

// A fresh temporary folder per test, which is also the current directory,
// the temporary folder and the settings folder while the test runs.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
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

// A query, owned by `owner`, on the in-memory database.
class QueryDatabaseTest : public MemoryDatabaseTest {
protected:
    void SetUp() override;
    // Opens `sql` with its parameters given these values in order.
    void Run(const std::string& sql, const std::vector<Variant>& values = {});
    // The current record, its fields' texts joined by '|'.
    std::string Row();
    // One field of every row the query shows, each followed by ';'
    // ("<null>" when empty).
    std::string Column(const std::string& field);

    TComponent owner;
    TQorSQLite3Query* q = nullptr;
};
