// Calculate, the result display and the slider, the window's start-up state and its
// closing.
#include "tests/support/MainWindowTest.h"

#include "feet_inches_dialog/frmFtToInches.h"

#include <QDialog>
#include <QSignalSpy>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace bmi::test {
namespace {

TEST_F(MainWindowTest, StartsWithUnitsChosenAndTheResultIdle) {
    ASSERT_EQ(cmbHT()->count(), 2);
    EXPECT_EQ(cmbHT()->itemText(0), QStringLiteral("inches"));
    EXPECT_EQ(cmbHT()->itemText(1), QStringLiteral("centimeters"));
    EXPECT_EQ(cmbHT()->property("Text").toString(), QStringLiteral("inches"));
    ASSERT_EQ(cmbWT()->count(), 2);
    EXPECT_EQ(cmbWT()->itemText(0), QStringLiteral("pounds"));
    EXPECT_EQ(cmbWT()->itemText(1), QStringLiteral("kilograms"));
    EXPECT_EQ(cmbWT()->property("Text").toString(), QStringLiteral("pounds"));
    EXPECT_TRUE(txtHT()->text().isEmpty());
    EXPECT_TRUE(txtWT()->text().isEmpty());
    EXPECT_TRUE(resultIsIdle());
    EXPECT_EQ(slider()->value(), 13); // the thumb at the left end
    EXPECT_EQ(slider()->minimum(), 13);
    EXPECT_EQ(slider()->maximum(), 45);
    ASSERT_NE(window().feetInchesDialog(), nullptr);
    EXPECT_FALSE(window().feetInchesDialog()->isVisible());
    EXPECT_EQ(m_platform.beeps, 0);
    EXPECT_TRUE(m_platform.msgBoxes.empty());
}

// ---- Accepted entries --------------------------------------------------------------

struct AcceptRow {
    const char* height;
    int heightUnit;
    const char* weight;
    int weightUnit;
    const char* shown;
    int value;
    int thumb;
    int band;

    friend void PrintTo(const AcceptRow& row, std::ostream* os) {
        *os << row.height << " and " << row.weight;
    }
};

class Accepted : public MainWindowTest, public ::testing::WithParamInterface<AcceptRow> {};

TEST_P(Accepted, ShowsTheValueItsBandColourAndMovesTheThumb) {
    const AcceptRow& row = GetParam();
    enter(QString::fromLatin1(row.height), row.heightUnit, QString::fromLatin1(row.weight),
          row.weightUnit);
    button("cmdCalculate")->click();
    EXPECT_TRUE(m_platform.msgBoxes.empty());
    EXPECT_EQ(shownBMI(), QString::fromLatin1(row.shown));
    EXPECT_EQ(sliderValue(), row.value);
    EXPECT_EQ(slider()->value(), row.thumb);
    EXPECT_EQ(shownColor(), band(row.band)->property("BackColor").value<QColor>());
}

INSTANTIATE_TEST_SUITE_P(MainWindow, Accepted,
                         ::testing::Values(AcceptRow{"70", 0, "154", 0, "22.1", 22, 22, 1},
                                           AcceptRow{"175", 1, "76.5", 1, "25", 25, 25, 2},
                                           AcceptRow{"160", 1, "57.5", 1, "22.5", 22, 22, 1},
                                           AcceptRow{"90", 1, "400", 1, "493.8", 494, 45, 4},
                                           AcceptRow{"275", 1, "10", 1, "1.3", 1, 13, 0}));

TEST_F(MainWindowTest, ResultColourIsReadFromTheBandAtThatMoment) {
    band(1)->setProperty("BackColor", QColor(10, 20, 30));
    showSomeResult();
    EXPECT_EQ(shownColor(), QColor(10, 20, 30));
}

// ---- Refused entries ---------------------------------------------------------------

constexpr MessageIcon kExclamation = MessageIcon::Exclamation;

struct RefuseRow {
    const char* what;
    const char* height;
    const char* weight;
    bool eraseWeightUnit;
    MessageIcon icon;

    friend void PrintTo(const RefuseRow& row, std::ostream* os) { *os << row.what; }
};

class Refused : public MainWindowTest, public ::testing::WithParamInterface<RefuseRow> {};

TEST_P(Refused, OneMessageAndNothingElseChanges) {
    const RefuseRow& row = GetParam();
    enter(QString::fromLatin1(row.height), 1, QString::fromLatin1(row.weight), 0);
    if (row.eraseWeightUnit)
        cmbWT()->lineEdit()->clear();
    // A result from before, and a caret and selection in each box.
    window().ShowResult({33.3f, "33.3", 33, 3});
    const int caret = std::min(1, static_cast<int>(txtHT()->text().size()));
    txtHT()->setCursorPosition(caret);
    txtWT()->setSelection(1, 2);
    txtWT()->setFocus(Qt::OtherFocusReason);
    // The message box is modal: it takes the focus while it shows.
    m_platform.onMsgBox = [](const RecordedMsgBox&) {
        QDialog box;
        box.show();
        ASSERT_TRUE(activate(&box));
        box.close();
    };
    QTest::keyClick(txtWT(), Qt::Key_Return);
    ASSERT_TRUE(activate(m_window.get()));

    ASSERT_EQ(m_platform.msgBoxes.size(), 1u);
    EXPECT_EQ(m_platform.msgBoxes[0].icon, row.icon);
    EXPECT_EQ(m_platform.msgBoxes[0].title, QStringLiteral("BMI-Trevala"));
    EXPECT_EQ(txtHT()->text(), QString::fromLatin1(row.height));
    EXPECT_EQ(txtWT()->text(), QString::fromLatin1(row.weight));
    EXPECT_EQ(cmbHT()->currentText(), QStringLiteral("centimeters"));
    EXPECT_EQ(cmbWT()->currentText(), row.eraseWeightUnit ? QString() : QStringLiteral("pounds"));
    EXPECT_FALSE(txtHT()->hasSelectedText());
    EXPECT_EQ(txtHT()->cursorPosition(), caret);
    EXPECT_EQ(txtWT()->selectionStart(), 1);
    EXPECT_EQ(txtWT()->selectedText().size(), 2);
    EXPECT_EQ(txtWT()->cursorPosition(), 3);
    EXPECT_EQ(QApplication::focusWidget(), txtWT());
    EXPECT_EQ(shownBMI(), QStringLiteral("33.3"));
    EXPECT_EQ(sliderValue(), 33);
    EXPECT_EQ(shownColor(), band(3)->property("BackColor").value<QColor>());
    EXPECT_EQ(m_platform.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, Refused,
    ::testing::Values(RefuseRow{"NoHeight", "", "154", false, kExclamation},
                      RefuseRow{"HeightTooLow", "89.9", "154", false, kExclamation},
                      RefuseRow{"WeightTooHigh", "170", "800.5", false, kExclamation},
                      RefuseRow{"LonePoint", ".", "154", false, kExclamation},
                      RefuseRow{"ErasedUnit", "170", "154", true, MessageIcon::Information}),
    [](const auto& info) { return std::string(info.param.what); });

// ---- Result display and slider -----------------------------------------------------

TEST_F(MainWindowTest, ClearingPutsTheDisplayBackToIdle) {
    showSomeResult();
    window().ClearResult();
    EXPECT_TRUE(shownBMI().isEmpty());
    EXPECT_EQ(sliderValue(), 0);
    EXPECT_EQ(slider()->value(), 13);
    EXPECT_EQ(shownColor(), windowBackground());
}

TEST_F(MainWindowTest, SliderValueKeepsWhatWasSetBeyondItsRange) {
    slider()->setProperty("Value", 494);
    EXPECT_EQ(sliderValue(), 494);
    EXPECT_EQ(slider()->value(), 45);
    slider()->setProperty("Value", 0);
    EXPECT_EQ(sliderValue(), 0);
    EXPECT_EQ(slider()->value(), 13);
    slider()->setProperty("Value", 30);
    EXPECT_EQ(sliderValue(), 30);
    EXPECT_EQ(slider()->value(), 30);
}

struct MouseRow {
    const char* what;
    const char* caption; // nullptr: idle display
    Qt::MouseButton button;
    bool onGroove; // else on the thumb, dragged
    int value;

    friend void PrintTo(const MouseRow& row, std::ostream* os) { *os << row.what; }
};

class SliderMouse : public MainWindowTest, public ::testing::WithParamInterface<MouseRow> {};

TEST_P(SliderMouse, ReleaseReturnsTheThumbToTheShownValue) {
    const MouseRow& row = GetParam();
    if (row.caption)
        window().ShowResult({0.0f, row.caption, 40, 2}); // the thumb elsewhere at first
    Slider* s = slider();
    const int y = s->height() / 2;
    const QPoint from(row.onGroove ? s->width() * 3 / 4 : thumbRect().center().x(), y);
    QTest::mousePress(s, row.button, {}, from);
    if (!row.onGroove)
        QTest::mouseMove(s, QPoint(s->width() / 3, y));
    QTest::mouseRelease(s, row.button, {}, row.onGroove ? from : QPoint(s->width() / 3, y));
    EXPECT_EQ(sliderValue(), row.value);
    EXPECT_EQ(s->value(), std::clamp(row.value, 13, 45));
    EXPECT_EQ(m_platform.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, SliderMouse,
    ::testing::Values(MouseRow{"GrooveLeft", "22.1", Qt::LeftButton, true, 22},
                      MouseRow{"HalfGoesToEven", "22.5", Qt::LeftButton, true, 22},
                      MouseRow{"HalfGoesUpToEven", "23.5", Qt::LeftButton, true, 24},
                      MouseRow{"RightButton", "22.5", Qt::RightButton, true, 22},
                      MouseRow{"MiddleButton", "30", Qt::MiddleButton, true, 30},
                      MouseRow{"DraggedThumb", "25", Qt::LeftButton, false, 25},
                      MouseRow{"BeyondTheScale", "493.8", Qt::LeftButton, true, 494},
                      MouseRow{"IdleGoesToZero", nullptr, Qt::LeftButton, true, 0},
                      MouseRow{"IdleDragged", nullptr, Qt::LeftButton, false, 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(MainWindowTest, KeyboardMovesOfTheThumbStay) {
    slider()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(slider(), Qt::Key_Right);
    EXPECT_EQ(sliderValue(), 14);
    QTest::keyClick(slider(), Qt::Key_PageUp);
    EXPECT_EQ(sliderValue(), 19);
    // As the keyboard topic of the help tells them.
    const std::pair<Qt::Key, int> moves[] = {
        {Qt::Key_Up, 20},       {Qt::Key_Left, 19}, {Qt::Key_Down, 18},   {Qt::Key_End, 45},
        {Qt::Key_PageDown, 40}, {Qt::Key_Home, 13}, {Qt::Key_PageUp, 18}, {Qt::Key_Right, 19}};
    for (const auto& [key, value] : moves) {
        QTest::keyClick(slider(), key);
        EXPECT_EQ(sliderValue(), value) << "key " << static_cast<int>(key);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(sliderValue(), 19);
    EXPECT_EQ(slider()->value(), 19);
    EXPECT_EQ(shownBMI(), QString());
}

// ---- Closing -------------------------------------------------------------------------

TEST_F(MainWindowTest, CloseButtonClosesTheWindowAndEndsTheRun) {
    enter(QStringLiteral("70"), 0, QStringLiteral("154"), 0);
    // Clicked inside the program's event loop, which must end with the window.
    QTimer::singleShot(0, m_window.get(),
                       [this] { QTest::mouseClick(button("cmdClose"), Qt::LeftButton); });
    QTimer runsOn;
    runsOn.setSingleShot(true);
    QObject::connect(&runsOn, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    runsOn.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(nothingElseShows());
    EXPECT_TRUE(m_platform.msgBoxes.empty());
    // The hidden dialog from start-up doesn't keep the program running.
    ASSERT_NE(window().feetInchesDialog(), nullptr);
    EXPECT_FALSE(window().feetInchesDialog()->isVisible());
}

TEST_F(MainWindowTest, ClosingTheWindowTakesTheDialogWithIt) {
    QPointer<QWidget> dialog = window().feetInchesDialog();
    ASSERT_FALSE(dialog.isNull());
    m_window.reset();
    EXPECT_TRUE(dialog.isNull());
}

} // namespace
} // namespace bmi::test
