#pragma once
// What the window tests share beside their fixtures: Qt values printed readably in
// failures and test names, and answering the modal window a test's next step opens.

#include <QApplication>
#include <QPoint>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <ostream>
#include <utility>

// gtest would print a QString as its raw code units.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QPoint& point, std::ostream* os) {
    *os << '(' << point.x() << ", " << point.y() << ')';
}

namespace bmi::test {

// Runs `answer` on the modal window that the caller's next step opens, once that
// window's own event loop is running. `answer` gets nullptr if no modal window showed.
template <typename Answer> void answerNextModal(Answer answer) {
    QTimer::singleShot(0, qApp, [answer = std::move(answer)]() mutable {
        answer(QApplication::activeModalWidget());
    });
}

// Waits until `window` has the keyboard. Qt counts a window as active while the window
// it is kept with (its transient parent) has the keyboard, so Qt's own wait returns too
// early for a dialog.
inline bool waitForKeyboard(QWidget* window) {
    return QTest::qWaitFor([window] {
        return window->windowHandle() && QGuiApplication::focusWindow() == window->windowHandle();
    });
}

// Gives `window` the keyboard, as the window system would on a click, and waits until
// it has it.
inline bool activate(QWidget* window) {
    window->activateWindow();
    return waitForKeyboard(window);
}

} // namespace bmi::test
