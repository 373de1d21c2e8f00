#include <QApplication>
#include <QFileInfo>
#include <QUrl>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "app/TForm1.h"
#include "app/TSessionEnd.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProductName);
    TForm1 window;
    // Logging out or SIGTERM close the window as its user would.
    TSessionEnd sessionEnd(window);
    window.show();
    // For start-up checks on a display: TABULON_SNAPSHOT=file.png saves a
    // picture of the screen shortly after start and ends the program; the
    // exit status is 3 when the console window is not on the screen or the
    // picture cannot be saved, 4 when F1 would not find the manual.
    const QString snapshot = qEnvironmentVariable("TABULON_SNAPSHOT");
    if (!snapshot.isEmpty()) {
        QTimer::singleShot(2000, &app, [snapshot, &window] {
            QScreen* screen = QGuiApplication::primaryScreen();
            const bool shown = window.isVisible() && window.windowTitle().startsWith(kProductName);
            const bool saved = screen != nullptr && screen->grabWindow(0).save(snapshot);
            if (!shown) std::fputs("tabulon: the console window is not shown\n", stderr);
            const QString manual = window.HelpUrl().toLocalFile();
            const bool manualFound = QFileInfo(manual).isFile();
            if (!manualFound) std::fprintf(stderr, "tabulon: no manual at %s\n", manual.toUtf8().constData());
            QCoreApplication::exit(!shown || !saved ? 3 : manualFound ? 0 : 4);
        });
    }
    return app.exec();
}
