#pragma once
// Drives the windows as a user at an X display does: keys arrive at the
// focused widget the way Qt's X11 platform hands them on, dialogs are
// answered by typing into them.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace windowdriver {

// Types text as a keyboard delivers it, in any script (QTest's key clicks
// know Latin-1 only): a key press and release a character, the key code the
// upper-case letter, Enter as the Return key.
inline void TypeText(QWidget* w, const QString& s) {
    for (const char32_t u : s.toUcs4()) {
        if (u == '\n') {
            QTest::keyClick(w, Qt::Key_Return);
            continue;
        }
        const QString ch = QString::fromUcs4(&u, 1);
        const int key = u < 0x10000 ? static_cast<int>(ch.toUpper()[0].unicode()) : static_cast<int>(u);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, ch);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, ch);
        QApplication::sendEvent(w, &release);
    }
}

// X11 key codes of the digit row: 1 ... 9 are 10 ... 18, 0 is 19.
inline quint32 DigitScanCode(int digit) { return digit == 0 ? 19u : static_cast<quint32>(9 + digit); }

// One key press and release as the X server delivers it: Qt's key and the
// native virtual key are the symbol the layout gives (with Ctrl+Shift+1 on
// a US layout '!'), the scan code is the key's place on the keyboard, the
// native modifiers are X's masks. target (the focused widget) gets it after
// the shortcut map has seen it, as with a key from the platform.
inline void X11Key(QWidget* target, int key, Qt::KeyboardModifiers mods, quint32 scanCode, quint32 keysym,
                   const QString& text = {}) {
    const quint32 nativeMods = ((mods & Qt::ShiftModifier) ? 0x1u : 0u) | ((mods & Qt::ControlModifier) ? 0x4u : 0u) |
                               ((mods & Qt::AltModifier) ? 0x8u : 0u);
    QKeyEvent press(QEvent::KeyPress, key, mods, scanCode, keysym, nativeMods, text);
    QSpontaneKeyEvent::setSpontaneous(&press);
    if (!qt_sendShortcutOverrideEvent(target, press.timestamp(), key, mods, text)) qApp->notify(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, scanCode, keysym, nativeMods, text);
    QSpontaneKeyEvent::setSpontaneous(&release);
    qApp->notify(target, &release);
}

// Ctrl+digit and Ctrl+Shift+digit on a US layout.
inline void CtrlDigit(QWidget* target, int digit) {
    const QString d = QString::number(digit);
    X11Key(target, Qt::Key_0 + digit, Qt::ControlModifier, DigitScanCode(digit), static_cast<quint32>('0' + digit), d);
}
inline void CtrlShiftDigit(QWidget* target, int digit) {
    static const char kShifted[] = ")!@#$%^&*(";
    const char c = kShifted[digit];
    X11Key(target, static_cast<unsigned char>(c), Qt::ControlModifier | Qt::ShiftModifier, DigitScanCode(digit),
           static_cast<unsigned char>(c), QString(QChar(c)));
}

// Calls act with the first modal dialog of type T that opens; gives up
// after about five seconds.
template <typename T>
void WhenModal(std::function<void(T*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, ticks, act] {
        if (auto* dialog = dynamic_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        } else if (++*ticks > 250) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start();
}

// Cancels dialog, and whatever it opened over itself (a warning that the
// file is not there), when it is still open a moment later.
inline void CancelLater(QDialog* dialog) {
    QPointer<QDialog> still(dialog);
    QTimer::singleShot(1500, [still] {
        for (int i = 0; i < 8 && still && still->isVisible(); ++i) {
            auto* top = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!top) break;
            top->reject();
            if (top->isVisible()) top->hide();  // it refused to close
        }
    });
}

// Answers the next file dialog: the user goes to folder, types name into
// the file name box and presses Enter. A dialog that refuses the name and
// stays open is cancelled a little later, so that a test fails instead of
// waiting for ever.
inline void AnswerFileDialog(const QString& folder, const QString& name) {
    WhenModal<QFileDialog>([folder, name](QFileDialog* dialog) {
        // Enter may open a warning over the dialog and wait in it.
        CancelLater(dialog);
        dialog->setDirectory(folder);
        if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) {
            edit->setFocus();
            QTest::keyClicks(edit, name);
            QTest::keyClick(edit, Qt::Key_Return);
        }
    });
}

// Where the keys go: the focused widget of the active window. When a
// dialog has closed, window becomes active again first, as the window
// manager makes it.
inline QWidget* Focused(QWidget* window) {
    if (!QApplication::activeWindow() && !QApplication::activeModalWidget()) {
        window->window()->activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(window->window()));
    }
    // A dialog that has just opened gets the keys once its focus is set:
    // before, they still go to the window under it.
    static_cast<void>(QTest::qWaitFor(
        [window] { return QApplication::focusWidget() && QApplication::focusWidget()->window() == window->window(); },
        1000));
    QWidget* w = QApplication::focusWidget();
    return w ? w : window;
}

}  // namespace windowdriver
