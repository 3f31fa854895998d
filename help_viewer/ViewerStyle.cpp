#include "help_viewer/ViewerStyle.h"

#include <QApplication>

namespace bmi::help {

ViewerStyle* ViewerStyle::current() {
    return qobject_cast<ViewerStyle*>(QApplication::style());
}

QIcon ViewerStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                const QWidget* widget) const {
    if (m_hold && (which == SP_ToolBarHorizontalExtensionButton ||
                   which == SP_ToolBarVerticalExtensionButton))
        return {};
    return QProxyStyle::standardIcon(which, option, widget);
}

} // namespace bmi::help
