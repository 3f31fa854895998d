#include "links/HtmlHelp.h"

#include "platform/Platform.h"

namespace bmi {

namespace {
constexpr int kDisplayTopic = 0;
constexpr int kStyleExclamation = 48;
} // namespace

void ShowHelp(Platform& platform, QWidget* mainWindow) {
    // No separator is added or removed: a program at the root gives "//BMI-Trevala.chm".
    const QString path = platform.AppPath() + QStringLiteral("/BMI-Trevala.chm");
    const QString request = path + QStringLiteral(">") + QStringLiteral("Main");
    const int error = platform.HtmlHelp(mainWindow, request, kDisplayTopic, 0);
    if (error != kErrFileNotFound)
        return;
    platform.MsgBox(mainWindow,
                    QStringLiteral("The Help file can be seen in Windows 95/NT environment \r\n"
                                   "only if you have Microsoft Internet Explorer 4.01 or later.\r\n"
                                   "Get a free download from https://www.trevala.example/download/"),
                    kStyleExclamation);
}

} // namespace bmi
