#pragma once
// A platform that records every call instead of making it, with answers set by the test.

#include "platform/Platform.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace bmi::test {

struct RecordedMsgBox {
    QString prompt;
    MessageIcon icon = MessageIcon::Exclamation;
    QString title; // as the user would see it: the application title when none given
};

class RecordingPlatform final : public Platform {
public:
    void msgBox(QWidget* parent, const QString& prompt, MessageIcon icon,
                const QString& title = {}) override;
    void beep() override { ++beeps; }
    void announce(QWidget*, const QString& text) override { announcements.push_back(text); }
    QString appPath() const override { return appDirectory; }
    std::int32_t openInBrowser(const QString& url) override;
    int startHelpViewer(const QString& request) override;
    std::optional<QCursor> loadHandCursor() override;
    void SetCursor(QWidget* widget, const QCursor& cursor) override;

    void reset();

    // Answers.
    QString appDirectory = QStringLiteral("/opt/bmi");
    std::int32_t shellResult = 42;
    int helpError = 0;
    bool handCursorAvailable = true;
    // Runs inside msgBox, as a modal box would run events; lets a test act meanwhile.
    std::function<void(const RecordedMsgBox&)> onMsgBox;

    // Record.
    std::vector<RecordedMsgBox> msgBoxes;
    int beeps = 0;
    std::vector<QString> announcements;
    std::vector<QString> webPagesOpened;
    std::vector<QString> helpRequests;
    int cursorLoads = 0;
    std::vector<Qt::CursorShape> cursorsSet;
};

} // namespace bmi::test
