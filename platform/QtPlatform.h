#pragma once

#include "platform/Platform.h"

namespace bmi {

// The real thing: Qt message boxes and beep, xdg-open, our help viewer program.
class QtPlatform final : public Platform {
public:
    void MsgBox(QWidget* parent, const QString& prompt, int style,
                const QString& title = {}) override;
    void Beep() override;
    QString AppPath() const override;
    std::int32_t ShellExecute(QWidget* owner, const QString& operation, const QString& file,
                              const QString& parameters, const QString& directory,
                              int showCommand) override;
    int HtmlHelp(QWidget* caller, const QString& request, int command, int data) override;
    std::optional<QCursor> LoadHandCursor() override;
    void SetCursor(QWidget* widget, const QCursor& cursor) override;
};

// Directory part of a program file path: no trailing "/" except for the root.
QString DirectoryOf(const QString& filePath);

// The help viewer program, installed beside the main program.
inline const QString kHelpViewerProgram = QStringLiteral("BMI-Trevala-help");

// Starts program with argument as its only argument, in directory (ours when empty), and
// does not wait for it: in a session of its own, with default signal handling, an empty
// signal mask and only the standard three descriptors; it is reaped when it ends. Returns
// 0, or the errno of the failure: ENOENT when the program, its interpreter or the
// directory is missing, EINVAL for a text no argument can carry.
int StartProgram(const QString& program, const QString& argument, const QString& directory);

// Starts the help viewer of appDir with request as its only argument and does not wait
// for it. Returns 0 when it started, kErrFileNotFound when appDir holds no viewer,
// another non-zero number when one is there but could not be started.
int LaunchHelpViewer(const QString& appDir, const QString& request);

} // namespace bmi
