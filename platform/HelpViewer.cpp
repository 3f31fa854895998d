#include "platform/QtPlatform.h"

namespace bmi {

int QtPlatform::HtmlHelp(QWidget*, const QString&, int, int) {
    return kErrFileNotFound; // not wired yet
}

} // namespace bmi
