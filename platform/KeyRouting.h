#pragma once
// The keys both windows take before any control sees them: Enter and Escape act as
// the default and cancel buttons from every control.

#include <QKeyEvent>
#include <QWidget>

namespace bmi {

inline bool isEnter(const QKeyEvent* k) {
    return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
}

// A held Enter or Escape clicks once: repeats would start a browser or the help viewer
// many times a second, or repeat a refusal.
inline bool isHeldEnterOrEscape(const QKeyEvent* k) {
    return (isEnter(k) || k->key() == Qt::Key_Escape) && k->isAutoRepeat();
}

// Sends the key presses of every control of `window` that takes the focus through
// `filter` first. An open drop-down list is a window of its own and keeps its keys.
inline void routeKeysThrough(QWidget* window, QObject* filter) {
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->focusPolicy() != Qt::NoFocus && w->window() == window)
            w->installEventFilter(filter);
}

} // namespace bmi
