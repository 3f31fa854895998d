// Test main for widget tests: one QApplication for the whole run, configured as the
// program configures its own, on the offscreen platform unless told otherwise.
#include "platform/Application.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    bmi::ConfigureApplication(app);
    return RUN_ALL_TESTS();
}
