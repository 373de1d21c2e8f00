// Ending the program from outside (SIGTERM, the desktop session) closes the
// console window as its user would: the settings and the input text are
// written, once.
#include <QTimer>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "WindowTest.h"
#include "app/TFrmBase.h"
#include "app/TSessionEnd.h"

extern char** environ;

namespace {

class SessionEnd : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        // The settings store writes a new file and renames it over the old
        // one, or links it in under the name when there was none.
        std::filesystem::create_directories(dir / "tabulon");
        fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(fd, 0);
        inotify_add_watch(fd, (dir / "tabulon").c_str(), IN_MOVED_TO | IN_CREATE);
    }
    void TearDown() override {
        close(fd);
        WindowTest::TearDown();
    }
    // How often the settings file has been written whole so far.
    int Writes() {
        const std::string conf = std::filesystem::path(SettingsFilePath(kKey)).filename().string();
        alignas(inotify_event) char buf[4096];
        for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) {
            for (char* p = buf; p < buf + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                if (e->len && conf == e->name) ++writes;
                p += sizeof(inotify_event) + e->len;
            }
        }
        return writes;
    }

    int fd = -1;
    int writes = 0;
};

// True when process pid catches signal sig (its handler is installed).
bool Catches(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1u;
    return false;
}

}  // namespace

TEST_F(SessionEnd, SigtermClosesTheProgramLikeItsUser) {
    // Last session's input text; the other settings are not stored yet.
    WriteString(kKey + "SqlText", "select 42;");
    const int before = Writes();
    // The program starts on the offscreen display and, as on every start,
    // shows the database selection form.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char* argv[] = {const_cast<char*>(TABULON_PROGRAM), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, TABULON_PROGRAM, nullptr, nullptr, argv, environ), 0);
    EXPECT_TRUE(QTest::qWaitFor([pid] { return Catches(pid, SIGTERM); }, 20000));
    // Time for the window and the selection form to come up.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = 0;
    if (!QTest::qWaitFor([pid, &status] { return waitpid(pid, &status, WNOHANG) != 0; }, 40000)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the program did not end on SIGTERM";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Writes(), before + 1);
    EXPECT_EQ(ReadString(kKey + "SqlText", "?"), "select 42;");
    EXPECT_EQ(ReadString(kKey + "Prompt", "?"), "SQL: ");
}

TEST_F(SessionEnd, SigtermInterruptsARunningStatementAndThenCloses) {
    TForm1 w(false);
    TSessionEnd end(w);
    Open(w, ":memory:");
    w.MInp().SetText(kEndless + "\nselect 'after' as a;");
    QTimer::singleShot(300, [] { raise(SIGTERM); });
    // Should the signal go unheard, the test ends all the same.
    QTimer::singleShot(5000, [&w] { w.Console().Session().Interrupt(); });
    const auto start = std::chrono::steady_clock::now();
    QTest::keyClick(windowdriver::Focused(&w), Qt::Key_F5);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4500));
    // The run ends there: the next statement does not start.
    EXPECT_NE(Out(w).find("??? SQLite ERR-interrupted"), std::string::npos) << Out(w);
    EXPECT_EQ(Out(w).find("after"), std::string::npos) << Out(w);
    EXPECT_TRUE(QTest::qWaitFor([&w] { return !w.isVisible(); }, 5000));
    EXPECT_EQ(ReadString(kKey + "SqlText", "?"), kEndless + "\nselect 'after' as a;");
    EXPECT_EQ(Writes(), 1);
    // Nothing writes them a second time.
    w.close();
    QApplication::processEvents();
    EXPECT_EQ(Writes(), 1);
}

TEST_F(SessionEnd, SighupCancelsAnOpenDialogAndCloses) {
    TForm1 w(false);
    TSessionEnd end(w);
    w.show();
    windowdriver::WhenModal<TFrmBase>([](TFrmBase*) { raise(SIGHUP); });
    // F12 shows the database selection; the signal comes while it is open.
    QTest::keyClick(windowdriver::Focused(&w), Qt::Key_F12);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&w] { return !w.isVisible(); }, 5000));
    EXPECT_FALSE(w.Console().Session().Connected());
    EXPECT_EQ(Writes(), 1);
}
