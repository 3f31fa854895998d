#include "links/WebLinks.h"

#include "platform/Application.h"
#include "platform/Platform.h"

namespace bmi {

namespace {
// The shell documents every result of 32 or less as a failure (31: no handler for the
// address), so anything below 33 is reported.
constexpr std::int32_t kFirstSuccess = 33;
} // namespace

QString makerPageUrl(const char* page) {
    return QString::fromLatin1(kMakerSite) + QLatin1Char('/') + QString::fromLatin1(page);
}

void openWebPage(Platform& platform, QWidget* owner, const QString& address) {
    const std::int32_t result = platform.openInBrowser(address);
    if (result >= kFirstSuccess)
        return;
    platform.msgBox(owner,
                    platform.appTitle() +
                        QStringLiteral(" had a problem running your web browser. You should "
                                       "check that your browser is correctly installed.(Error") +
                        QString::number(result) + QLatin1Char(')'),
                    MessageIcon::Exclamation, QStringLiteral("Browser Unavailable"));
}

} // namespace bmi
