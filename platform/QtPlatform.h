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

// Starts program with argument as its only argument, in directory (ours when empty), and
// does not wait for it: in a session of its own, with default signal handling, an empty
// signal mask and only the standard three descriptors; it is reaped when it ends. Returns
// 0, or the errno of the failure: ENOENT when the program, its interpreter or the
// directory is missing, EINVAL for a text no argument can carry.
int startProgram(const QString& program, const QString& argument, const QString& directory);

// Opens address with xdg-open, started in directory, and waits a moment for its verdict.
// Returns the outcome in the shell's numbering: above 32 means started.
std::int32_t openAddress(const QString& address, const QString& directory);

// Starts the help viewer of appDir with request as its only argument and does not wait
// for it. Returns 0 when it started, kErrFileNotFound when appDir holds no viewer,
// another non-zero number when one is there but could not be started.
int launchHelpViewer(const QString& appDir, const QString& request);

} // namespace bmi
