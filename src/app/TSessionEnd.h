#pragma once
#include <QObject>
#include <csignal>

class QSocketNotifier;
class TForm1;

// Ends the console as a close when the desktop session ends or the process
// is told to terminate (SIGTERM, SIGHUP): the window closes as when its user
// closes it, so the input text and the settings are written, and the
// program ends. Whatever stops the program without a close (a quit from
// elsewhere) still writes the settings once.
//
// A signal handler may do almost nothing, so it only writes a byte into a
// pipe; the event loop reads it and closes the window. One lives at a time.
class TSessionEnd : public QObject {
public:
    explicit TSessionEnd(TForm1& window);
    ~TSessionEnd() override;
    TSessionEnd(const TSessionEnd&) = delete;
    TSessionEnd& operator=(const TSessionEnd&) = delete;

private:
    static void OnSignal(int sig);
    void Notified();

    TForm1& window_;
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction oldTerm_ {};
    struct sigaction oldHup_ {};
};
