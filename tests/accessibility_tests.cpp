// The program as a keyboard-only user and a screen reader meet it: every step typed on
// the active window (keys go through the window system's path, shortcuts included),
// and every control read back through QAccessible, as an assistive tool would.
#include "feet_inches_dialog/frmFtToInches.h"
#include "main_window/frmBMI.h"
#include "platform/Controls.h"
#include "tests/support/MainWindowTest.h"
#include "tests/support/RecordingPlatform.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <ostream>

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace bmi {
namespace {

// A key as the user presses it: on whichever window is active, so a modal dialog gets
// the keys while it is open, exactly as it would on a desktop.
void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* active = QApplication::activeWindow();
    ASSERT_NE(active, nullptr) << "no active window to type into";
    QTest::keyClick(active->windowHandle(), key, modifiers);
}

void type(const char* digits) {
    for (const char* c = digits; *c; ++c)
        key(static_cast<Qt::Key>(Qt::Key_0 + (*c - '0')));
}

QAccessibleInterface* accessible(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(iface, nullptr) << qPrintable(object->objectName());
    return iface;
}

QString name(QObject* object) {
    QAccessibleInterface* iface = accessible(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QString description(QObject* object) {
    QAccessibleInterface* iface = accessible(object);
    return iface ? iface->text(QAccessible::Description) : QString();
}

// The design name of the control that has the keyboard focus; an editable list's own
// edit field counts as the list.
QString focusedControl() {
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return QStringLiteral("(none)");
    if (w->objectName().isEmpty() && qobject_cast<ComboBox*>(w->parentWidget()))
        w = w->parentWidget();
    return w->objectName();
}

class Accessibility : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(focusedControl(), QStringLiteral("txtHT"));
    }

    template <typename T = QWidget> T* control(const char* name) {
        T* w = m_window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // The documented request, all from the keyboard: 70 inches, 154 pounds, Enter.
    void typeTypicalRequest() {
        type("70");
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        ASSERT_EQ(focusedControl(), QStringLiteral("txtWT"));
        type("154");
        key(Qt::Key_Return);
    }

    // Runs dialogSteps inside the feet-and-inches dialog once openingKeys (typed on the
    // main window) have it open and active. Closes a dialog the steps left open, so a
    // failing test can't hang in the dialog's event loop.
    void withDialog(const std::function<void()>& openingKeys,
                    const std::function<void(frmFtToInches&)>& dialogSteps) {
        bool ran = false;
        QTimer poll; // runs inside the dialog's own event loop
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QPointer<frmFtToInches> dialog = m_window->feetInchesDialog();
            if (ran || !dialog || !dialog->isVisible())
                return;
            ran = true;
            poll.stop();
            if (test::waitForKeyboard(dialog.data()))
                dialogSteps(*dialog);
            else
                ADD_FAILURE() << "the dialog never became the active window";
            if (dialog && dialog->isVisible())
                dialog->reject();
        });
        poll.start();
        openingKeys();
        poll.stop();
        EXPECT_TRUE(ran) << "the dialog did not open";
        EXPECT_TRUE(test::activate(m_window.get()));
    }
};

// ---- Names, roles and descriptions ---------------------------------------------------

struct NamedControl {
    const char* control;
    QAccessible::Role role;
    const char* name;        // nullptr: any non-empty name
    const char* description; // nullptr: not checked

    friend void PrintTo(const NamedControl& row, std::ostream* os) { *os << row.control; }
};

class AccessibleNames : public Accessibility, public ::testing::WithParamInterface<NamedControl> {};

TEST_P(AccessibleNames, ReachAssistiveTools) {
    const NamedControl& row = GetParam();
    QWidget* w = control(row.control);
    ASSERT_NE(w, nullptr);
    QAccessibleInterface* iface = accessible(w);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), row.role);
    if (row.name) {
        EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(row.name));
    } else {
        EXPECT_FALSE(iface->text(QAccessible::Name).isEmpty());
    }
    if (row.description) {
        EXPECT_EQ(iface->text(QAccessible::Description), QString::fromUtf8(row.description));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Accessibility, AccessibleNames,
    ::testing::Values(
        // Controls that show no text of their own.
        NamedControl{"CmdDetail", QAccessible::Button, "Feet and inches to inches",
                     "Sugar Test Time"},
        NamedControl{"imgAD", QAccessible::Graphic, "Trevala Health Records web page", nullptr},
        NamedControl{"Slider1", QAccessible::Slider, "BMI marker", nullptr},
        NamedControl{"txtHT", QAccessible::EditableText, "Height", nullptr},
        NamedControl{"txtWT", QAccessible::EditableText, "Weight", nullptr},
        NamedControl{"cmbHT", QAccessible::ComboBox, nullptr, nullptr},
        NamedControl{"cmbWT", QAccessible::ComboBox, nullptr, nullptr},
        // The scale's bands: their captions say what the colours mean.
        NamedControl{"lblColor(0)", QAccessible::StaticText, "Underweight", nullptr},
        NamedControl{"lblColor(1)", QAccessible::StaticText, "Healthy", nullptr},
        NamedControl{"lblColor(2)", QAccessible::StaticText, "Overweight", nullptr},
        NamedControl{"lblColor(3)", QAccessible::StaticText, "Obese", nullptr},
        NamedControl{"lblColor(4)", QAccessible::StaticText, "Severly Obese", nullptr},
        // Buttons are announced by caption, without the access key's "&".
        NamedControl{"cmdCalculate", QAccessible::Button, "Calculate", nullptr},
        NamedControl{"cmdHLP", QAccessible::Button, "Help", "Topic Help"},
        NamedControl{"cmdHomePage", QAccessible::Button, "Home Page", "Topic Help"},
        NamedControl{"cmdClose", QAccessible::Button, "Close", nullptr}),
    [](const auto& info) {
        QString name = QString::fromLatin1(info.param.control);
        name.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
        return name.toStdString();
    });

TEST_F(Accessibility, TheScaleIsNamedAndTheResultLabelStartsEmpty) {
    EXPECT_EQ(name(control("Frame2")), QStringLiteral("BMI scale"));
    // Calculate, which Enter clicks from every control, is known as the default button.
    EXPECT_TRUE(accessible(control("cmdCalculate"))->state().defaultButton);
    EXPECT_FALSE(accessible(control("cmdClose"))->state().defaultButton);
    EXPECT_EQ(name(lblBMI()), QString());
    EXPECT_EQ(description(lblBMI()), QString());
}

// Qt on X11 and Wayland names a list by its value, so a list's purpose is the name of
// its edit field, which is what takes the focus; the captions before the boxes are
// their labels.
TEST_F(Accessibility, ListsAndBoxesSayWhatTheyAreFor) {
    frmFtToInches* dialog = m_window->feetInchesDialog();
    ASSERT_NE(dialog, nullptr);
    for (const auto& [list, purpose] :
         {std::pair{control<QComboBox>("cmbHT"), "Height unit"},
          {control<QComboBox>("cmbWT"), "Weight unit"},
          {dialog->findChild<QComboBox*>(QStringLiteral("cmbFt")), "Feet"},
          {dialog->findChild<QComboBox*>(QStringLiteral("cmbIn")), "Inches"}}) {
        ASSERT_TRUE(list && list->lineEdit());
        EXPECT_EQ(name(list->lineEdit()), QString::fromLatin1(purpose));
    }
    for (const auto& [label, box] : {std::pair{"Label1(0)", "txtHT"}, {"Label1(2)", "txtWT"}}) {
        const auto labels = accessible(control(box))->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1) << box;
        EXPECT_EQ(labels.first().first->object(), control(label));
    }
}

// The scale is read as it is seen: the result, the marker, the bands and the numbers
// under them, each left to right; no line, nothing hidden or outside the frame.
TEST_F(Accessibility, TheScaleIsReadAsItIsSeen) {
    typeTypicalRequest();
    QAccessibleInterface* scale = accessible(control("Frame2"));
    QStringList read;
    for (int i = 0; i < scale->childCount(); ++i)
        read << scale->child(i)->text(QAccessible::Name);
    EXPECT_EQ(read.join(QLatin1Char(',')),
              QStringLiteral("22.1,BMI marker,Underweight,Healthy,Overweight,Obese,Severly Obese,"
                             "15,20,25,30,35,40,45"));
}

// ---- The result, read back -------------------------------------------------------------

TEST_F(Accessibility, TypedRequestShowsTheResultToAssistiveTools) {
    typeTypicalRequest();

    EXPECT_TRUE(m_platform.msgBoxes.empty());
    EXPECT_EQ(lblBMI()->Caption(), QStringLiteral("22.1"));
    // The label's name is its value: nothing fixed hides the number.
    EXPECT_EQ(name(lblBMI()), QStringLiteral("22.1"));
    EXPECT_EQ(description(lblBMI()), QStringLiteral("Healthy"));
    // Said out loud too, since the focus stays in the weight box.
    EXPECT_EQ(m_platform.announcements, std::vector<QString>{QStringLiteral("BMI 22.1, Healthy")});
    QAccessibleInterface* slider = accessible(control("Slider1"));
    ASSERT_NE(slider, nullptr);
    ASSERT_NE(slider->valueInterface(), nullptr);
    EXPECT_EQ(slider->valueInterface()->currentValue().toInt(), 22);

    // The next key blanks the result, for assistive tools as well.
    key(Qt::Key_Backspace);
    EXPECT_EQ(m_platform.announcements.size(), 1u); // a blanked result is not announced
    EXPECT_EQ(name(lblBMI()), QString());
    EXPECT_EQ(description(lblBMI()), QString());
}

struct BandCase {
    const char* weight; // pounds, at 70 inches
    const char* band;

    friend void PrintTo(const BandCase& row, std::ostream* os) { *os << row.weight; }
};

class AccessibleResultBand : public Accessibility,
                             public ::testing::WithParamInterface<BandCase> {};

// The result's colour is said in words as well: the category's caption.
TEST_P(AccessibleResultBand, IsDescribedInWords) {
    type("70");
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    type(GetParam().weight);
    key(Qt::Key_Return);
    ASSERT_FALSE(lblBMI()->Caption().isEmpty());
    EXPECT_EQ(name(lblBMI()), lblBMI()->Caption());
    EXPECT_EQ(description(lblBMI()), QString::fromLatin1(GetParam().band));
}

INSTANTIATE_TEST_SUITE_P(Accessibility, AccessibleResultBand,
                         ::testing::Values(BandCase{"100", "Underweight"},
                                           BandCase{"154", "Healthy"},
                                           BandCase{"190", "Overweight"}, BandCase{"250", "Obese"},
                                           BandCase{"300", "Severly Obese"}),
                         [](const auto& info) { return std::string(info.param.weight); });

// ---- The whole program from the keyboard ------------------------------------------------

// The whole journey without a mouse: the height from the dialog, the weight typed,
// Enter to calculate, and Alt+C to leave.
TEST_F(Accessibility, WholeRequestWithoutAMouse) {
    withDialog(
        [&] {
            key(Qt::Key_Backtab, Qt::ShiftModifier); // txtHT back round to CmdDetail
            ASSERT_EQ(focusedControl(), QStringLiteral("CmdDetail"));
            key(Qt::Key_Return); // Enter on a command button clicks that button
        },
        [&](frmFtToInches& dialog) {
            key(Qt::Key_Down); // 6'
            key(Qt::Key_Tab);
            key(Qt::Key_Down); // 1"
            key(Qt::Key_E, Qt::AltModifier);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
        });
    ASSERT_EQ(control<TextBox>("txtHT")->text(), QStringLiteral("73"));
    // The focus comes back to the button that opened the dialog; Tab on to the weight.
    EXPECT_EQ(focusedControl(), QStringLiteral("CmdDetail"));
    for (int i = 0; i < 20 && focusedControl() != QStringLiteral("txtWT"); ++i)
        key(Qt::Key_Tab);
    ASSERT_EQ(focusedControl(), QStringLiteral("txtWT"));
    type("154");
    key(Qt::Key_Return);
    EXPECT_EQ(name(lblBMI()), QStringLiteral("20.4"));
    EXPECT_EQ(description(lblBMI()), QStringLiteral("Healthy"));

    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_window->isVisible(); }));
}

} // namespace
} // namespace bmi
