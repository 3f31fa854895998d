// The feet-and-inches dialog as the user meets it: opened modally from the main
// window's picture button, filled in, and closed by its Enter button or close box.
#include "feet_inches_dialog/frmFtToInches.h"
#include "main_window/frmBMI.h"
#include "platform/Controls.h"
#include "tests/support/MainWindowTest.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <utility>

namespace bmi {
namespace {

enum class Trigger {
    Mouse,          // click on the Enter button
    AltE,           // access key, typed in the feet list
    SpaceOnButton,  // Space while the button has the focus
    EnterOnButton,  // Enter while the button has the focus
    EscapeInFeet,   // the cancel button's key, typed in a list ...
    EscapeInInches, //
    EscapeOnButton, // ... or on the button itself
    EscapeOnDialog, // ... or on the dialog when no control has the focus
};

// Picks an entry as a choice from the drop-down does.
void pick(ComboBox& list, int index) {
    list.setCurrentIndex(index);
    emit list.activated(index);
}

// Replaces a list's text by typing, as the user does; characters that have no key
// of their own arrive as an input method would commit them.
void type(ComboBox& list, const char* text) {
    list.setFocus();
    list.lineEdit()->selectAll();
    QTest::keyClick(&list, Qt::Key_Delete);
    for (const QChar ch : QString::fromUtf8(text)) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(&list, ch.toLatin1());
        } else {
            QInputMethodEvent event;
            event.setCommitString(QString(ch));
            QApplication::sendEvent(&list, &event);
        }
    }
}

// A key as the user types it: on the control that has the focus.
void keyOn(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    w->setFocus();
    QTest::keyClick(w, key, mods);
}

void press(frmFtToInches& dialog, Trigger trigger) {
    const FeetInchesControls& d = dialog.controls();
    switch (trigger) {
    case Trigger::Mouse:
        QTest::mouseClick(d.cmdClose, Qt::LeftButton);
        break;
    case Trigger::AltE:
        keyOn(d.cmbFt, Qt::Key_E, Qt::AltModifier); // clicks on the key
        break;
    case Trigger::SpaceOnButton:
        keyOn(d.cmdClose, Qt::Key_Space);
        break;
    case Trigger::EnterOnButton:
        keyOn(d.cmdClose, Qt::Key_Return);
        break;
    case Trigger::EscapeInFeet:
        keyOn(d.cmbFt, Qt::Key_Escape);
        break;
    case Trigger::EscapeInInches:
        keyOn(d.cmbIn, Qt::Key_Escape);
        break;
    case Trigger::EscapeOnButton:
        keyOn(d.cmdClose, Qt::Key_Escape);
        break;
    case Trigger::EscapeOnDialog:
        QTest::keyClick(&dialog, Qt::Key_Escape);
        break;
    }
}

class DialogTest : public test::MainWindowTest {
protected:
    const MainControls& c() { return window().controls(); }

    struct Opening {
        bool ran = false;
        bool active = false;      // the dialog became the active window
        bool modal = false;       // the dialog was the application's modal window
        bool stayedOpen = false;  // still shown once act returned
        bool programIcon = false; // carries the program's icon
        bool transient = false;   // kept with the calculator by the window system
    };

    // Clicks CmdDetail and runs act on the dialog while the main window waits in its
    // modal loop. A dialog that act leaves open is closed by its close box, so a
    // failing test can't hang.
    Opening open(const std::function<void(frmFtToInches&)>& act) {
        Opening opening;
        test::answerNextModal([&](QWidget*) {
            frmFtToInches* dialog = window().feetInchesDialog();
            if (!dialog)
                return;
            opening.ran = true;
            // The window system activates a shown window through its own queue.
            opening.active = test::waitForKeyboard(dialog);
            opening.modal = QApplication::activeModalWidget() == dialog && dialog->isVisible();
            opening.transient =
                dialog->windowHandle()->transientParent() == window().windowHandle();
            opening.programIcon =
                dialog->windowIcon().cacheKey() == window().windowIcon().cacheKey();
            act(*dialog);
            opening.stayedOpen = dialog->isVisible();
            if (dialog->isVisible())
                dialog->close();
        });
        c().CmdDetail->click();
        return opening;
    }

    // A result on screen for 170 centimeters and 70 kilograms.
    void showMetricResult() {
        c().txtHT->setText(QStringLiteral("170"));
        c().cmbHT->selectEntry(1);
        c().txtWT->setText(QStringLiteral("70"));
        c().cmbWT->selectEntry(1);
        c().cmdCalculate->click();
        ASSERT_FALSE(c().lblBMI->Caption().isEmpty());
        ASSERT_TRUE(m_platform.msgBoxes.empty());
    }
};

// ---- Start-up and design --------------------------------------------------------

// The calculator is its parent, so that window systems keep the dialog with it.
TEST_F(DialogTest, ExistsHiddenFromStartUpAsTheCalculatorsOwn) {
    frmFtToInches* dialog = window().feetInchesDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->parentWidget(), &window());
    EXPECT_EQ(dialog->objectName(), QStringLiteral("frmFtToInches"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Feet to Inches Calcualtor"));
}

TEST_F(DialogTest, IsAFixedToolWindowWithACloseBoxOnly) {
    frmFtToInches& dialog = *window().feetInchesDialog();
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_EQ(dialog.windowType(), Qt::Tool);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog.minimumSize(), QSize(204, 61));
    EXPECT_EQ(dialog.maximumSize(), QSize(204, 61));
}

struct PlacedControl {
    const char* name;
    QRect pixels;
    const char* toolTip;
};

void PrintTo(const PlacedControl& row, std::ostream* os) {
    *os << row.name;
}

class DialogDesignTest : public DialogTest, public testing::WithParamInterface<PlacedControl> {};

TEST_P(DialogDesignTest, ControlLiesWhereDesigned) {
    const PlacedControl& row = GetParam();
    auto* w = window().feetInchesDialog()->findChild<QWidget*>(QString::fromLatin1(row.name));
    ASSERT_NE(w, nullptr) << row.name;
    EXPECT_EQ(w->geometry(), row.pixels);
    EXPECT_EQ(w->toolTip(), QString::fromUtf8(row.toolTip));
}

INSTANTIATE_TEST_SUITE_P(
    Design, DialogDesignTest,
    testing::Values(PlacedControl{"Frame1", {0, -4, 203, 65}, ""},
                    PlacedControl{"cmbFt", {20, 24, 41, 21}, "Height in feet"},
                    PlacedControl{"cmbIn", {68, 24, 41, 21}, "remainder height in inches"},
                    PlacedControl{"cmdClose", {132, 20, 65, 27}, ""}));

TEST_F(DialogTest, ListsHoldTheirEntriesAndStartFromTheDesignTexts) {
    const FeetInchesControls& d = window().feetInchesDialog()->controls();
    QStringList feet, inches;
    for (int i = 0; i < d.cmbFt->count(); ++i)
        feet << d.cmbFt->itemText(i);
    for (int i = 0; i < d.cmbIn->count(); ++i)
        inches << d.cmbIn->itemText(i);
    EXPECT_EQ(feet, QStringList({"3'", "4'", "5'", "6'", "7'"}));
    EXPECT_EQ(inches, QStringList({"1\"", "2\"", "3\"", "4\"", "5\"", "6\"", "7\"", "8\"", "9\"",
                                   "10\"", "11\""}));
    EXPECT_EQ(d.cmbFt->Text(), QStringLiteral("5'"));
    EXPECT_EQ(d.cmbIn->Text(), QStringLiteral("0\""));
    EXPECT_EQ(d.cmdClose->text(), QStringLiteral("&Enter"));
}

TEST_F(DialogTest, OrangeFrameCoversAllButTheMagentaStripAtTheRight) {
    frmFtToInches& dialog = *window().feetInchesDialog();
    const QImage image = dialog.grab().toImage();
    ASSERT_EQ(image.size(), QSize(204, 61));
    EXPECT_EQ(QColor(image.pixel(10, 10)), QColor(0xFF, 0xC0, 0x80)); // &H0080C0FF
    EXPECT_EQ(QColor(image.pixel(120, 55)), QColor(0xFF, 0xC0, 0x80));
    EXPECT_EQ(QColor(image.pixel(203, 30)), QColor(0xFF, 0x80, 0xFF)); // &H00FF80FF
}

// ---- Opening --------------------------------------------------------------------

TEST_F(DialogTest, OpensModalWithTheFocusInTheFeetListAndTabsThroughAll) {
    QStringList order;
    const Opening opening = open([&](frmFtToInches& dialog) {
        QWidget* w = QApplication::focusWidget();
        for (int i = 0; i < 4 && w; ++i) {
            order << w->objectName();
            QTest::keyClick(w, Qt::Key_Tab);
            w = QApplication::focusWidget();
        }
        EXPECT_EQ(QApplication::activeWindow(), &dialog);
    });
    EXPECT_TRUE(opening.ran);
    EXPECT_TRUE(opening.active);
    EXPECT_TRUE(opening.modal);
    EXPECT_TRUE(opening.programIcon);
    EXPECT_TRUE(opening.transient);
    EXPECT_EQ(order, QStringList({"cmbFt", "cmbIn", "cmdClose", "cmbFt"}));
}

TEST_F(DialogTest, IsDestroyedAfterEveryClosingAndReopensFromTheDesignTexts) {
    QPointer<frmFtToInches> first = window().feetInchesDialog();
    // Close box after changing both lists.
    open([](frmFtToInches& dialog) {
        pick(*dialog.controls().cmbFt, 4);
        type(*dialog.controls().cmbIn, "9\"");
    });
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(window().feetInchesDialog(), nullptr);

    // Enter after changing both lists.
    QStringList texts;
    open([&](frmFtToInches& dialog) {
        texts << dialog.controls().cmbFt->Text() << dialog.controls().cmbIn->Text();
        pick(*dialog.controls().cmbFt, 0);
        pick(*dialog.controls().cmbIn, 10);
        press(dialog, Trigger::Mouse);
    });
    EXPECT_EQ(c().txtHT->text(), QStringLiteral("47"));
    EXPECT_EQ(window().feetInchesDialog(), nullptr);

    open([&](frmFtToInches& dialog) {
        texts << dialog.controls().cmbFt->Text() << dialog.controls().cmbIn->Text();
    });
    EXPECT_EQ(texts, QStringList({"5'", "0\"", "5'", "0\""}));
}

// ---- Enter ----------------------------------------------------------------------

struct EnterRow {
    const char* name;
    int pickFeet = -1;              // entry to choose, or -1
    const char* typeFeet = nullptr; // text to type, or nothing
    int pickInches = -1;
    const char* typeInches = nullptr;
    Trigger trigger = Trigger::Mouse;
    const char* expected = "";
};

void PrintTo(const EnterRow& row, std::ostream* os) {
    *os << row.name;
}

class DialogEnterTest : public DialogTest, public testing::WithParamInterface<EnterRow> {};

TEST_P(DialogEnterTest, WritesTheInchesSelectsInchesAndCloses) {
    const EnterRow& row = GetParam();
    showMetricResult();
    const Opening opening = open([&](frmFtToInches& dialog) {
        const FeetInchesControls& d = dialog.controls();
        if (row.pickFeet >= 0)
            pick(*d.cmbFt, row.pickFeet);
        if (row.typeFeet)
            type(*d.cmbFt, row.typeFeet);
        if (row.pickInches >= 0)
            pick(*d.cmbIn, row.pickInches);
        if (row.typeInches)
            type(*d.cmbIn, row.typeInches);
        press(dialog, row.trigger);
    });
    EXPECT_TRUE(opening.ran);
    EXPECT_FALSE(opening.stayedOpen);
    EXPECT_EQ(c().txtHT->text(), QString::fromLatin1(row.expected));
    EXPECT_EQ(c().cmbHT->currentIndex(), 0);
    EXPECT_EQ(c().cmbHT->Text(), QStringLiteral("inches"));
    EXPECT_TRUE(c().lblBMI->Caption().isEmpty());
    EXPECT_TRUE(m_platform.msgBoxes.empty());
    EXPECT_EQ(window().feetInchesDialog(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Enter, DialogEnterTest,
    testing::Values(
        EnterRow{"DesignTexts", -1, nullptr, -1, nullptr, Trigger::Mouse, "60"},
        EnterRow{"Largest", 4, nullptr, 10, nullptr, Trigger::Mouse, "95"},
        EnterRow{"SmallestFeetInitialInches", 0, nullptr, -1, nullptr, Trigger::Mouse, "36"},
        EnterRow{"SmallestPicks", 0, nullptr, 0, nullptr, Trigger::Mouse, "37"},
        EnterRow{"HalfFeetToEvenUp", -1, "5.5'", -1, nullptr, Trigger::Mouse, "72"},
        EnterRow{"TypedZeroInchesAfterAPick", 1, nullptr, 5, "0\"", Trigger::Mouse, "48"},
        EnterRow{"AnyMarkCharacter", -1, "6\u2032", -1, "3\u2033", Trigger::Mouse, "75"},
        EnterRow{"AltE", 3, nullptr, -1, nullptr, Trigger::AltE, "72"},
        EnterRow{"SpaceOnButton", 3, nullptr, 1, nullptr, Trigger::SpaceOnButton, "74"},
        EnterRow{"EnterOnButton", 2, nullptr, 2, nullptr, Trigger::EnterOnButton, "63"},
        EnterRow{"EscapeInFeet", 4, nullptr, 10, nullptr, Trigger::EscapeInFeet, "95"},
        EnterRow{"EscapeInInches", -1, nullptr, -1, nullptr, Trigger::EscapeInInches, "60"},
        EnterRow{"EscapeOnButton", 0, nullptr, 3, nullptr, Trigger::EscapeOnButton, "40"},
        EnterRow{"EscapeOnDialog", 1, nullptr, -1, nullptr, Trigger::EscapeOnDialog, "48"}),
    [](const testing::TestParamInfo<EnterRow>& info) { return std::string(info.param.name); });

TEST_F(DialogTest, SelectingInchesAloneClearsAShownResult) {
    // 14 feet 2 inches write the height that is already there, so only the unit changes.
    showMetricResult();
    open([](frmFtToInches& dialog) {
        type(*dialog.controls().cmbFt, "14'");
        type(*dialog.controls().cmbIn, "2\"");
        press(dialog, Trigger::Mouse);
    });
    EXPECT_EQ(c().txtHT->text(), QStringLiteral("170"));
    EXPECT_EQ(c().cmbHT->Text(), QStringLiteral("inches"));
    EXPECT_TRUE(c().lblBMI->Caption().isEmpty());
    EXPECT_EQ(c().Slider1->Value(), 0);
}

TEST_F(DialogTest, WritingTheHeightClearsAResultInInches) {
    c().txtHT->setText(QStringLiteral("70"));
    c().txtWT->setText(QStringLiteral("154"));
    c().cmdCalculate->click();
    ASSERT_EQ(c().lblBMI->Caption(), QStringLiteral("22.1"));
    open([](frmFtToInches& dialog) { press(dialog, Trigger::Mouse); });
    EXPECT_EQ(c().txtHT->text(), QStringLiteral("60"));
    EXPECT_TRUE(c().lblBMI->Caption().isEmpty());
}

// ---- Keys and closings that write nothing ---------------------------------------

struct QuietRow {
    const char* name;
    std::function<void(frmFtToInches&)> act;
    bool stays;
};

void PrintTo(const QuietRow& row, std::ostream* os) {
    *os << row.name;
}

class DialogQuietTest : public DialogTest, public testing::WithParamInterface<QuietRow> {};

TEST_P(DialogQuietTest, LeavesTheMainWindowAsItWas) {
    const QuietRow& row = GetParam();
    showMetricResult();
    const QString caption = c().lblBMI->Caption();
    const Opening opening = open([&](frmFtToInches& dialog) {
        pick(*dialog.controls().cmbFt, 4);
        row.act(dialog);
        if (row.stays) {
            EXPECT_EQ(dialog.controls().cmbFt->Text(), QStringLiteral("7'"));
            EXPECT_EQ(dialog.controls().cmbIn->Text(), QStringLiteral("0\""));
            EXPECT_EQ(dialog.controls().cmbFt->count(), 5);
        }
    });
    EXPECT_TRUE(opening.ran);
    EXPECT_EQ(opening.stayedOpen, row.stays);
    EXPECT_EQ(c().txtHT->text(), QStringLiteral("170"));
    EXPECT_EQ(c().cmbHT->Text(), QStringLiteral("centimeters"));
    EXPECT_EQ(c().lblBMI->Caption(), caption);
    EXPECT_TRUE(m_platform.msgBoxes.empty());
    EXPECT_EQ(window().feetInchesDialog(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Quiet, DialogQuietTest,
    testing::Values(
        QuietRow{"CloseBox", [](frmFtToInches& d) { d.close(); }, false},
        QuietRow{"CloseEvent",
                 [](frmFtToInches& d) {
                     QCloseEvent event;
                     QApplication::sendEvent(&d, &event);
                 },
                 false},
        QuietRow{"ReturnInFeet",
                 [](frmFtToInches& d) { QTest::keyClick(d.controls().cmbFt, Qt::Key_Return); },
                 true},
        QuietRow{"ReturnInInches",
                 [](frmFtToInches& d) { QTest::keyClick(d.controls().cmbIn, Qt::Key_Return); },
                 true},
        QuietRow{"KeypadEnterInFeet",
                 [](frmFtToInches& d) {
                     QTest::keyClick(d.controls().cmbFt, Qt::Key_Enter, Qt::KeypadModifier);
                 },
                 true},
        QuietRow{"ReturnInTheEditField",
                 [](frmFtToInches& d) {
                     QTest::keyClick(d.controls().cmbIn->lineEdit(), Qt::Key_Return);
                 },
                 true},
        QuietRow{"ReturnOnTheDialog", [](frmFtToInches& d) { QTest::keyClick(&d, Qt::Key_Return); },
                 true}),
    [](const testing::TestParamInfo<QuietRow>& info) { return std::string(info.param.name); });

// ---- Refusals -------------------------------------------------------------------

struct RefusalRow {
    const char* name;
    const char* feet;
    const char* inches;
    const char* names; // what the message points the user to
};

void PrintTo(const RefusalRow& row, std::ostream* os) {
    *os << row.name;
}

class DialogRefusalTest : public DialogTest, public testing::WithParamInterface<RefusalRow> {};

TEST_P(DialogRefusalTest, WritesNothingStaysOpenAndSaysWhy) {
    const RefusalRow& row = GetParam();
    showMetricResult();
    const QString caption = c().lblBMI->Caption();
    const Opening opening = open([&](frmFtToInches& dialog) {
        type(*dialog.controls().cmbFt, row.feet);
        type(*dialog.controls().cmbIn, row.inches);
        press(dialog, Trigger::Mouse);
    });
    EXPECT_TRUE(opening.stayedOpen);
    EXPECT_EQ(c().txtHT->text(), QStringLiteral("170"));
    EXPECT_EQ(c().cmbHT->Text(), QStringLiteral("centimeters"));
    EXPECT_EQ(c().lblBMI->Caption(), caption);
    ASSERT_EQ(m_platform.msgBoxes.size(), 1u);
    EXPECT_EQ(m_platform.msgBoxes[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(m_platform.msgBoxes[0].title, QStringLiteral("BMI-Trevala"));
    EXPECT_TRUE(m_platform.msgBoxes[0].prompt.contains(QLatin1String(row.names)))
        << m_platform.msgBoxes[0].prompt.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Refusal, DialogRefusalTest,
    testing::Values(RefusalRow{"FeetWithoutMark", "5", "0\"", "feet list"},
                    RefusalRow{"FeetLetters", "abc'", "0\"", "feet list"},
                    RefusalRow{"InchesLetters", "5'", "x\"", "inches list"},
                    RefusalRow{"BothBadNamesFeet", "x'", "y\"", "feet list"},
                    RefusalRow{"TotalOneAboveTheTop", "2730'", "8\"", "too large"},
                    // feet * 12 leaves the range before the inches bring it back
                    RefusalRow{"FeetAboveTheTop", "2731'", "-5\"", "too large"}),
    [](const testing::TestParamInfo<RefusalRow>& info) { return std::string(info.param.name); });

TEST_F(DialogTest, AfterARefusalTheCorrectedTextsAreWritten) {
    open([this](frmFtToInches& dialog) {
        type(*dialog.controls().cmbFt, "six'");
        press(dialog, Trigger::EscapeInFeet);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(m_platform.msgBoxes.size(), 1u);
        type(*dialog.controls().cmbFt, "6'");
        press(dialog, Trigger::EscapeInFeet);
    });
    EXPECT_EQ(c().txtHT->text(), QStringLiteral("72"));
    EXPECT_EQ(m_platform.msgBoxes.size(), 1u);
}

TEST_F(DialogTest, AHeldEnterOrEscapeClicksOnce) {
    open([this](frmFtToInches& dialog) {
        const FeetInchesControls& d = dialog.controls();
        type(*d.cmbFt, "six'");
        const std::pair<QWidget*, Qt::Key> held[] = {
            {d.cmbFt, Qt::Key_Escape}, {d.cmdClose, Qt::Key_Escape}, {d.cmdClose, Qt::Key_Return}};
        for (const auto& [target, key] : held) {
            target->setFocus();
            m_platform.reset();
            for (const bool repeat : {false, true, true}) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), repeat);
                QApplication::sendEvent(target, &press);
            }
            EXPECT_EQ(m_platform.msgBoxes.size(), 1u) << target->objectName().toStdString();
        }
        EXPECT_TRUE(dialog.isVisible());
    });
}

// ---- Place ----------------------------------------------------------------------

struct PlaceRow {
    const char* name;
    double mLeft, mTop, mWidth, mScaleWidth, mScaleTop;
    QPointF expected;
};

void PrintTo(const PlaceRow& row, std::ostream* os) {
    *os << row.name;
}

class DialogPlaceTest : public testing::TestWithParam<PlaceRow> {};

TEST_P(DialogPlaceTest, BesideTheButtonBelowItsTop) {
    const PlaceRow& r = GetParam();
    const QPointF place = feetInchesDialogPlace(r.mLeft, r.mTop, r.mWidth, r.mScaleWidth,
                                                r.mScaleTop, 4050, 780, 300);
    EXPECT_EQ(place.x(), r.expected.x());
    EXPECT_EQ(place.y(), r.expected.y());
}

INSTANTIATE_TEST_SUITE_P(
    Place, DialogPlaceTest,
    testing::Values(PlaceRow{"NoBorder", 0, 0, 9165, 9165, 0, {4380, 980}},
                    PlaceRow{"Bordered", 1500, 3000, 9285, 9165, 0, {5940, 3980}},
                    PlaceRow{"OddBorderSumKeepsTheHalf", 0, 0, 9210, 9165, 0, {4402.5, 980}},
                    PlaceRow{"ClientTopIsSubtracted", 0, 0, 9165, 9165, -30, {4380, 1010}},
                    PlaceRow{"LeftOfThePrimaryScreen", -15000, -600, 9165, 9165, 0, {-10620, 380}},
                    // 2^24 + 4381 has no single-precision value; it rounds to the even neighbour.
                    PlaceRow{"SinglePrecision", 16777217, 0, 9165, 9165, 0, {16781596, 980}}),
    [](const testing::TestParamInfo<PlaceRow>& info) { return std::string(info.param.name); });

class DialogWindowPlaceTest : public DialogTest, public testing::WithParamInterface<QPoint> {};

TEST_P(DialogWindowPlaceTest, LandsAtTheSamePlaceRelativeToTheMainWindow) {
    window().move(GetParam());
    const QPoint windowCorner = window().frameGeometry().topLeft();
    const int border = (window().frameGeometry().width() - window().width()) / 2;
    QPoint offset;
    open([&](frmFtToInches& dialog) { offset = dialog.frameGeometry().topLeft() - windowCorner; });
    // (4050 + 300 + 30) / 15 across, (780 + 200) / 15 down, rounded.
    EXPECT_EQ(offset, QPoint(border + 292, 65));
}

INSTANTIATE_TEST_SUITE_P(Place, DialogWindowPlaceTest,
                         testing::Values(QPoint(0, 0), QPoint(100, 50), QPoint(333, 217),
                                         QPoint(-200, 40)),
                         [](const testing::TestParamInfo<QPoint>& info) {
                             const auto part = [](int v) {
                                 return (v < 0 ? "minus" : "") + std::to_string(std::abs(v));
                             };
                             return "At_" + part(info.param.x()) + "_" + part(info.param.y());
                         });

} // namespace
} // namespace bmi
