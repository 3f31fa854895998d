#include "platform/Application.h"

#include "platform/Controls.h"
#include "platform/Design.h"

#include <QApplication>
#include <QStyleFactory>

namespace bmi {

void configureApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("BMI-Trevala"));
    QApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
    QApplication::setOrganizationName(QStringLiteral("Trevala Software"));
    // The windows are laid out in fixed twips; one style everywhere keeps the boxes'
    // frames and margins the same on every desktop.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(designStyle(fusion));
    app.setFont(designFont(kDefaultFont));
}

} // namespace bmi
