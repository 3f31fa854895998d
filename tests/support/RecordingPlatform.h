#pragma once
// A platform that records every call instead of making it, with answers set by the test.

#include "platform/Platform.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace bmi::test {

struct RecordedMsgBox {
    QString prompt;
    int style = 0;
    QString title; // as the user would see it: the application title when none given
};

struct RecordedShell {
    QString operation, file, parameters, directory;
    int showCommand = 0;
    QWidget* owner = nullptr;
};

struct RecordedHelp {
    QString request;
    int command = 0, data = 0;
    QWidget* caller = nullptr;
};

class RecordingPlatform final : public Platform {
public:
    void MsgBox(QWidget* parent, const QString& prompt, int style,
                const QString& title = {}) override;
    void Beep() override { ++beeps; }
    QString AppPath() const override { return appPath; }
    std::int32_t ShellExecute(QWidget* owner, const QString& operation, const QString& file,
                              const QString& parameters, const QString& directory,
                              int showCommand) override;
    int HtmlHelp(QWidget* caller, const QString& request, int command, int data) override;
    std::optional<QCursor> LoadHandCursor() override;
    void SetCursor(QWidget* widget, const QCursor& cursor) override;

    void reset();

    // Answers.
    QString appPath = QStringLiteral("/opt/bmi");
    std::int32_t shellResult = 42;
    int helpError = 0;
    bool handCursorAvailable = true;
    // Runs inside MsgBox, as a modal box would run events; lets a test act meanwhile.
    std::function<void(const RecordedMsgBox&)> onMsgBox;

    // Record.
    std::vector<RecordedMsgBox> msgBoxes;
    int beeps = 0;
    std::vector<RecordedShell> shellCalls;
    std::vector<RecordedHelp> helpCalls;
    int cursorLoads = 0;
    std::vector<Qt::CursorShape> cursorsSet;
};

} // namespace bmi::test
