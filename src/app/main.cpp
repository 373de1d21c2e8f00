#include <QApplication>

#include "app/TForm1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProductName);
    TForm1 window;
    window.show();
    return app.exec();
}
