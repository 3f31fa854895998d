// Thousands of seeded random user actions over the main window and the feet-and-inches
// dialog. After every one, a result on screen must be the one the calculation gives for
// the entries beside it, painted in its band's colour; and nothing may crash.
//
// The run is reproducible: the seed is fixed unless BMI_MONKEY_SEED gives another, and
// a failure names the seed and the step.
#include "calc/Bmi.h"
#include "calc/Measurement.h"
#include "feet_inches_dialog/frmFtToInches.h"
#include "main_window/frmBMI.h"
#include "platform/Controls.h"
#include "tests/support/RecordingPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <charconv>
#include <memory>
#include <random>
#include <string>
#include <variant>
#include <vector>

namespace bmi {
namespace {

using test::RecordingPlatform;

constexpr unsigned kDefaultSeed = 20240607u;
constexpr int kMainEvents = 6000;

unsigned Seed() {
    const QByteArray env = qgetenv("BMI_MONKEY_SEED");
    unsigned seed = kDefaultSeed;
    if (!env.isEmpty()) {
        const auto [ptr, ec] = std::from_chars(env.data(), env.data() + env.size(), seed);
        if (ec != std::errc{} || ptr != env.data() + env.size())
            seed = kDefaultSeed;
    }
    return seed;
}

// Texts that make results likely, next to texts that every check must refuse.
const std::vector<QString>& TextPool() {
    static const std::vector<QString> pool{
        "70",     "170",         "65.5",   "108",         "36",           "154",
        "70.25",  "800",         "20",     "250",         "1.85",         "0",
        "",       ".",           "5.",     ".5",          "12.3.",        "abc",
        "-70",    " 80 ",        "1e3",    "99999999999", "3.4028236e38", "\u0663\u0660",
        "inches", "centimeters", "pounds", "kilograms",   "kilo",         "\t",
        "7'",     "0\"",         "\u00A0", "1,5"};
    return pool;
}

class Monkey {
public:
    explicit Monkey(unsigned seed) : m_seed(seed), m_rng(seed) { NewWindow(); }

    void Run(int events) {
        for (m_step = 0; m_step < events && !m_failed; ++m_step) {
            if (!m_window->isVisible())
                NewWindow(); // nothing the monkey does should close it; recover if it did
            MainEvent();
            Check();
            if (m_platform.msgBoxes.size() > 100)
                m_platform.reset();
        }
    }

    int checksWithResult() const { return m_checksWithResult; }
    int dialogOpenings() const { return m_dialogOpenings; }
    int dialogWrites() const { return m_dialogWrites; }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool Chance(int percent) { return Pick(100) < percent; }

    const MainControls& c() const { return m_window->controls(); }

    void NewWindow() {
        m_window.reset(); // the old window first: it owns a dialog of its own
        m_window = std::make_unique<frmBMI>(m_platform);
        m_window->show();
    }

    QString RandomText() {
        if (Chance(70)) {
            const auto& pool = TextPool();
            return pool[static_cast<std::size_t>(Pick(static_cast<int>(pool.size())))];
        }
        static const QString chars = QStringLiteral("0123456789..-+ e'\"x\u00e9\u2032");
        QString text;
        for (int n = Pick(6); n > 0; --n)
            text += chars.at(Pick(static_cast<int>(chars.size())));
        return text;
    }

    // A key as the keyboard delivers it to widget.
    void RandomKey(QWidget* widget, bool escapeAllowed) {
        static const char typed[] = "0123456789.......-ae x'\"";
        static const Qt::Key keys[] = {
            Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right,   Qt::Key_Home,
            Qt::Key_End,       Qt::Key_Up,     Qt::Key_Down, Qt::Key_PageUp,  Qt::Key_PageDown,
            Qt::Key_Return,    Qt::Key_Enter,  Qt::Key_Tab,  Qt::Key_Backtab, Qt::Key_Escape};
        const int kind = Pick(10);
        if (kind < 5) {
            const char ch = typed[Pick(static_cast<int>(sizeof typed) - 1)];
            m_action = std::string("type '") + ch + "'";
            QTest::keyClick(widget, ch, Chance(5) ? Qt::AltModifier : Qt::NoModifier);
        } else if (kind < 8) {
            const int count = static_cast<int>(std::size(keys)) - (escapeAllowed ? 0 : 1);
            const Qt::Key key = keys[Pick(count)];
            m_action = "key " + std::to_string(static_cast<int>(key));
            QTest::keyClick(widget, key, Chance(10) ? Qt::ShiftModifier : Qt::NoModifier);
        } else {
            static const Qt::Key ctrl[] = {Qt::Key_V, Qt::Key_Z, Qt::Key_Y,
                                           Qt::Key_A, Qt::Key_X, Qt::Key_C};
            const Qt::Key key = ctrl[Pick(static_cast<int>(std::size(ctrl)))];
            m_action = "ctrl key " + std::to_string(static_cast<int>(key));
            QTest::keyClick(widget, key, Qt::ControlModifier);
        }
    }

    // What the edit field's context menu does: paste, cut, delete, undo, redo.
    void EditMenu(QLineEdit* edit) {
        edit->setFocus();
        switch (Pick(7)) {
        case 0:
        case 1:
            QGuiApplication::clipboard()->setText(RandomText());
            edit->setCursorPosition(Pick(static_cast<int>(edit->text().size()) + 1));
            m_action = "paste '" + QGuiApplication::clipboard()->text().toStdString() + "'";
            edit->paste();
            break;
        case 2:
            m_action = "select all and paste over";
            QGuiApplication::clipboard()->setText(RandomText());
            edit->selectAll();
            edit->paste();
            break;
        case 3:
            m_action = "cut all";
            edit->selectAll();
            edit->cut();
            break;
        case 4:
            m_action = "delete one";
            edit->setSelection(0, 1);
            edit->del();
            break;
        case 5:
            m_action = "undo";
            edit->undo();
            break;
        default:
            m_action = "redo";
            edit->redo();
            break;
        }
    }

    void ChooseUnit(ComboBox* list) {
        const int index = Pick(list->count());
        if (Chance(50)) {
            m_action = "program selects unit " + std::to_string(index);
            list->SelectEntry(index);
        } else {
            m_action = "user picks unit " + std::to_string(index);
            list->setCurrentIndex(index);
            emit list->activated(index);
        }
    }

    // Entries the calculation mostly accepts, so that results get shown and the other
    // events have something to clear.
    void FillEntries() {
        static const char* const heights[2][4] = {{"70", "65.5", "40", "100"},
                                                  {"170", "120.5", "200", "1.5"}};
        static const char* const weights[2][4] = {{"154", "100", "300.25", "20"},
                                                  {"70", "45.5", "120", "5"}};
        const MainControls& m = c();
        const int heightUnit = Pick(2);
        const int weightUnit = Pick(2);
        m_action = "fill entries";
        m.txtHT->setText(Chance(85) ? QString::fromLatin1(heights[heightUnit][Pick(4)])
                                    : RandomText());
        m.txtWT->setText(Chance(85) ? QString::fromLatin1(weights[weightUnit][Pick(4)])
                                    : RandomText());
        m.cmbHT->SelectEntry(heightUnit);
        m.cmbWT->SelectEntry(weightUnit);
        if (Chance(50))
            QTest::keyClick(m.txtWT, Qt::Key_Return);
        else
            m.cmdCalculate->click();
    }

    void MainEvent() {
        const MainControls& m = c();
        QWidget* keyTargets[] = {m.txtHT,        m.txtWT,  m.cmbHT,  m.cmbWT,
                                 m.cmdCalculate, m.cmdHLP, m.Slider1};
        const int roll = Pick(100);
        if (roll < 40) {
            QWidget* target = keyTargets[Pick(static_cast<int>(std::size(keyTargets)))];
            target->setFocus();
            // Escape closes the main window, which ends the program.
            RandomKey(target, false);
            m_action += " on " + target->objectName().toStdString();
        } else if (roll < 52) {
            m_action = "click Calculate";
            if (Chance(50))
                QTest::mouseClick(m.cmdCalculate, Qt::LeftButton);
            else
                m.cmdCalculate->click();
        } else if (roll < 60) {
            ChooseUnit(Chance(50) ? m.cmbHT : m.cmbWT);
        } else if (roll < 72) {
            QLineEdit* edits[] = {m.txtHT, m.txtWT, m.cmbHT->lineEdit(), m.cmbWT->lineEdit()};
            EditMenu(edits[Pick(Chance(80) ? 2 : 4)]);
        } else if (roll < 82) {
            FillEntries();
        } else if (roll < 88) {
            m_action = "slider mouse";
            const QPoint at(Pick(m.Slider1->width()), Pick(m.Slider1->height()));
            const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
            const Qt::MouseButton button = buttons[Pick(3)];
            if (Chance(70))
                QTest::mousePress(m.Slider1, button, {}, at);
            QTest::mouseRelease(m.Slider1, button, {}, at);
        } else if (roll < 91) {
            m_action = "help and links";
            QWidget* targets[] = {m.cmdHLP, m.cmdHomePage};
            QTest::mouseClick(targets[Pick(2)], Qt::LeftButton);
            QTest::mouseMove(m.imgAD, QPoint(Pick(m.imgAD->width()), Pick(m.imgAD->height())));
        } else {
            OpenDialog();
        }
    }

    // Opens the dialog as the user does; a queued script works it while the main window
    // waits in the modal loop, and closes it in the end whatever happened.
    void OpenDialog() {
        ++m_dialogOpenings;
        m_action = "open dialog";
        const QString heightBefore = c().txtHT->text();
        bool ran = false;
        QTimer::singleShot(0, m_window.get(), [&] {
            ran = true;
            frmFtToInches* dialog = m_window->feetInchesDialog();
            if (!dialog || QApplication::activeModalWidget() != dialog) {
                Fail("the dialog is not the modal window while open");
                if (dialog)
                    dialog->close();
                return;
            }
            for (int n = 1 + Pick(8); n > 0 && dialog->isVisible() && !m_failed; --n) {
                DialogEvent(*dialog);
                Check();
            }
            if (dialog->isVisible() && !m_failed) {
                DialogEnd(*dialog);
                Check();
            }
            if (dialog->isVisible())
                dialog->close();
        });
        if (Chance(50))
            c().CmdDetail->click();
        else
            QTest::keyClick(c().CmdDetail, Qt::Key_Space);
        if (!ran)
            Fail("the dialog did not open");
        if (m_window->feetInchesDialog() != nullptr)
            Fail("the dialog outlived its closing");
        if (c().txtHT->text() != heightBefore)
            ++m_dialogWrites;
        m_action = "dialog closed";
    }

    void DialogEvent(frmFtToInches& dialog) {
        const FeetInchesControls& d = dialog.controls();
        ComboBox* list = Chance(50) ? d.cmbFt : d.cmbIn;
        const int roll = Pick(100);
        if (roll < 55) {
            list->setFocus();
            RandomKey(list, true);
            m_action = "dialog " + m_action + " on " + list->objectName().toStdString();
        } else if (roll < 75) {
            const int index = Pick(list->count());
            m_action = "dialog pick " + std::to_string(index);
            list->setCurrentIndex(index);
            emit list->activated(index);
        } else if (roll < 90) {
            m_action = "dialog paste";
            EditMenu(list->lineEdit());
        } else {
            d.cmdClose->setFocus();
            RandomKey(d.cmdClose, true);
            m_action = "dialog " + m_action + " on cmdClose";
        }
    }

    // Each way out of the dialog. Alt+E is rare: its click waits for the button to show
    // itself pressed for a moment.
    void DialogEnd(frmFtToInches& dialog) {
        const FeetInchesControls& d = dialog.controls();
        const int roll = Pick(40);
        if (roll < 10) {
            m_action = "dialog Enter button";
            QTest::mouseClick(d.cmdClose, Qt::LeftButton);
        } else if (roll < 18) {
            m_action = "dialog Escape";
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : &dialog, Qt::Key_Escape);
        } else if (roll < 24) {
            m_action = "dialog Space on button";
            d.cmdClose->setFocus();
            QTest::keyClick(d.cmdClose, Qt::Key_Space);
        } else if (roll < 25) {
            m_action = "dialog Alt+E";
            QTest::keyClick(&dialog, Qt::Key_E, Qt::AltModifier);
            if (!QTest::qWaitFor([&] { return !d.cmdClose->isDown(); }))
                Fail("Alt+E never let go of the button");
        } else if (roll < 32) {
            m_action = "dialog close event";
            QCloseEvent event;
            QApplication::sendEvent(&dialog, &event);
        } else {
            m_action = "dialog close box";
            dialog.close();
        }
    }

    void Check() {
        if (m_failed)
            return; // the first failure tells the story
        const MainControls& m = c();
        const QString caption = m.lblBMI->Caption();
        if (caption.isEmpty())
            return;
        ++m_checksWithResult;
        const calc::Validation v =
            calc::ValidateAndConvert(m.txtHT->text().toStdString(), m.cmbHT->Text().toStdString(),
                                     m.txtWT->text().toStdString(), m.cmbWT->Text().toStdString());
        const auto* entry = std::get_if<calc::MetricEntry>(&v);
        if (!entry) {
            Fail("result " + caption.toStdString() + " shown beside refused entries");
            return;
        }
        const calc::BMIResult expected = calc::ComputeBMI(*entry);
        if (caption.toStdString() != expected.DisplayText)
            Fail("result " + caption.toStdString() + " shown, the entries give " +
                 expected.DisplayText);
        else if (m.lblBMI->BackColor() !=
                 m.lblColor[static_cast<std::size_t>(expected.Band)]->BackColor())
            Fail("result " + caption.toStdString() + " not in its band's colour");
    }

    void Fail(const std::string& what) {
        m_failed = true;
        const MainControls& m = c();
        ADD_FAILURE() << what << "\n  seed " << m_seed << ", step " << m_step << ", last action "
                      << m_action << "\n  entries '" << m.txtHT->text().toStdString() << "' "
                      << m.cmbHT->Text().toStdString() << ", '" << m.txtWT->text().toStdString()
                      << "' " << m.cmbWT->Text().toStdString();
    }

    unsigned m_seed;
    std::mt19937 m_rng;
    RecordingPlatform m_platform;
    std::unique_ptr<frmBMI> m_window;
    int m_step = 0;
    std::string m_action;
    bool m_failed = false;
    int m_checksWithResult = 0;
    int m_dialogOpenings = 0;
    int m_dialogWrites = 0;
};

TEST(MonkeyTest, AShownResultAlwaysBelongsToTheEntriesBesideIt) {
    const unsigned seed = Seed();
    RecordProperty("seed", std::to_string(seed));
    Monkey monkey(seed);
    monkey.Run(kMainEvents);
    RecordProperty("checks_with_result", monkey.checksWithResult());
    RecordProperty("dialog_openings", monkey.dialogOpenings());
    RecordProperty("dialog_writes", monkey.dialogWrites());
    if (testing::Test::HasFailure())
        return;
    // The run is worth something only if results were shown and the dialog wrote.
    EXPECT_GT(monkey.checksWithResult(), 200) << "seed " << seed;
    EXPECT_GT(monkey.dialogOpenings(), 100) << "seed " << seed;
    EXPECT_GT(monkey.dialogWrites(), 20) << "seed " << seed;
}

} // namespace
} // namespace bmi
