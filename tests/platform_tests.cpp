// The real message box and the application directory of the Qt platform layer.
#include "platform/QtPlatform.h"
#include "tests/support/GuiTest.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <gtest/gtest.h>

#include <ostream>

namespace {

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool seen = false;
};

// Runs msgBox and reads the box while it is up, then closes it as the user would.
SeenBox showAndRead(const QString& prompt, bmi::MessageIcon icon, const QString& title) {
    SeenBox seen;
    bmi::test::answerNextModal([&seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        seen = {box->windowTitle(), box->text(), box->icon(),
                static_cast<int>(box->buttons().size()), true};
        box->button(QMessageBox::Ok)->click();
    });
    bmi::QtPlatform platform;
    platform.msgBox(nullptr, prompt, icon, title);
    return seen;
}

struct BoxRow {
    const char* name;
    bmi::MessageIcon icon;
    QString title;
    QString expectedTitle;
    QMessageBox::Icon expectedIcon;

    friend void PrintTo(const BoxRow& row, std::ostream* os) { *os << row.name; }
};

class MessageBoxTest : public testing::TestWithParam<BoxRow> {};

TEST_P(MessageBoxTest, ShowsOneOkButtonWithTheIconAndTitle) {
    const BoxRow& row = GetParam();
    const SeenBox seen =
        showAndRead(QStringLiteral("first line\r\nsecond line"), row.icon, row.title);
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, row.expectedTitle);
    EXPECT_EQ(seen.icon, row.expectedIcon);
    EXPECT_EQ(seen.buttons, 1);
    // "\r\n" shows as a line break, with no stray carriage return.
    EXPECT_EQ(seen.text, QStringLiteral("first line\nsecond line"));
}

INSTANTIATE_TEST_SUITE_P(
    Styles, MessageBoxTest,
    testing::Values(BoxRow{"Warning",
                           bmi::MessageIcon::Exclamation,
                           {},
                           QStringLiteral("BMI-Trevala"),
                           QMessageBox::Warning},
                    BoxRow{"Information",
                           bmi::MessageIcon::Information,
                           {},
                           QStringLiteral("BMI-Trevala"),
                           QMessageBox::Information},
                    BoxRow{"OwnTitle", bmi::MessageIcon::Exclamation,
                           QStringLiteral("Browser Unavailable"),
                           QStringLiteral("Browser Unavailable"), QMessageBox::Warning}),
    [](const testing::TestParamInfo<BoxRow>& info) { return std::string(info.param.name); });

TEST(DirectoryOf, KeepsTheRootsSlashOnly) {
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("/usr/lib/bmi-trevala/BMI-Trevala"),
         QStringLiteral("/usr/lib/bmi-trevala")},
        {QStringLiteral("/BMI-Trevala"), QStringLiteral("/")},
        {QStringLiteral("/opt/my dir/BMI-Trevala"), QStringLiteral("/opt/my dir")},
    };
    for (const auto& [file, dir] : rows)
        EXPECT_EQ(bmi::directoryOf(file), dir) << file.toStdString();
}

TEST(AppPath, IsTheRealDirectoryOfTheRunningProgram) {
    bmi::QtPlatform platform;
    const QString path = platform.appPath();
    EXPECT_FALSE(path.endsWith(QLatin1Char('/')));
    EXPECT_EQ(path, QStringLiteral(BMI_TEST_BIN_DIR));
}

} // namespace
