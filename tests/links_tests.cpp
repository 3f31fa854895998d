// The Help button, the Home Page button and the advert image, as the user meets them in
// the main window, against the recording platform.
#include "links/HtmlHelp.h"
#include "main_window/frmBMI.h"
#include "platform/Controls.h"
#include "platform/QtPlatform.h"
#include "tests/support/RecordingPlatform.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Readable failures: gtest would print a QString as its raw code units.
[[maybe_unused]] static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace bmi::test {
namespace {

void sendMouse(QWidget& widget, QEvent::Type type, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    const QPointF local(widget.width() / 2.0, widget.height() / 2.0);
    QMouseEvent event(type, local, widget.mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void clickImage(Image& image) {
    sendMouse(image, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    sendMouse(image, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
}

// ---- Web pages --------------------------------------------------------------------

struct Link {
    const char* name;
    std::function<void(frmBMI&)> click;
    QString address;
};

const std::vector<Link>& links() {
    static const std::vector<Link> links{
        {"Home Page", [](frmBMI& w) { w.controls().cmdHomePage->click(); },
         QStringLiteral("https://www.trevala.example/bmi_index.html")},
        {"advert", [](frmBMI& w) { clickImage(*w.controls().imgAD); },
         QStringLiteral("https://www.trevala.example/trevala_index.html")},
    };
    return links;
}

struct ShellRow {
    std::int32_t result;
    bool reported;
};

void PrintTo(const ShellRow& row, std::ostream* os) {
    *os << "result " << row.result;
}

class WebLinkOutcome : public ::testing::TestWithParam<ShellRow> {};

TEST_P(WebLinkOutcome, BothLinksReportAFailureAlikeAndOnlyAFailure) {
    RecordingPlatform platform;
    platform.shellResult = GetParam().result;
    frmBMI window(platform);
    const QString expected =
        QStringLiteral("BMI-Trevala had a problem running your web browser. You should check "
                       "that your browser is correctly installed.(Error") +
        QString::fromStdString(std::to_string(GetParam().result)) + QStringLiteral(")");
    for (const Link& link : links()) {
        SCOPED_TRACE(link.name);
        platform.reset();
        link.click(window);
        EXPECT_EQ(platform.webPagesOpened.size(), 1u);
        if (!GetParam().reported) {
            EXPECT_TRUE(platform.msgBoxes.empty());
            continue;
        }
        ASSERT_EQ(platform.msgBoxes.size(), 1u);
        EXPECT_EQ(platform.msgBoxes[0].prompt, expected);
        EXPECT_EQ(platform.msgBoxes[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(platform.msgBoxes[0].title, QStringLiteral("Browser Unavailable"));
    }
}

INSTANTIATE_TEST_SUITE_P(ShellResults, WebLinkOutcome,
                         ::testing::Values(ShellRow{0, true}, ShellRow{2, true}, ShellRow{31, true},
                                           ShellRow{32, true}, ShellRow{-5, true},
                                           ShellRow{33, false}, ShellRow{42, false}));

TEST(WebLinks, EachClickHandsItsPageToTheShellOnceMore) {
    RecordingPlatform platform;
    frmBMI window(platform);
    for (const Link& link : links()) {
        SCOPED_TRACE(link.name);
        platform.reset();
        link.click(window);
        link.click(window);
        EXPECT_EQ(platform.webPagesOpened, std::vector<QString>(2, link.address));
    }
}

// ---- Help -------------------------------------------------------------------------

const QString kNoViewerMessage =
    QStringLiteral("The Help file can be seen in Windows 95/NT environment \r\n"
                   "only if you have Microsoft Internet Explorer 4.01 or later.\r\n"
                   "Get a free download from https://www.trevala.example/download/");

struct HelpRow {
    int error;
    bool told;
};

void PrintTo(const HelpRow& row, std::ostream* os) {
    *os << "error " << row.error;
}

class HelpOutcome : public ::testing::TestWithParam<HelpRow> {};

TEST_P(HelpOutcome, OnlyAMissingViewerIsToldAndEveryClickTriesAgain) {
    RecordingPlatform platform;
    platform.helpError = GetParam().error;
    frmBMI window(platform);
    platform.reset();
    for (int click = 1; click <= 2; ++click) {
        window.controls().cmdHLP->click();
        ASSERT_EQ(platform.helpRequests.size(), static_cast<std::size_t>(click));
        if (!GetParam().told) {
            EXPECT_TRUE(platform.msgBoxes.empty());
            continue;
        }
        ASSERT_EQ(platform.msgBoxes.size(), static_cast<std::size_t>(click));
        EXPECT_EQ(platform.msgBoxes.back().prompt, kNoViewerMessage);
        EXPECT_EQ(platform.msgBoxes.back().icon, MessageIcon::Exclamation);
        EXPECT_EQ(platform.msgBoxes.back().title, QStringLiteral("BMI-Trevala"));
    }
}

INSTANTIATE_TEST_SUITE_P(ViewerErrors, HelpOutcome,
                         ::testing::Values(HelpRow{53, true}, HelpRow{0, false}, HelpRow{5, false},
                                           HelpRow{2, false}, HelpRow{-1, false}));

TEST(ShowHelp, RequestNamesTheHelpFileBesideTheProgramAndTheMainWindow) {
    const struct {
        QString appPath, request;
    } rows[] = {
        {QStringLiteral("/opt/bmi"), QStringLiteral("/opt/bmi/BMI-Trevala.chm>Main")},
        {QStringLiteral("/"), QStringLiteral("//BMI-Trevala.chm>Main")},
        {QStringLiteral("/home/a b/x>y"), QStringLiteral("/home/a b/x>y/BMI-Trevala.chm>Main")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.appPath.toStdString());
        RecordingPlatform platform;
        platform.appDirectory = row.appPath;
        QWidget caller;
        ShowHelp(platform, &caller);
        EXPECT_EQ(platform.helpRequests, std::vector<QString>{row.request});
    }
}

// ---- Advert pointer ---------------------------------------------------------------

// One mouse event at the image's centre: its type, the button that changed and the
// buttons held after it.
struct Mouse {
    QEvent::Type type;
    Qt::MouseButton button;
    Qt::MouseButtons buttons;

    static const Mouse Move, PressLeft, DoubleClickLeft, PressRight, ReleaseLeft, ReleaseRight,
        ReleaseMiddle, Leave;
};
const Mouse Mouse::Move{QEvent::MouseMove, Qt::NoButton, Qt::NoButton};
const Mouse Mouse::PressLeft{QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton};
// The second press of a double-click.
const Mouse Mouse::DoubleClickLeft{QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton};
const Mouse Mouse::PressRight{QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton};
const Mouse Mouse::ReleaseLeft{QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton};
const Mouse Mouse::ReleaseRight{QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton};
const Mouse Mouse::ReleaseMiddle{QEvent::MouseButtonRelease, Qt::MiddleButton, Qt::NoButton};
const Mouse Mouse::Leave{QEvent::Leave, Qt::NoButton, Qt::NoButton};

void send(Image& image, const Mouse& m) {
    if (m.type == QEvent::Leave) {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&image, &leave);
        return;
    }
    sendMouse(image, m.type, m.button, m.buttons);
}

struct PointerRow {
    const char* name;
    bool handAvailable;
    std::vector<Mouse> events;
    int border;
    int loads;
    int handsSet;
    int pagesOpened;
};

void PrintTo(const PointerRow& row, std::ostream* os) {
    *os << row.name;
}

class AdvertPointer : public ::testing::TestWithParam<PointerRow> {};

TEST_P(AdvertPointer, BorderAndPointerFollowTheLastEvent) {
    const PointerRow& row = GetParam();
    RecordingPlatform platform;
    platform.handCursorAvailable = row.handAvailable;
    frmBMI window(platform);
    Image& image = *window.controls().imgAD;
    ASSERT_EQ(image.BorderStyle(), 0);
    platform.reset();
    for (const Mouse& m : row.events)
        send(image, m);
    EXPECT_EQ(image.BorderStyle(), row.border);
    EXPECT_EQ(platform.cursorLoads, row.loads);
    EXPECT_EQ(platform.cursorsSet,
              std::vector<Qt::CursorShape>(static_cast<std::size_t>(row.handsSet),
                                           Qt::PointingHandCursor));
    EXPECT_EQ(platform.webPagesOpened.size(), static_cast<std::size_t>(row.pagesOpened));
}

using M = Mouse;
INSTANTIATE_TEST_SUITE_P(
    Events, AdvertPointer,
    ::testing::Values(
        PointerRow{"moves", true, {M::Move, M::Move, M::Move}, 0, 3, 3, 0},
        PointerRow{"click", true, {M::Move, M::PressLeft, M::ReleaseLeft}, 1, 1, 1, 1},
        PointerRow{
            "click_then_move", true, {M::Move, M::PressLeft, M::ReleaseLeft, M::Move}, 0, 2, 2, 1},
        // A double-click opens the page once; its second release still sets the border.
        PointerRow{"double_click",
                   true,
                   {M::PressLeft, M::ReleaseLeft, M::Move, M::DoubleClickLeft, M::ReleaseLeft},
                   1,
                   1,
                   1,
                   1},
        PointerRow{"right_release", true, {M::Move, M::ReleaseRight}, 1, 1, 1, 0},
        PointerRow{"middle_release", true, {M::Move, M::ReleaseMiddle}, 1, 1, 1, 0},
        PointerRow{"right_click", true, {M::PressRight, M::ReleaseRight}, 1, 0, 0, 0},
        PointerRow{"leave_after_click",
                   true,
                   {M::Move, M::PressLeft, M::ReleaseLeft, M::Leave},
                   1,
                   1,
                   1,
                   1},
        PointerRow{"leave_after_move", true, {M::ReleaseRight, M::Move, M::Leave}, 0, 1, 1, 0},
        PointerRow{"no_hand", false, {M::Move, M::Move}, 0, 2, 0, 0},
        PointerRow{"no_hand_after_release", false, {M::ReleaseLeft, M::Move}, 0, 1, 0, 0}),
    [](const ::testing::TestParamInfo<PointerRow>& info) { return std::string(info.param.name); });

TEST(AdvertPointer, TheRealPlatformShowsTheHandOverTheImage) {
    QtPlatform platform;
    frmBMI window(platform);
    Image& image = *window.controls().imgAD;
    send(image, Mouse::Move);
    EXPECT_TRUE(image.testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(image.cursor().shape(), Qt::PointingHandCursor);
}

} // namespace
} // namespace bmi::test
