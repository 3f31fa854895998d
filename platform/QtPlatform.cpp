#include "platform/QtPlatform.h"

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
