#include "platform/QtPlatform.h"

#include <QWidget>

namespace bmi {

// Qt always has the hand shape; the empty answer is for platforms that lack one.
std::optional<QCursor> QtPlatform::loadHandCursor() {
    return QCursor(Qt::PointingHandCursor);
}

// Set on the widget rather than application-wide: the window system puts its usual
// pointer back as soon as the mouse leaves the widget.
void QtPlatform::SetCursor(QWidget* widget, const QCursor& cursor) {
    if (widget)
        widget->setCursor(cursor);
}

} // namespace bmi
