#include "platform/ProcessLauncher.h"
#include "platform/QtPlatform.h"

namespace bmi {

// Started from our own directory, as the program's links always were.
std::int32_t QtPlatform::openInBrowser(const QString& url) {
    return openAddress(url, appPath());
}

} // namespace bmi
