#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include "app/TForm1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProductName);
    TForm1 window;
    window.show();
    // For start-up checks on a display: TABULON_SNAPSHOT=file.png saves a
    // picture of the screen shortly after start and ends the program.
    const QString snapshot = qEnvironmentVariable("TABULON_SNAPSHOT");
    if (!snapshot.isEmpty()) {
        QTimer::singleShot(2000, &app, [snapshot] {
            if (QScreen* screen = QGuiApplication::primaryScreen()) screen->grabWindow(0).save(snapshot);
            QCoreApplication::exit(0);
        });
    }
    return app.exec();
}
