#include "app/TSessionEnd.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "app/TForm1.h"

namespace {
// The pipe the handler writes into: [0] read end, [1] write end.
int wakeUp[2] = {-1, -1};
}  // namespace

TSessionEnd::TSessionEnd(TForm1& window) : window_(window) {
    if (pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) == 0) {
        notifier_ = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { Notified(); });
        struct sigaction action {};
        action.sa_handler = &TSessionEnd::OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, &oldTerm_);
        sigaction(SIGHUP, &action, &oldHup_);
    }
#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { window_.EndSession(); });
#endif
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { window_.SaveSettingsOnce(); });
}

TSessionEnd::~TSessionEnd() {
    if (!notifier_) return;
    sigaction(SIGTERM, &oldTerm_, nullptr);
    sigaction(SIGHUP, &oldHup_, nullptr);
    delete notifier_;
    close(wakeUp[0]);
    close(wakeUp[1]);
    wakeUp[0] = wakeUp[1] = -1;
}

void TSessionEnd::OnSignal(int sig) {
    const int saved = errno;
    const char byte = static_cast<char>(sig);
    // A full pipe already holds a wake-up: nothing is lost.
    [[maybe_unused]] const ssize_t n = write(wakeUp[1], &byte, 1);
    errno = saved;
}

void TSessionEnd::Notified() {
    char bytes[64];
    while (read(wakeUp[0], bytes, sizeof bytes) > 0) {
    }
    window_.EndSession();
    // With the window closed the program ends; a running command closes
    // it when it is over.
    if (!window_.Running()) QCoreApplication::quit();
}
