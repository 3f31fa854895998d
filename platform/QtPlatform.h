#pragma once

#include "platform/Platform.h"

namespace bmi {

// The real thing: Qt message boxes and beep, xdg-open, our help viewer program.
class QtPlatform final : public Platform {
public:
    void msgBox(QWidget* parent, const QString& prompt, MessageIcon icon,
                const QString& title = {}) override;
    void beep() override;
    void announce(QWidget* source, const QString& text) override;
    QString appPath() const override;
    std::int32_t openInBrowser(const QString& url) override;
    int startHelpViewer(const QString& request) override;
    std::optional<QCursor> loadHandCursor() override;
    void SetCursor(QWidget* widget, const QCursor& cursor) override;
};

// Directory part of a program file path: no trailing "/" except for the root.
QString directoryOf(const QString& filePath);

// The help viewer program, installed beside the main program.
inline const QString kHelpViewerProgram = QStringLiteral("BMI-Trevala-help");

// Starts the help viewer of appDir with request as its only argument and does not wait
// for it. Returns 0 when it started, kErrFileNotFound when appDir holds no viewer,
// another non-zero number when one is there but could not be started.
int launchHelpViewer(const QString& appDir, const QString& request);

} // namespace bmi
