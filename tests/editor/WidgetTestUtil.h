#pragma once
// Small helpers shared by the widget tests.
#include <QApplication>
#include <QDir>
#include <QTest>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <memory>
#include <string_view>

inline void ShowAndFocus(QWidget* w) {
    w->show();
    QApplication::setActiveWindow(w);
    w->setFocus();
    (void)QTest::qWaitForWindowExposed(w);
    QApplication::processEvents();
}

// A memo or editor control of the given size holding text, shown and focused.
template <class Control>
std::unique_ptr<Control> Shown(std::string_view text, int w = 400, int h = 200, void (*prepare)(Control&) = nullptr) {
    auto c = std::make_unique<Control>();
    if (prepare) prepare(*c);
    c->resize(w, h);
    c->SetText(text);
    ShowAndFocus(c.get());
    return c;
}

template <class Control>
int Caret(Control& c) {
    return c.Model().Selection().CaretOffset();
}

inline void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(w, key, mods); }

// Screenshots land under the build folder for a person to look at.
inline void SaveShot(QWidget* w, const char* name) {
    QApplication::processEvents();
    QDir().mkpath(SCREENSHOT_DIR);
    w->grab().save(QString(SCREENSHOT_DIR) + "/" + name);
}

// Typed text as a keyboard delivers it, also for letters QTest cannot map
// to keys (Cyrillic, CJK, emoji): one event a character, the key code the
// upper-case character, the text the character whole.
inline void TypeText(QWidget* w, const QString& s) {
    for (const char32_t u : s.toUcs4()) {
        const QString ch = QString::fromUcs4(&u, 1);
        const int key = u < 0x10000 ? static_cast<int>(ch.toUpper()[0].unicode()) : static_cast<int>(u);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, ch);
        QApplication::sendEvent(w, &press);
    }
}

// Mouse events straight to the widget, as the window system would send them
// while the button is held (also outside the widget).
inline void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), type == QEvent::MouseMove ? Qt::NoButton : button,
                  held, mods);
    QApplication::sendEvent(w, &e);
}

inline void DoubleClick(QWidget* w, QPoint at) {
    Mouse(w, QEvent::MouseButtonPress, at);
    Mouse(w, QEvent::MouseButtonRelease, at);
    Mouse(w, QEvent::MouseButtonDblClick, at);
    Mouse(w, QEvent::MouseButtonRelease, at);
}
