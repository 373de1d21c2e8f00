#include "base/TQorRun.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/AnsiString.h"

extern char** environ;

namespace {

// One /proc/<pid>/stat line: the session and the processor time (user and
// system, its own and that of its ended children, in clock ticks).
bool StatTimes(const std::string& path, long& session, unsigned long long& ticks) {
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line)) return false;
    // The program's name, in parentheses, may hold blanks and parentheses.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream fields(line.substr(close + 1));
    std::string skip;
    unsigned long long t[4] = {};
    for (int i = 3; i <= 5; ++i)
        if (!(fields >> skip)) return false;
    if (!(fields >> session)) return false;
    for (int i = 7; i <= 13; ++i)
        if (!(fields >> skip)) return false;
    if (!(fields >> t[0] >> t[1] >> t[2] >> t[3])) return false;
    ticks = t[0] + t[1] + t[2] + t[3];
    return true;
}

// Processor time used so far by the program and by everything it started
// (its session): a script that waits for a busy child still works.
bool ProcessTimes(pid_t pid, unsigned long long& total) {
    long session = 0;
    unsigned long long ticks = 0;
    if (!StatTimes("/proc/" + std::to_string(pid) + "/stat", session, ticks)) return false;
    total = ticks;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos || name == std::to_string(pid))
            continue;
        long s = 0;
        if (StatTimes(entry.path().string() + "/stat", s, ticks) && s == pid) total += ticks;
    }
    return true;
}

// Ends the program and whatever it started in its session.
void KillProgram(pid_t pid) {
    ::killpg(pid, SIGKILL);
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    // The shell's convention for a program ended by a signal.
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 0;
}

// Starts the words as a program with no terminal: a session of its own,
// standard input from /dev/null, output where the console's goes. 0 or the
// reason it could not start.
int Spawn(const std::vector<std::string>& words, const std::string& dir, pid_t& pid) {
    std::vector<char*> argv;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    // Signals the console ignores or blocks are the program's again.
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

}  // namespace

bool SplitCommandLine(std::string_view line, std::vector<std::string>& words) {
    words.clear();
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (c == '\'') {
            const size_t end = line.find('\'', i + 1);
            if (end == std::string_view::npos) return false;
            word.append(line.substr(i + 1, end - i - 1));
            i = end;
            inWord = true;
        } else if (c == '"') {
            size_t j = i + 1;
            for (; j < line.size() && line[j] != '"'; ++j) {
                if (line[j] == '\\' && j + 1 < line.size() && std::strchr("\"\\$`\n", line[j + 1])) {
                    if (line[j + 1] != '\n') word += line[j + 1];
                    ++j;
                } else {
                    word += line[j];
                }
            }
            if (j >= line.size()) return false;
            i = j;
            inWord = true;
        } else if (c == '\\') {
            if (i + 1 < line.size()) {
                // An escaped line break joins the lines.
                if (line[i + 1] != '\n') {
                    word += line[i + 1];
                    inWord = true;
                }
                ++i;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return true;
}

std::string TrimSystemMessage(std::string_view message) {
    size_t n = message.size();
    while (n > 0 && (static_cast<unsigned char>(message[n - 1]) < '!' || message[n - 1] == '.')) --n;
    return std::string(message.substr(0, n));
}

std::string ExitCodeText(int code) { return TrimSystemMessage(std::strerror(code)); }

bool TQorRun::Run(std::string_view commandLine, std::string_view directory) {
    if (running_) return false;
    running_ = true;
    command_ = std::string(commandLine);
    directory_ = std::string(directory);
    pid_t pid = -1;
    try {
        if (BeforeRun) BeforeRun(*this);
        std::vector<std::string> words;
        if (!SplitCommandLine(command_, words) || words.empty() ||
            Spawn(words, Trim(directory_), pid) != 0) {
            running_ = false;
            return false;
        }

        // No equivalent of waiting for the program to be idle for input
        // exists here; the wait proper begins at once.
        using Clock = std::chrono::steady_clock;
        const auto step = std::chrono::milliseconds(stepMs_);
        unsigned long long used = 0;
        bool known = ProcessTimes(pid, used);
        int idle = 0;
        int exitCode = 0;
        auto stepEnd = Clock::now() + step;
        for (;;) {
            int status = 0;
            const pid_t r = ::waitpid(pid, &status, WNOHANG);
            if (r == pid) {
                exitCode = ExitCodeOf(status);
                break;
            }
            if (r < 0 && errno != EINTR) break;  // reaped elsewhere: nothing to report
            const auto now = Clock::now();
            if (now < stepEnd) {
                std::this_thread::sleep_for(std::min<Clock::duration>(stepEnd - now, std::chrono::milliseconds(10)));
                continue;
            }
            stepEnd = now + step;
            unsigned long long usedNow = 0;
            const bool read = ProcessTimes(pid, usedNow);
            if (read && known && usedNow == used) {
                ++idle;
                bool kill = false;
                if (OnWorkWait) OnWorkWait(*this, WaitTimeout, kill, idle);
                if (kill) {
                    KillProgram(pid);
                    pid = -1;
                    exitCode = 0;
                    break;
                }
            }
            used = usedNow;
            known = read;
        }
        pid = -1;
        if (OnFinished) OnFinished(*this, exitCode);
        if (AfterRun) AfterRun(*this);
    } catch (...) {
        // A handler failed: the program does not outlive the wait.
        if (pid > 0) KillProgram(pid);
        running_ = false;
        throw;
    }
    running_ = false;
    return true;
}
