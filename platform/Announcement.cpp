#include "platform/QtPlatform.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace bmi {

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)

void QtPlatform::announce(QWidget* source, const QString& text) {
    if (!QAccessible::isActive())
        return;
    QAccessibleAnnouncementEvent event(source, text);
    QAccessible::updateAccessibility(&event);
}

#else

namespace {

// Before Qt had announcements, its bridge to assistive tools passed no event that screen
// readers speak without the focus, except a notification appearing: they read out its
// name. This one is an empty, unfocusable widget in the window that said something.
class Notice : public QWidget {
public:
    explicit Notice(QWidget* window) : QWidget(window) {
        setObjectName(QStringLiteral("notice"));
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        resize(0, 0);
    }
};

QAccessibleInterface* noticeInterface(const QString&, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    if (w && w->objectName() == QLatin1String("notice") && dynamic_cast<Notice*>(w))
        return new QAccessibleWidget(w, QAccessible::Notification);
    return nullptr;
}

} // namespace

void QtPlatform::announce(QWidget* source, const QString& text) {
    if (!QAccessible::isActive())
        return;
    static const bool installed = (QAccessible::installFactory(noticeInterface), true);
    (void)installed;
    QWidget* window = source->window();
    auto* notice =
        window->findChild<QWidget*>(QStringLiteral("notice"), Qt::FindDirectChildrenOnly);
    if (!notice)
        notice = new Notice(window);
    notice->hide();
    notice->setAccessibleName(text);
    notice->show(); // what readers act on: the notification's "showing" state turning on
}

#endif

} // namespace bmi
