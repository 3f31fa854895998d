#include "platform/QtPlatform.h"

#include <QAccessible>
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace bmi {

void QtPlatform::msgBox(QWidget* parent, const QString& prompt, MessageIcon icon,
                        const QString& title) {
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? appTitle() : title);
    box.setIcon(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning);
    // Our prompts use "\r\n" between lines; a lone "\r" would show as a stray glyph.
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void QtPlatform::beep() {
    QApplication::beep();
}

void QtPlatform::announce(QWidget* source, const QString& text) {
    if (!QAccessible::isActive())
        return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(source, text);
#else
    // Before announcements, an alert from the source is what screen readers speak without
    // the focus: they read out its name and description.
    Q_UNUSED(text);
    QAccessibleEvent event(source, QAccessible::Alert);
#endif
    QAccessible::updateAccessibility(&event);
}

QString directoryOf(const QString& filePath) {
    const qsizetype slash = filePath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    if (slash == 0)
        return QStringLiteral("/");
    return filePath.left(slash);
}

QString QtPlatform::appPath() const {
    // Through any symlink (the bin/ link of an installation) to the real program file,
    // which is where the help file and the help viewer live.
    const QString exe = QCoreApplication::applicationFilePath();
    const QString real = QFileInfo(exe).canonicalFilePath();
    return directoryOf(real.isEmpty() ? exe : real);
}

} // namespace bmi
