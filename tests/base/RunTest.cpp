#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "TempDir.h"
#include "base/TQorRun.h"

TEST(RunTest, StartsInTheGivenOrTheCurrentDirectoryAndReportsTheExitCode) {
    TempDir tmp;
    const std::filesystem::path here = tmp.Path(), there = here / "другой";
    std::filesystem::create_directory(there);
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(here);
    TQorRun run;
    std::vector<std::string> order;
    int code = -1;
    run.OnFinished = [&](TQorRun&, int c) { code = c; };
    run.BeforeRun = [&](TQorRun& r) { order.push_back(r.Running() ? "before:running" : "before"); };
    run.AfterRun = [&](TQorRun& r) { order.push_back(r.Running() ? "after:running" : "after"); };

    // An empty directory: the caller's current one. Words are split as the
    // shell splits them, and their characters arrive unchanged.
    EXPECT_TRUE(run.Run("sh -c 'pwd > where; printf %s \"$1\" > word' sh 'Жук \"漢字\"'", ""));
    EXPECT_EQ(TempDir::Read(here / "where"), std::filesystem::canonical(here).string() + "\n");
    EXPECT_EQ(TempDir::Read(here / "word"), "Жук \"漢字\"");
    EXPECT_EQ(order, (std::vector<std::string>{"before:running", "after:running"}));

    // A named directory, blanks around it trimmed.
    EXPECT_TRUE(run.Run("sh -c \"pwd > where\"", "  " + there.string() + " "));
    EXPECT_EQ(TempDir::Read(there / "where"), std::filesystem::canonical(there).string() + "\n");

    // What cannot start gives False and no events after BeforeRun.
    order.clear();
    EXPECT_FALSE(run.Run("no-such-program-of-tabulon", ""));
    EXPECT_FALSE(run.Run("sh -c true", (here / "missing").string()));
    EXPECT_FALSE(run.Run("sh -c 'true", ""));
    EXPECT_EQ(order, (std::vector<std::string>(3, "before:running")));
    std::filesystem::current_path(old);

    // Exit codes, and 128 + the signal's number for a program a signal ended.
    EXPECT_TRUE(run.Run("sh -c 'exit 2'", ""));
    EXPECT_EQ(code, 2);
    EXPECT_EQ(ExitCodeText(code), "No such file or directory");
    EXPECT_TRUE(run.Run("sh -c 'kill -TERM $$'", ""));
    EXPECT_EQ(code, 128 + 15);
    // Trailing blanks, control characters and full stops of a system message
    // go; letters of any script stay.
    EXPECT_EQ(TrimSystemMessage("Операция не позволена.\r\n \t"), "Операция не позволена");

    std::vector<std::string> w;
    ASSERT_TRUE(SplitCommandLine("  prog 'a  b' \"c \\\"d\\\" \\x\" e\\ f ''  ", w));
    EXPECT_EQ(w, (std::vector<std::string>{"prog", "a  b", "c \"d\" \\x", "e f", ""}));
}

TEST(RunTest, IdleSecondsAreCountedAndKillEndsTheProgram) {
    TQorRun run;
    std::vector<int> counts;
    int finished = -1;
    bool nested = true;
    run.OnWorkWait = [&](TQorRun& r, int state, bool& kill, int count) {
        EXPECT_EQ(state, TQorRun::WaitTimeout);
        counts.push_back(count);
        nested = r.Run("true", "");  // one program at a time
        kill = count == 2;
    };
    run.OnFinished = [&](TQorRun&, int code) { finished = code; };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(run.Run("sleep 30", ""));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(counts, (std::vector<int>{1, 2}));
    EXPECT_FALSE(nested);
    EXPECT_EQ(finished, 0);
    EXPECT_GE(took, std::chrono::milliseconds(1900));
    EXPECT_LT(took, std::chrono::seconds(5));

    // A program that keeps the processor busy is not idle.
    counts.clear();
    run.SetStepMilliseconds(250);
    EXPECT_TRUE(run.Run("sh -c 'end=$(($(date +%s) + 2)); while [ $(date +%s) -lt $end ]; do :; done'", ""));
    EXPECT_TRUE(counts.empty());
}
