#include "platform/QtPlatform.h"

#include <QWidget>

namespace bmi {

std::optional<QCursor> QtPlatform::LoadHandCursor() { return QCursor(Qt::PointingHandCursor); }

void QtPlatform::SetCursor(QWidget* widget, const QCursor& cursor) {
    if (widget)
        widget->setCursor(cursor);
}

} // namespace bmi
