#include "main_window/frmBMI.h"
#include "platform/Application.h"
#include "platform/QtPlatform.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bmi::configureApplication(app);
    QApplication::setDesktopFileName(QStringLiteral(BMI_APP_ID));
    bmi::QtPlatform platform;
    bmi::frmBMI window(platform);
    window.show();
    return QApplication::exec();
}
