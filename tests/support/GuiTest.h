#pragma once
// What the window tests share beside their fixtures: readable QStrings in failures, and
// answering the modal window that the next step of a test opens.

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <ostream>
#include <utility>

// gtest would print a QString as its raw code units.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace bmi::test {

// Runs `answer` on the modal window that the caller's next step opens, once that
// window's own event loop is running. `answer` gets nullptr if no modal window showed.
template <typename Answer> void answerNextModal(Answer answer) {
    QTimer::singleShot(0, qApp, [answer = std::move(answer)]() mutable {
        answer(QApplication::activeModalWidget());
    });
}

} // namespace bmi::test
