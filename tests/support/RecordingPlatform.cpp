#include "tests/support/RecordingPlatform.h"

namespace bmi::test {

void RecordingPlatform::MsgBox(QWidget*, const QString& prompt, int style, const QString& title) {
    msgBoxes.push_back({prompt, style, title.isEmpty() ? AppTitle() : title});
    if (onMsgBox)
        onMsgBox(msgBoxes.back());
}

std::int32_t RecordingPlatform::ShellExecute(QWidget* owner, const QString& operation,
                                             const QString& file, const QString& parameters,
                                             const QString& directory, int showCommand) {
    shellCalls.push_back({operation, file, parameters, directory, showCommand, owner});
    return shellResult;
}

int RecordingPlatform::HtmlHelp(QWidget* caller, const QString& request, int command, int data) {
    helpCalls.push_back({request, command, data, caller});
    return helpError;
}

std::optional<QCursor> RecordingPlatform::LoadHandCursor() {
    ++cursorLoads;
    if (!handCursorAvailable)
        return std::nullopt;
    return QCursor(Qt::PointingHandCursor);
}

void RecordingPlatform::SetCursor(QWidget*, const QCursor& cursor) {
    cursorsSet.push_back(cursor.shape());
}

void RecordingPlatform::reset() {
    msgBoxes.clear();
    beeps = 0;
    shellCalls.clear();
    helpCalls.clear();
    cursorLoads = 0;
    cursorsSet.clear();
}

} // namespace bmi::test
