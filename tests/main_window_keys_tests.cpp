// The keyboard in the main window: focus order, the default and cancel keys, access
// keys, the measurement boxes' filter and the unit lists' key handling.
#include "tests/support/MainWindowTest.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QSignalSpy>

#include <cctype>
#include <cstdlib>
#include <iterator>

namespace bmi::test {
namespace {

const char* const kTabChain[] = {"txtHT",  "cmbHT",       "txtWT",    "cmbWT",   "cmdCalculate",
                                 "cmdHLP", "cmdHomePage", "cmdClose", "Slider1", "CmdDetail"};
constexpr int kChainLength = static_cast<int>(std::size(kTabChain));

QString focusName() {
    QWidget* f = QApplication::focusWidget();
    return f ? f->objectName() : QStringLiteral("<none>");
}

// A result no entry in the boxes could give, so a test sees whether a step touched it.
calc::BMIResult markerResult() {
    return {33.3f, "33.3", 33, 3};
}

class KeysTest : public MainWindowTest {
protected:
    void focusOn(const char* name) {
        auto* w = get<QWidget>(QString::fromLatin1(name));
        w->setFocus(Qt::OtherFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), w) << name;
    }
    void showMarker() {
        window().ShowResult(markerResult());
        ASSERT_EQ(shownBMI(), QStringLiteral("33.3"));
    }
    bool markerShown() {
        return shownBMI() == QStringLiteral("33.3") && sliderValue() == 33 &&
               shownColor() == band(3)->property("BackColor").value<QColor>();
    }
    // Keys go where the user's keys go: to the widget with the focus.
    static void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        if (!QApplication::focusWidget()) {
            ADD_FAILURE() << "no control has the focus";
            return;
        }
        QTest::keyClick(static_cast<QWidget*>(nullptr), key, mods);
    }
};

TEST_F(KeysTest, FocusStartsInTheHeightBox) {
    EXPECT_EQ(focusName(), QStringLiteral("txtHT"));
}

TEST_F(KeysTest, TabGoesRoundTheChainAndBacktabTheOtherWay) {
    for (int i = 1; i <= 2 * kChainLength; ++i) {
        press(Qt::Key_Tab);
        EXPECT_EQ(focusName(), QString::fromLatin1(kTabChain[i % kChainLength])) << "tab " << i;
    }
    for (int i = 2 * kChainLength - 1; i >= 0; --i) {
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(focusName(), QString::fromLatin1(kTabChain[i % kChainLength]))
            << "backtab to " << i;
    }
    EXPECT_EQ(m_platform.beeps, 0);
}

// ---- Enter and Escape ------------------------------------------------------------

class EnterOnEntry : public KeysTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EnterOnEntry, ClicksCalculateWithoutReachingTheControlsOwnKeys) {
    focusOn(GetParam());
    showMarker();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QSignalSpy clicks(button("cmdCalculate"), &QPushButton::clicked);
        m_platform.reset();
        press(key);
        EXPECT_EQ(clicks.count(), 1);
        // The boxes are empty, so Calculate refuses and the shown result stays: the key
        // never reached a handler that blanks it.
        ASSERT_EQ(m_platform.msgBoxes.size(), 1u);
        EXPECT_EQ(m_platform.beeps, 0);
        EXPECT_TRUE(markerShown());
        EXPECT_EQ(focusName(), QString::fromLatin1(GetParam()));
        EXPECT_TRUE(txtHT()->text().isEmpty());
        EXPECT_EQ(cmbHT()->currentText(), QStringLiteral("inches"));
        EXPECT_EQ(cmbWT()->currentText(), QStringLiteral("pounds"));
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, EnterOnEntry,
                         ::testing::Values("txtHT", "cmbHT", "txtWT", "cmbWT", "Slider1"));

TEST_F(KeysTest, EnterInsideAUnitListsEditFieldClicksCalculate) {
    QSignalSpy clicks(button("cmdCalculate"), &QPushButton::clicked);
    focusOn("cmbWT");
    QTest::keyClick(cmbWT()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(cmbWT()->currentText(), QStringLiteral("pounds"));
}

TEST_F(KeysTest, EnterOnACommandButtonClicksThatButton) {
    QSignalSpy calculate(button("cmdCalculate"), &QPushButton::clicked);
    focusOn("cmdHLP");
    press(Qt::Key_Return);
    EXPECT_EQ(m_platform.helpRequests.size(), 1u);
    focusOn("cmdHomePage");
    press(Qt::Key_Enter);
    EXPECT_EQ(m_platform.webPagesOpened.size(), 1u);
    EXPECT_EQ(calculate.count(), 0);
    EXPECT_TRUE(m_platform.msgBoxes.empty());

    focusOn("cmdCalculate");
    press(Qt::Key_Return);
    EXPECT_EQ(calculate.count(), 1);
    EXPECT_EQ(m_platform.msgBoxes.size(), 1u); // one click, one refusal

    // The picture button opens the feet-and-inches dialog; close it as soon as it shows.
    bool dialogShown = false;
    answerNextModal([&](QWidget* modal) {
        if (modal) {
            dialogShown = modal != m_window.get();
            modal->close();
        }
    });
    focusOn("CmdDetail");
    press(Qt::Key_Return);
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(calculate.count(), 1);
    ASSERT_TRUE(activate(m_window.get()));

    focusOn("cmdClose");
    press(Qt::Key_Enter);
    EXPECT_FALSE(window().isVisible());
}

class EscapeAnywhere : public KeysTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EscapeAnywhere, ClicksCloseAndTheWindowCloses) {
    focusOn(GetParam());
    showMarker();
    QSignalSpy closeClicks(button("cmdClose"), &QPushButton::clicked);
    press(Qt::Key_Escape);
    EXPECT_EQ(closeClicks.count(), 1);
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(nothingElseShows());
    EXPECT_EQ(m_platform.beeps, 0);
    EXPECT_TRUE(markerShown());
}

INSTANTIATE_TEST_SUITE_P(MainWindow, EscapeAnywhere,
                         ::testing::Values("txtHT", "cmbHT", "txtWT", "cmbWT", "cmdCalculate",
                                           "cmdHLP", "cmdHomePage", "Slider1", "CmdDetail"));

// ---- Access keys -----------------------------------------------------------------

struct AccessKeyRow {
    const char* from;
    Qt::Key key;
    const char* button;

    friend void PrintTo(const AccessKeyRow& row, std::ostream* os) {
        *os << row.from << "_" << row.button;
    }
};

class AccessKeys : public KeysTest, public ::testing::WithParamInterface<AccessKeyRow> {};

TEST_P(AccessKeys, AltAndTheUnderlinedLetterClickTheButton) {
    const AccessKeyRow& row = GetParam();
    focusOn(row.from);
    QSignalSpy clicks(button(row.button), &QPushButton::clicked);
    const QString before = txtHT()->text();
    press(row.key, Qt::AltModifier);
    // An access key clicks on the key, without waiting for a drawn press to spring back.
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(txtHT()->text(), before); // the letter isn't typed anywhere
    EXPECT_EQ(m_platform.beeps, 0);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, AccessKeys,
                         ::testing::Values(AccessKeyRow{"txtHT", Qt::Key_L, "cmdCalculate"},
                                           AccessKeyRow{"cmbWT", Qt::Key_L, "cmdCalculate"},
                                           AccessKeyRow{"txtWT", Qt::Key_H, "cmdHLP"},
                                           AccessKeyRow{"Slider1", Qt::Key_H, "cmdHLP"},
                                           AccessKeyRow{"txtHT", Qt::Key_C, "cmdClose"},
                                           AccessKeyRow{"cmbHT", Qt::Key_P, "cmdHomePage"},
                                           AccessKeyRow{"cmdClose", Qt::Key_P, "cmdHomePage"}),
                         [](const auto& info) {
                             return std::string(info.param.from) + "_" + info.param.button;
                         });

// Dark pixels of a button drawn with the given caption.
int inkOf(CommandButton* b, const QString& caption) {
    const QString saved = b->text();
    b->setText(caption);
    const QImage img = b->grab().toImage();
    b->setText(saved);
    int ink = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ink += qGray(img.pixel(x, y)) < 100;
    return ink;
}

TEST_F(KeysTest, TheAmpersandOfACaptionNeverShows) {
    for (const char* name : {"cmdCalculate", "cmdHLP", "cmdClose", "cmdHomePage"}) {
        CommandButton* b = button(name);
        const QString caption = b->text();
        QString plain = caption;
        plain.remove(QLatin1Char('&'));
        QString literal = caption;
        literal.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const int shown = inkOf(b, caption);
        // Drawn like the plain caption (plus at most an underline), never with an "&".
        EXPECT_LT(std::abs(shown - inkOf(b, plain)), std::abs(inkOf(b, literal) - inkOf(b, plain)))
            << name;
    }
}

// ---- Measurement boxes -----------------------------------------------------------

struct KeyRow {
    const char* what;
    const char* text;
    int selStart; // caret when selLength is 0
    int selLength;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int beeps;
    const char* after;

    friend void PrintTo(const KeyRow& row, std::ostream* os) { *os << row.what; }
};

const KeyRow kKeyRows[] = {
    {"second point refused", "12.5", 4, 0, Qt::Key_Period, {}, 1, "12.5"},
    {"point in empty box", "", 0, 0, Qt::Key_Period, {}, 0, "."},
    {"digit behind point and digit refused", "12.5", 4, 0, Qt::Key_7, {}, 1, "12.5"},
    {"digit at start admitted", "12.5", 0, 0, Qt::Key_7, {}, 0, "712.5"},
    {"digit over selected tenth refused", "12.5", 3, 1, Qt::Key_7, {}, 1, "12.5"},
    {"point into 125", "125", 1, 0, Qt::Key_Period, {}, 0, "1.25"},
    {"digit replaces selection", "70", 0, 2, Qt::Key_9, {}, 0, "9"},
    {"letter refused", "70", 2, 0, Qt::Key_A, {}, 1, "70"},
    {"space refused", "70", 2, 0, Qt::Key_Space, {}, 1, "70"},
    {"Ctrl+V refused, nothing pasted", "70", 2, 0, Qt::Key_V, Qt::ControlModifier, 1, "70"},
    {"backspace in empty box", "", 0, 0, Qt::Key_Backspace, {}, 0, ""},
    {"backspace deletes", "12.5", 4, 0, Qt::Key_Backspace, {}, 0, "12."},
    // Ctrl+H types the backspace character.
    {"Ctrl+H deletes", "12.5", 2, 0, Qt::Key_H, Qt::ControlModifier, 0, "1.5"},
    {"Ctrl+H deletes the selection", "12.5", 1, 2, Qt::Key_H, Qt::ControlModifier, 0, "15"},
};

class BoxKeys : public KeysTest, public ::testing::WithParamInterface<KeyRow> {};

TEST_P(BoxKeys, FilterAndBlankTheResult) {
    const KeyRow& row = GetParam();
    QGuiApplication::clipboard()->setText(QStringLiteral("99"));
    for (TextBox* box : {txtHT(), txtWT()}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->setFocus(Qt::OtherFocusReason);
        box->setText(QString::fromLatin1(row.text));
        if (row.selLength > 0)
            box->setSelection(row.selStart, row.selLength);
        else
            box->setCursorPosition(row.selStart);
        showMarker();
        m_platform.reset();
        press(row.key, row.mods);
        EXPECT_EQ(box->text(), QString::fromLatin1(row.after));
        EXPECT_EQ(m_platform.beeps, row.beeps);
        EXPECT_TRUE(resultIsIdle()); // admitted or refused, every key blanks the result
        EXPECT_TRUE(m_platform.msgBoxes.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, BoxKeys, ::testing::ValuesIn(kKeyRows), [](const auto& info) {
    std::string n;
    for (const char* p = info.param.what; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p)))
            n += *p;
    return n;
});

struct EditRow {
    const char* what;
    void (*act)(TextBox*);
    const char* after;

    friend void PrintTo(const EditRow& row, std::ostream* os) { *os << row.what; }
};

const EditRow kEditRows[] = {
    {"paste", [](TextBox* b) { b->paste(); }, "170"},
    {"ShiftInsert", [](TextBox* b) { QTest::keyClick(b, Qt::Key_Insert, Qt::ShiftModifier); },
     "170"},
    {"Delete",
     [](TextBox* b) {
         b->setCursorPosition(0);
         QTest::keyClick(b, Qt::Key_Delete);
     },
     ""},
    {"undo", [](TextBox* b) { b->undo(); }, ""},
};

class BoxEdits : public KeysTest, public ::testing::WithParamInterface<EditRow> {};

TEST_P(BoxEdits, ChangesThatBypassTheFilterBlankTheResultToo) {
    const EditRow& row = GetParam();
    QGuiApplication::clipboard()->setText(QStringLiteral("70"));
    for (TextBox* box : {txtHT(), txtWT()}) {
        box->setFocus(Qt::OtherFocusReason);
        box->setText(QString());
        press(Qt::Key_1); // something to undo, or to delete
        box->end(false);
        showMarker();
        m_platform.reset();
        row.act(box);
        EXPECT_EQ(box->text(), QString::fromLatin1(row.after)) << row.what;
        EXPECT_TRUE(resultIsIdle()) << row.what;
        EXPECT_EQ(m_platform.beeps, 0) << row.what;
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, BoxEdits, ::testing::ValuesIn(kEditRows),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(KeysTest, InputMethodTextPassesTheFilterCharacterByCharacter) {
    for (TextBox* box : {txtHT(), txtWT()}) {
        box->setFocus(Qt::OtherFocusReason);
        showMarker();
        m_platform.reset();
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("1a2"));
        QApplication::sendEvent(box, &commit);
        EXPECT_EQ(box->text(), QStringLiteral("12"));
        EXPECT_EQ(m_platform.beeps, 1);
        EXPECT_TRUE(resultIsIdle());
        QInputMethodEvent again;
        again.setCommitString(QStringLiteral(".5.6"));
        QApplication::sendEvent(box, &again);
        EXPECT_EQ(box->text(), QStringLiteral("12.5")); // "6" comes behind ".5"
        EXPECT_EQ(m_platform.beeps, 3);
    }
}

// Dropped text would skip the filter; the window hands a drop to no entry field.
TEST_F(KeysTest, DroppedTextChangesNothing) {
    for (QLineEdit* edit : {static_cast<QLineEdit*>(txtHT()), static_cast<QLineEdit*>(txtWT()),
                            cmbHT()->lineEdit(), cmbWT()->lineEdit()}) {
        const QString before = edit->text();
        QMimeData text;
        text.setText(QStringLiteral("kilo9"));
        const QPoint at = edit->mapTo(m_window.get(), edit->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_window->windowHandle(), &enter);
        if (enter.isAccepted()) {
            QDropEvent drop(at, Qt::CopyAction, &text, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(m_window->windowHandle(), &drop);
        }
        EXPECT_EQ(edit->text(), before);
    }
}

// ---- Unit lists ------------------------------------------------------------------

struct ListKeyRow {
    const char* what;
    Qt::Key key;
    Qt::KeyboardModifiers mods;

    friend void PrintTo(const ListKeyRow& row, std::ostream* os) { *os << row.what; }
};

class ListKeys : public KeysTest, public ::testing::WithParamInterface<ListKeyRow> {};

TEST_P(ListKeys, TypedCharactersAreSwallowedSilently) {
    const ListKeyRow& row = GetParam();
    QGuiApplication::clipboard()->setText(QStringLiteral("kilograms"));
    for (ComboBox* list : {cmbHT(), cmbWT()}) {
        list->setFocus(Qt::OtherFocusReason);
        const QString before = list->currentText();
        const int index = list->currentIndex();
        showMarker();
        m_platform.reset();
        press(row.key, row.mods);
        EXPECT_EQ(list->currentText(), before) << row.what;
        EXPECT_EQ(list->lineEdit()->text(), before) << row.what;
        EXPECT_EQ(list->currentIndex(), index) << row.what;
        EXPECT_EQ(m_platform.beeps, 0) << row.what;
        EXPECT_TRUE(markerShown()) << row.what;
        // Opened, the drop-down's own keyboard search takes no characters either.
        list->showPopup();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list->view()->window()));
        QTest::keyClick(list->view(), row.key, row.mods);
        EXPECT_EQ(list->view()->currentIndex().row(), index) << row.what << ", opened";
        list->hidePopup();
    }
}

TEST_F(KeysTest, TheOpenedDropDownShowsEveryEntryWhole) {
    for (ComboBox* list : {cmbHT(), cmbWT()}) {
        list->showPopup();
        QAbstractItemView* view = list->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
        // What the entries' own painter needs to draw the longest of them unshortened.
        EXPECT_GE(view->viewport()->width(), view->sizeHintForColumn(0));
        list->hidePopup();
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, ListKeys,
                         ::testing::Values(ListKeyRow{"letter", Qt::Key_K, {}},
                                           ListKeyRow{"capital", Qt::Key_C, Qt::ShiftModifier},
                                           ListKeyRow{"digit", Qt::Key_5, {}},
                                           ListKeyRow{"point", Qt::Key_Period, {}},
                                           ListKeyRow{"space", Qt::Key_Space, {}},
                                           ListKeyRow{"backspace", Qt::Key_Backspace, {}},
                                           ListKeyRow{"paste", Qt::Key_V, Qt::ControlModifier}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(KeysTest, ArrowKeysChooseAnotherUnitAndBlankTheResult) {
    focusOn("cmbHT");
    showMarker();
    press(Qt::Key_Down);
    EXPECT_EQ(cmbHT()->currentText(), QStringLiteral("centimeters"));
    EXPECT_TRUE(resultIsIdle());
    focusOn("cmbWT");
    showMarker();
    press(Qt::Key_Down);
    EXPECT_EQ(cmbWT()->currentText(), QStringLiteral("kilograms"));
    EXPECT_TRUE(resultIsIdle());
    showMarker();
    press(Qt::Key_Up);
    EXPECT_EQ(cmbWT()->currentText(), QStringLiteral("pounds"));
    EXPECT_TRUE(resultIsIdle());
    EXPECT_EQ(m_platform.beeps, 0);
}

TEST_F(KeysTest, ChoosingFromTheDropDownBlanksTheResultEvenForTheSameUnit) {
    for (int choice : {0, 1}) {
        showMarker();
        cmbHT()->showPopup();
        QAbstractItemView* view = cmbHT()->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
        const QRect item = view->visualRect(view->model()->index(choice, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
        EXPECT_EQ(cmbHT()->currentIndex(), choice);
        EXPECT_EQ(cmbHT()->currentText(), cmbHT()->itemText(choice));
        EXPECT_TRUE(resultIsIdle()) << choice;
    }
}

TEST_F(KeysTest, DeleteErasesAUnitAndCalculateThenRefusesIt) {
    enter(QStringLiteral("70"), 0, QStringLiteral("154"), 0);
    focusOn("cmbHT");
    showMarker();
    cmbHT()->lineEdit()->selectAll();
    press(Qt::Key_Delete);
    EXPECT_TRUE(cmbHT()->currentText().isEmpty());
    EXPECT_TRUE(resultIsIdle());
    EXPECT_EQ(m_platform.beeps, 0);
    QTest::keyClicks(cmbHT()->lineEdit(), QStringLiteral("c"));
    EXPECT_EQ(cmbHT()->currentText(), QStringLiteral("c")); // the lists complete nothing
    press(Qt::Key_Return);
    ASSERT_EQ(m_platform.msgBoxes.size(), 1u);
    EXPECT_EQ(m_platform.msgBoxes[0].icon, MessageIcon::Information);
    EXPECT_TRUE(m_platform.msgBoxes[0].prompt.contains(
        QStringLiteral("The units must be either inches or centimeters.")));
    EXPECT_TRUE(resultIsIdle());
}

} // namespace
} // namespace bmi::test
