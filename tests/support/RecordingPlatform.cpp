#include "tests/support/RecordingPlatform.h"

namespace bmi::test {

void RecordingPlatform::msgBox(QWidget*, const QString& prompt, MessageIcon icon,
                               const QString& title) {
    msgBoxes.push_back({prompt, icon, title.isEmpty() ? appTitle() : title});
    if (onMsgBox)
        onMsgBox(msgBoxes.back());
}

std::int32_t RecordingPlatform::openInBrowser(const QString& url) {
    webPagesOpened.push_back(url);
    return shellResult;
}

int RecordingPlatform::startHelpViewer(const QString& request) {
    helpRequests.push_back(request);
    return helpError;
}

std::optional<QCursor> RecordingPlatform::loadHandCursor() {
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
    announcements.clear();
    webPagesOpened.clear();
    helpRequests.clear();
    cursorLoads = 0;
    cursorsSet.clear();
}

} // namespace bmi::test
