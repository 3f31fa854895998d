#include "platform/Application.h"

#include "platform/Design.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStyleFactory>

#ifndef Q_OS_WIN
#include <qpa/qplatformfontdatabase.h>
#endif

namespace bmi {

namespace {

// The design names Windows faces. Elsewhere each missing face is first looked for through
// the font configuration's substitution rules and sorted fallbacks (some milliseconds
// each at start-up) before the design's own fallback list reaches the installed
// metric-compatible face it was meant to find. Naming that face under the missing names
// finds it at once: the same face, and so the same metrics and pixels.
void aliasMissingDesignFaces() {
#ifndef Q_OS_WIN
    const QString installed = QStringLiteral("Liberation Sans");
    const QStringList families = QFontDatabase::families();
    if (!families.contains(installed, Qt::CaseInsensitive))
        return;
    for (const QString& alias : {QStringLiteral("MS Sans Serif"),
                                 QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial")})
        if (!families.contains(alias, Qt::CaseInsensitive))
            QPlatformFontDatabase::registerAliasToFontFamily(installed, alias);
#endif
}

} // namespace

void configureApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("BMI-Trevala"));
    QApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
    QApplication::setOrganizationName(QStringLiteral("Trevala Software"));
    // The windows are laid out in fixed twips; one style everywhere keeps the boxes'
    // frames and margins the same on every desktop.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    aliasMissingDesignFaces();
    app.setFont(designFont(kDefaultFont));
}

} // namespace bmi
