#include "links/HtmlHelp.h"

#include "platform/Application.h"
#include "platform/Platform.h"

namespace bmi {

namespace {
// Where a user without a help viewer is sent to get one, on our own site.
constexpr const char* kDownloadPage = "/download/";
} // namespace

void ShowHelp(Platform& platform, QWidget* mainWindow) {
    // No separator is added or removed: a program at the root gives "//BMI-Trevala.chm".
    const QString path = platform.appPath() + QStringLiteral("/BMI-Trevala.chm");
    const QString request = path + QStringLiteral(">") + QStringLiteral("Main");
    const int error = platform.startHelpViewer(request);
    if (error != kErrFileNotFound)
        return;
    const QString lineBreak = QStringLiteral("\r\n");
    platform.msgBox(
        mainWindow,
        QStringLiteral("The Help file can be seen in Windows 95/NT environment ") + lineBreak +
            QStringLiteral("only if you have Microsoft Internet Explorer 4.01 or later.") +
            lineBreak + QStringLiteral("Get a free download from ") +
            QString::fromLatin1(kMakerSite) + QString::fromLatin1(kDownloadPage),
        MessageIcon::Exclamation);
}

} // namespace bmi
