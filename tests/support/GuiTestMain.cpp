// Test main for widget tests: one QApplication for the whole run, configured as the
// program configures its own, on the offscreen platform unless told otherwise.
#include "platform/Application.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Where the built programs and the sources are, for tests that start or read them.
    if (qEnvironmentVariableIsEmpty("BMI_TEST_BIN_DIR"))
        qputenv("BMI_TEST_BIN_DIR", BMI_TEST_BIN_DIR);
    if (qEnvironmentVariableIsEmpty("BMI_SOURCE_DIR"))
        qputenv("BMI_SOURCE_DIR", BMI_SOURCE_DIR);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    bmi::configureApplication(app);
    return RUN_ALL_TESTS();
}
