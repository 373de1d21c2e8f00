#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempDir.h"
#include "base/TQorRun.h"

namespace {

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the test's body with the current directory changed to dir.
class CurrentDir {
public:
    explicit CurrentDir(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~CurrentDir() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

}  // namespace

TEST(RunTest, StartsInTheGivenOrTheCurrentDirectory) {
    TempDir tmp;
    const std::filesystem::path here = tmp.Path(), there = here / "другой";
    std::filesystem::create_directory(there);
    CurrentDir cd(here);
    TQorRun run;
    std::vector<std::string> order;
    run.BeforeRun = [&](TQorRun& r) { order.push_back(r.Running() ? "before:running" : "before"); };
    run.AfterRun = [&](TQorRun& r) { order.push_back(r.Running() ? "after:running" : "after"); };

    // An empty directory: the caller's current one. Words are split as the
    // shell splits them, and their characters arrive unchanged.
    EXPECT_TRUE(run.Run("sh -c 'pwd > where; printf %s \"$1\" > word' sh 'Жук \"漢字\"'", ""));
    EXPECT_EQ(ReadFile(here / "where"), std::filesystem::canonical(here).string() + "\n");
    EXPECT_EQ(ReadFile(here / "word"), "Жук \"漢字\"");
    EXPECT_EQ(order, (std::vector<std::string>{"before:running", "after:running"}));
    EXPECT_FALSE(run.Running());

    // A named directory, blanks around it trimmed; the command is stored.
    EXPECT_TRUE(run.Run("sh -c \"pwd > where\"", "  " + there.string() + " "));
    EXPECT_EQ(ReadFile(there / "where"), std::filesystem::canonical(there).string() + "\n");
    EXPECT_EQ(run.Command(), "sh -c \"pwd > where\"");

    // What cannot start gives False and no events after BeforeRun.
    order.clear();
    EXPECT_FALSE(run.Run("no-such-program-of-tabulon", ""));
    EXPECT_FALSE(run.Run("sh -c true", (here / "missing").string()));
    EXPECT_FALSE(run.Run("sh -c 'true", ""));
    EXPECT_FALSE(run.Run("   ", ""));
    EXPECT_EQ(order, (std::vector<std::string>(4, "before:running")));
    EXPECT_FALSE(run.Running());
}

TEST(RunTest, SplitsWordsAsTheShell) {
    std::vector<std::string> w;
    ASSERT_TRUE(SplitCommandLine("  prog 'a  b' \"c \\\"d\\\" \\x\" e\\ f ''  ", w));
    EXPECT_EQ(w, (std::vector<std::string>{"prog", "a  b", "c \"d\" \\x", "e f", ""}));
    EXPECT_FALSE(SplitCommandLine("prog \"open", w));
    EXPECT_FALSE(SplitCommandLine("prog 'open", w));
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

TEST(RunTest, ExitCodesAndTheirSystemText) {
    TQorRun run;
    int code = -1;
    run.OnFinished = [&](TQorRun&, int c) { code = c; };
    EXPECT_TRUE(run.Run("sh -c 'exit 2'", ""));
    EXPECT_EQ(code, 2);
    EXPECT_EQ(ExitCodeText(code), "No such file or directory");
    EXPECT_TRUE(run.Run("true", ""));
    EXPECT_EQ(code, 0);
    // A program ended by a signal: 128 + the signal's number.
    EXPECT_TRUE(run.Run("sh -c 'kill -TERM $$'", ""));
    EXPECT_EQ(code, 128 + 15);

    // Trailing blanks, control characters and full stops go; letters of
    // any script stay.
    EXPECT_EQ(TrimSystemMessage("Операция не позволена.\r\n \t"), "Операция не позволена");
    EXPECT_EQ(TrimSystemMessage("..."), "");
    EXPECT_EQ(TrimSystemMessage("許可がありません"), "許可がありません");
    EXPECT_EQ(TrimSystemMessage("!"), "!");
}
