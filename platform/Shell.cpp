#include "platform/QtPlatform.h"

namespace bmi {

std::int32_t QtPlatform::ShellExecute(QWidget*, const QString&, const QString&, const QString&,
                                      const QString&, int) {
    return 0; // not wired yet
}

} // namespace bmi
