#include "dialogs/TQorMenu.h"

#include <QGuiApplication>
#include <QScreen>

#include "base/QtText.h"
#include "dialogs/TFrmMenu.h"

bool TQorMenu::Execute(const std::string& caption, const std::string& items, char separator,
                       int& itemIndex, QWidget* parent) {
    TFrmMenu form(parent);
    form.setWindowTitle(AnsiToQString(caption));
    QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const int screenHeight = screen ? screen->geometry().height() : 600;
    form.SetEntries(MenuEntries(items, separator), itemIndex, screenHeight);
    if (screen) {
        // Centred on the screen, not on the parent.
        QRect r = form.frameGeometry();
        r.moveCenter(screen->geometry().center());
        form.move(r.topLeft());
    }
    form.exec();
    itemIndex_ = form.Chosen();
    text_ = form.ChosenText();
    itemIndex = itemIndex_;
    return itemIndex_ >= 0;
}
