// Thousands of seeded random user actions over the main window and the feet-and-inches
// dialog, reaching every control the user can reach: keys, input-method text, pastes,
// the unit lists and their drop-downs, every button by mouse, Space, Enter and access
// key, the advert and the slider under every mouse button, Tab, the dialog, and now
// and then closing the window (a fresh one then takes its place). After every action:
//  - a result on screen belongs to the entries beside it: they are the entries of the
//    Calculate that showed it, and it is painted in the colour of its band;
//  - Calculate answered entries of the expected table (worked out once by
//    monkey_expected.py, apart from the program) with exactly the expected result or
//    refusal, and any other entries with one of the documented refusals or a result
//    whose slider value and colour agree with its number;
//  - exactly the buttons the action should click were clicked (Enter clicks the focused
//    button or else Calculate, Escape clicks Close, ...), and each click did its one
//    job: one help call per Help click, one shell call per link click, a message box
//    exactly when the help viewer or the shell answers with a failure, a refusal box
//    exactly for entries the calculation refuses, and nothing without a click;
//  - the window is open unless the action closed it;
//  - the advert's border follows the last mouse event over it, and the slider shows the
//    shown number, rounded, right after any mouse button is released over it.
// Nothing may crash. The help viewer and the shell answer at random, failures included.
//
// The run is reproducible: the seed is fixed unless BMI_MONKEY_SEED gives another,
// BMI_MONKEY_EVENTS sets the number of actions, BMI_MONKEY_TRACE=1 prints each action
// before it runs (to name the one a crash interrupts), and a failure names the seed and
// the step.
#include "feet_inches_dialog/frmFtToInches.h"
#include "main_window/frmBMI.h"
#include "platform/Controls.h"
#include "platform/Platform.h"
#include "tests/support/GuiTest.h"
#include "tests/support/MonkeyDriver.h"
#include "tests/support/RecordingPlatform.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace bmi {
namespace {

using test::RecordingPlatform;
using test::Stroke;

constexpr unsigned kDefaultSeed = 20240607u;
constexpr unsigned kDefaultEvents = 10000;

unsigned envNumber(const char* name, unsigned fallback) {
    const QByteArray env = qgetenv(name);
    unsigned value = fallback;
    if (!env.isEmpty()) {
        const auto [ptr, ec] = std::from_chars(env.data(), env.data() + env.size(), value);
        if (ec != std::errc{} || ptr != env.data() + env.size())
            value = fallback;
    }
    return value;
}

// What the help viewer and the shell answer, drawn afresh before every action. Help
// error 53 (no viewer) and shell results below 33 are the failures the user is told of.
constexpr std::array kHelpAnswers{0, kErrFileNotFound, 5};
constexpr std::array<std::int32_t, 6> kShellAnswers{0, 2, 31, 32, 33, 42};
constexpr std::int32_t kShellFirstSuccess = 33;

constexpr int kStyleExclamation = 48;

struct DesignRefusal {
    const char* prompt;
    int style;
};

// A refusal is the index of its DesignRefusal; -1 stands for a result.
struct ExpectedCalculation {
    const char* height;
    const char* heightUnit;
    const char* weight;
    const char* weightUnit;
    const char* shown;
    int slider;
    int band;
    int refusal;
};

#include "tests/monkey_expected.inc"

// The four entries beside a result.
struct Entries {
    QString height, heightUnit, weight, weightUnit;
    bool operator==(const Entries&) const = default;
};

const ExpectedCalculation* findExpected(const Entries& e) {
    for (const ExpectedCalculation& row : kExpectedCalculations)
        if (e == Entries{row.height, row.heightUnit, row.weight, row.weightUnit})
            return &row;
    return nullptr;
}

// The design's style numbers name the icon: 48 the exclamation, 64 the information.
MessageIcon iconOfStyle(int style) {
    return style == kStyleExclamation ? MessageIcon::Exclamation : MessageIcon::Information;
}

const DesignRefusal* findRefusal(const QString& prompt, MessageIcon icon) {
    for (const DesignRefusal& refusal : kDesignRefusals)
        if (prompt == QString::fromUtf8(refusal.prompt) && icon == iconOfStyle(refusal.style))
            return &refusal;
    return nullptr;
}

// A shown result read as the user reads it.
std::optional<double> shownNumber(const QString& caption) {
    const std::string text = caption.toStdString();
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

int bandOf(double shown) {
    int band = 0;
    for (const double limit : {20.0, 25.0, 30.0, 40.0})
        band += shown >= limit ? 1 : 0;
    return band;
}

const QString kMakerSite = QStringLiteral("https://www.trevala.example/");

constexpr std::array kMouseButtons{Qt::LeftButton,   Qt::RightButton,   Qt::MiddleButton,
                                   Qt::BackButton,   Qt::ForwardButton, Qt::TaskButton,
                                   Qt::ExtraButton4, Qt::ExtraButton5};

// What gets clicked in the main window: its buttons and the advert.
enum Clickable : std::size_t {
    kOnCalculate,
    kOnHelp,
    kOnClose,
    kOnHomePage,
    kOnDetail,
    kOnAdvert,
    kClickableCount
};
constexpr std::array<const char*, kClickableCount> kClickableNames{
    "cmdCalculate", "cmdHLP", "cmdClose", "cmdHomePage", "CmdDetail", "imgAD"};
using Clicks = std::array<int, kClickableCount>;

std::string describe(const Clicks& clicks) {
    std::string text;
    for (std::size_t i = 0; i < kClickableCount; ++i)
        if (clicks[i] != 0)
            text += (text.empty() ? "" : ", ") + std::string(kClickableNames[i]) + " x" +
                    std::to_string(clicks[i]);
    return text.empty() ? "nothing" : text;
}

class Monkey final : public test::MonkeyDriver {
public:
    Monkey(unsigned seed, bool trace) : MonkeyDriver(seed), m_seed(seed), m_trace(trace) {
        // The dialog is worked from inside its modal loop, whatever opened it.
        qApp->installEventFilter(this);
        newWindow();
    }
    ~Monkey() override {
        qApp->removeEventFilter(this);
        m_window.reset();
    }

    void run(int events) {
        for (m_step = 0; m_step < events && !m_failed; ++m_step) {
            beginEvent();
            mainEvent();
            endEvent();
        }
    }

    const Clicks& clicks() const { return m_clicks; }
    int checksWithResult() const { return m_checksWithResult; }
    int dialogOpenings() const { return m_dialogOpenings; }
    int dialogWrites() const { return m_dialogWrites; }
    int windows() const { return m_windows; }
    int helpBoxes() const { return m_helpBoxes; }
    int browserBoxes() const { return m_browserBoxes; }
    int refusalBoxes() const { return m_refusalBoxes; }
    int sliderReleases() const { return m_sliderReleases; }
    int advertMoves() const { return m_advertMoves; }
    int advertReleases() const { return m_advertReleases; }
    int popupChoices() const { return m_popupChoices; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<frmFtToInches*>(watched))
                QTimer::singleShot(0, dialog, [this, dialog] { workDialog(*dialog); });
        return false;
    }

private:
    const MainControls& c() const { return m_window->controls(); }

    void act(const std::string& action) {
        m_action = action;
        if (m_trace)
            std::fprintf(stderr, "step %d: %s\n", m_step, action.c_str());
    }

    // ---- Bookkeeping around each action ------------------------------------------

    void newWindow() {
        m_window.reset(); // the old window first: it owns a dialog of its own
        m_window = std::make_unique<frmBMI>(m_platform);
        ++m_windows;
        const MainControls& m = c();
        // Connected after the window's own handlers, so these run once a click is done.
        connect(m.cmdCalculate, &QPushButton::clicked, this, [this] { afterCalculate(); });
        connect(m.cmdHLP, &QPushButton::clicked, this, [this] { afterHelp(); });
        connect(m.cmdClose, &QPushButton::clicked, this, [this] { ++m_clicks[kOnClose]; });
        connect(m.cmdHomePage, &QPushButton::clicked, this,
                [this] { afterLink(kOnHomePage, "bmi_index.html"); });
        connect(m.imgAD, &Image::Click, this,
                [this] { afterLink(kOnAdvert, "trevala_index.html"); });
        connect(m.CmdDetail, &QPushButton::clicked, this, [this] { afterDialog(); });
        m_window->show();
        test::activate(m_window.get());
        m_border = m.imgAD->BorderStyle();
    }

    void markPlatform() {
        m_boxMark = m_platform.msgBoxes.size();
        m_helpMark = m_platform.helpRequests.size();
        m_shellMark = m_platform.webPagesOpened.size();
    }
    std::size_t newBoxes() const { return m_platform.msgBoxes.size() - m_boxMark; }

    void beginEvent() {
        m_action.clear();
        if (!m_window->isVisible())
            newWindow();
        // Access keys work in the active window only; the dialog takes that from it.
        if (QApplication::activeWindow() != m_window.get())
            test::activate(m_window.get());
        if (m_platform.msgBoxes.size() > 100 || m_platform.cursorsSet.size() > 100)
            m_platform.reset();
        m_platform.helpError = pickFrom(kHelpAnswers);
        m_platform.shellResult = pickFrom(kShellAnswers);
        m_platform.handCursorAvailable = chance(85);
        markPlatform();
        m_clicksBefore = m_clicks;
        m_expected = {};
        m_expectClosed = false;
        m_openingsBefore = m_dialogOpenings;
    }

    void expect(Clickable what) { ++m_expected[what]; }

    void endEvent() {
        if (m_failed)
            return;
        Clicks made{};
        for (std::size_t i = 0; i < kClickableCount; ++i)
            made[i] = m_clicks[i] - m_clicksBefore[i];
        if (made != m_expected)
            return fail("clicked " + describe(made) + "; the action clicks " +
                        describe(m_expected));
        if (m_dialogOpenings - m_openingsBefore != made[kOnDetail])
            return fail("the dialog opened " + std::to_string(m_dialogOpenings - m_openingsBefore) +
                        " times for " + std::to_string(made[kOnDetail]) + " clicks");
        const bool closed = !m_window->isVisible();
        if (closed != (made[kOnClose] > 0 || m_expectClosed))
            return fail(closed ? "the window closed" : "the window stayed open");
        if (newBoxes() != 0)
            return fail("a message box without a click that asks for it: '" +
                        m_platform.msgBoxes.back().prompt.toStdString() + "'");
        if (m_platform.helpRequests.size() != m_helpMark)
            return fail("a help call without a Help click");
        if (m_platform.webPagesOpened.size() != m_shellMark)
            return fail("a shell call without a link click");
        if (c().imgAD->BorderStyle() != m_border)
            return fail("the advert's border is " + std::to_string(c().imgAD->BorderStyle()) +
                        " after the last mouse event over it made it " + std::to_string(m_border));
        check();
    }

    // ---- What each click must have done (run right after the window's own handler) ----

    Entries currentEntries() const {
        const MainControls& m = c();
        return {m.txtHT->text(), m.cmbHT->Text(), m.txtWT->text(), m.cmbWT->Text()};
    }

    void afterCalculate() {
        ++m_clicks[kOnCalculate];
        if (m_failed)
            return;
        const Entries entries = currentEntries();
        const ExpectedCalculation* expected = findExpected(entries);
        const QString caption = c().lblBMI->Caption();
        if (newBoxes() > 1)
            return fail("Calculate showed " + std::to_string(newBoxes()) + " message boxes");
        if (newBoxes() == 1) {
            ++m_refusalBoxes;
            const test::RecordedMsgBox& box = m_platform.msgBoxes.back();
            const DesignRefusal* refusal = findRefusal(box.prompt, box.icon);
            if (!refusal)
                fail("Calculate refused the entries saying '" + box.prompt.toStdString() + "'");
            else if (expected &&
                     (expected->refusal < 0 || refusal != &kDesignRefusals[expected->refusal]))
                fail("Calculate refused entries of the table saying '" + box.prompt.toStdString() +
                     "'");
            markPlatform();
            return;
        }
        m_shownFor = entries;
        m_shownCaption = caption;
        const std::optional<double> shown = shownNumber(caption);
        if (!shown) {
            fail("Calculate showed '" + caption.toStdString() + "', which is no number");
        } else if (expected &&
                   (expected->refusal >= 0 || caption != expected->shown ||
                    c().Slider1->Value() != expected->slider ||
                    c().lblBMI->BackColor() !=
                        c().lblColor[static_cast<std::size_t>(expected->band)]->BackColor())) {
            fail("Calculate showed '" + caption.toStdString() + "' at " +
                 std::to_string(c().Slider1->Value()) + " for entries the table " +
                 (expected->refusal >= 0 ? std::string("refuses")
                                         : "answers with " + std::string(expected->shown)));
        } else if (c().Slider1->Value() != static_cast<int>(std::nearbyint(*shown))) {
            fail("Calculate showed '" + caption.toStdString() + "' with the slider at " +
                 std::to_string(c().Slider1->Value()));
        }
        markPlatform();
    }

    void afterHelp() {
        ++m_clicks[kOnHelp];
        if (m_failed)
            return;
        const std::size_t calls = m_platform.helpRequests.size() - m_helpMark;
        const bool failing = m_platform.helpError == kErrFileNotFound;
        if (calls != 1)
            fail("a Help click made " + std::to_string(calls) + " help calls");
        else if (newBoxes() != (failing ? 1u : 0u))
            fail("help answered " + std::to_string(m_platform.helpError) + ", the click showed " +
                 std::to_string(newBoxes()) + " message boxes");
        else if (failing && (m_platform.msgBoxes.back().icon != MessageIcon::Exclamation ||
                             m_platform.msgBoxes.back().title != kAppTitle))
            fail("the missing help viewer is told in a box of the wrong kind");
        m_helpBoxes += failing ? 1 : 0;
        markPlatform();
    }

    void afterLink(Clickable link, const char* page) {
        ++m_clicks[link];
        if (m_failed)
            return;
        const std::size_t calls = m_platform.webPagesOpened.size() - m_shellMark;
        const std::int32_t answer = m_platform.shellResult;
        const bool failing = answer < kShellFirstSuccess;
        if (calls != 1) {
            fail(std::string("a ") + kClickableNames[link] + " click made " +
                 std::to_string(calls) + " shell calls");
        } else if (m_platform.webPagesOpened.back() != kMakerSite + QLatin1String(page)) {
            fail(std::string(kClickableNames[link]) + " opened " +
                 m_platform.webPagesOpened.back().toStdString());
        } else if (newBoxes() != (failing ? 1u : 0u)) {
            fail("the shell answered " + std::to_string(answer) + ", the click showed " +
                 std::to_string(newBoxes()) + " message boxes");
        } else if (failing) {
            const test::RecordedMsgBox& box = m_platform.msgBoxes.back();
            if (box.title != QStringLiteral("Browser Unavailable") ||
                !box.prompt.endsWith(QStringLiteral("(Error%1)").arg(answer)))
                fail("the shell's failure " + std::to_string(answer) + " is told as '" +
                     box.prompt.toStdString() + "'");
        }
        m_browserBoxes += failing ? 1 : 0;
        markPlatform();
    }

    void afterDialog() {
        ++m_clicks[kOnDetail];
        if (m_failed)
            return;
        if (m_window->feetInchesDialog() != nullptr)
            fail("the dialog outlived its closing");
        else if (m_platform.helpRequests.size() != m_helpMark ||
                 m_platform.webPagesOpened.size() != m_shellMark)
            fail("the dialog made a help or shell call");
        if (c().txtHT->text() != m_heightBeforeDialog)
            ++m_dialogWrites;
        markPlatform(); // the dialog's own refusals were checked as they came
    }

    // ---- Keys -----------------------------------------------------------------------

    // Which main-window control a key sent to target clicks.
    void expectFromKey(QWidget* target, const Stroke& s) {
        const MainControls& m = c();
        const std::array<std::pair<QWidget*, Clickable>, 5> buttons{{{m.cmdCalculate, kOnCalculate},
                                                                     {m.cmdHLP, kOnHelp},
                                                                     {m.cmdClose, kOnClose},
                                                                     {m.cmdHomePage, kOnHomePage},
                                                                     {m.CmdDetail, kOnDetail}}};
        const auto button = std::find_if(buttons.begin(), buttons.end(),
                                         [&](const auto& b) { return b.first == target; });
        if (s.is(Qt::Key_Escape))
            expect(kOnClose);
        else if (s.isEnter())
            expect(button != buttons.end() ? button->second : kOnCalculate);
        else if (s.typed == ' ' && s.mods == Qt::NoModifier && button != buttons.end())
            expect(button->second);
    }

    std::vector<QWidget*> focusable() const {
        const MainControls& m = c();
        return {m.txtHT,        m.cmbHT,  m.txtWT,    m.cmbWT,       m.CmdDetail,
                m.cmdCalculate, m.cmdHLP, m.cmdClose, m.cmdHomePage, m.Slider1};
    }

    QWidget* focusSomewhere() {
        QWidget* target = pickFrom(focusable());
        target->setFocus(Qt::OtherFocusReason);
        return target;
    }

    // ---- Texts ----------------------------------------------------------------------

    // What the edit field's context menu does: paste, cut, delete, undo, redo.
    void editMenu(QLineEdit* edit, const std::string& name) {
        edit->setFocus();
        switch (pick(7)) {
        case 0:
        case 1:
            QGuiApplication::clipboard()->setText(randomText());
            edit->setCursorPosition(pick(static_cast<int>(edit->text().size()) + 1));
            act("paste '" + QGuiApplication::clipboard()->text().left(40).toStdString() + "' in " +
                name);
            edit->paste();
            break;
        case 2:
            QGuiApplication::clipboard()->setText(randomText());
            act("select all and paste over in " + name);
            edit->selectAll();
            edit->paste();
            break;
        case 3:
            act("cut all in " + name);
            edit->selectAll();
            edit->cut();
            break;
        case 4:
            act("delete one in " + name);
            edit->setSelection(0, 1);
            edit->del();
            break;
        case 5:
            act("undo in " + name);
            edit->undo();
            break;
        default:
            act("redo in " + name);
            edit->redo();
            break;
        }
    }

    // ---- Main-window actions ---------------------------------------------------------

    void mainEvent() {
        int roll = pick(1000);
        if ((roll -= 270) < 0)
            keyOnControl();
        else if ((roll -= 60) < 0)
            tabKey();
        else if ((roll -= 60) < 0)
            enterKey();
        else if ((roll -= 50) < 0)
            inputMethod();
        else if ((roll -= 80) < 0)
            editMenuEvent();
        else if ((roll -= 80) < 0)
            unitListEvent();
        else if ((roll -= 100) < 0)
            fillEntries();
        else if ((roll -= 50) < 0)
            calculateEvent();
        else if ((roll -= 30) < 0)
            helpEvent();
        else if ((roll -= 30) < 0)
            homePageEvent();
        else if ((roll -= 70) < 0)
            advertEvent();
        else if ((roll -= 60) < 0)
            sliderEvent();
        else if ((roll -= 50) < 0)
            openDialog();
        else
            closeWindowEvent(); // the remaining 1 %: each costs a fresh window
    }

    void keyOnControl() {
        QWidget* target = focusSomewhere();
        const Stroke s = randomStroke(true);
        act("key " + s.name() + " on " + target->objectName().toStdString());
        expectFromKey(target, s);
        const auto* list = qobject_cast<ComboBox*>(target);
        const QString unitBefore = list ? list->Text() : QString();
        send(target, s);
        // The unit lists are chosen from, never typed into.
        if (list && s.types() && m_window->isVisible() && list->Text() != unitBefore)
            fail("typing changed the unit to '" + list->Text().toStdString() + "'");
    }

    void tabKey() {
        QWidget* from = focusSomewhere();
        Stroke s;
        s.key = chance(50) ? Qt::Key_Tab : Qt::Key_Backtab;
        if (chance(30)) {
            s.key = Qt::Key_Tab;
            s.mods = Qt::ShiftModifier;
        }
        act("key " + s.name() + " from " + from->objectName().toStdString());
        send(from, s);
        QWidget* to = QApplication::focusWidget();
        if (!to || to == from || to->window() != m_window.get() || !to->isVisible())
            fail("Tab moved the focus from " + from->objectName().toStdString() + " to " +
                 (to ? to->objectName().toStdString() : std::string("nowhere")));
    }

    void enterKey() {
        QWidget* from = focusSomewhere();
        Stroke s;
        s.key = chance(50) ? Qt::Key_Return : Qt::Key_Enter;
        if (chance(10))
            s.mods = chance(50) ? Qt::ShiftModifier : Qt::ControlModifier;
        // Inside a unit list the key meets its edit field first.
        QWidget* receiver = from;
        if (auto* list = qobject_cast<ComboBox*>(from); list && chance(30))
            receiver = list->lineEdit();
        act("key " + s.name() + " on " + from->objectName().toStdString());
        expectFromKey(from, s);
        send(receiver, s);
    }

    void inputMethod() {
        const MainControls& m = c();
        QWidget* targets[] = {m.txtHT, m.txtWT, m.cmbHT, m.cmbWT};
        QWidget* target = pickFrom(targets);
        target->setFocus();
        const QString text = randomText();
        act("input method commits '" + text.left(40).toStdString() + "' in " +
            target->objectName().toStdString());
        auto* list = qobject_cast<ComboBox*>(target);
        const QString unitBefore = list ? list->Text() : QString();
        commit(target, text);
        if (list && !text.isEmpty() && list->Text() != unitBefore)
            fail("input-method text changed the unit to '" + list->Text().toStdString() + "'");
    }

    void editMenuEvent() {
        const MainControls& m = c();
        if (chance(80)) {
            TextBox* box = chance(50) ? m.txtHT : m.txtWT;
            editMenu(box, box->objectName().toStdString());
        } else {
            ComboBox* list = chance(50) ? m.cmbHT : m.cmbWT;
            editMenu(list->lineEdit(), list->objectName().toStdString());
        }
    }

    void unitListEvent() {
        const MainControls& m = c();
        ComboBox* list = chance(50) ? m.cmbHT : m.cmbWT;
        const std::string name = list->objectName().toStdString();
        list->setFocus();
        switch (pick(5)) {
        case 0: {
            const int index = pick(list->count());
            if (chance(50)) {
                act("program selects unit " + std::to_string(index) + " in " + name);
                list->selectEntry(index);
            } else {
                act("user picks unit " + std::to_string(index) + " in " + name);
                list->setCurrentIndex(index);
                emit list->activated(index);
            }
            break;
        }
        case 1: {
            static const Qt::Key arrows[] = {Qt::Key_Up,       Qt::Key_Down, Qt::Key_PageUp,
                                             Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End,
                                             Qt::Key_Left,     Qt::Key_Right};
            Stroke s;
            s.key = pickFrom(arrows);
            act("key " + s.name() + " on " + name);
            send(list, s);
            break;
        }
        case 2: {
            QLineEdit* edit = list->lineEdit();
            const int size = static_cast<int>(edit->text().size());
            if (chance(40))
                edit->selectAll();
            else
                edit->setCursorPosition(pick(size + 1));
            Stroke s;
            s.key = chance(70) ? Qt::Key_Delete : Qt::Key_Backspace;
            act("key " + s.name() + " in the edit field of " + name);
            const QString before = list->Text();
            send(list, s);
            if (s.is(Qt::Key_Backspace) && list->Text() != before)
                fail("Backspace changed the unit to '" + list->Text().toStdString() + "'");
            break;
        }
        case 3:
            dropDown(list);
            break;
        default: {
            // Typing, which the list swallows.
            Stroke s;
            do
                s = randomStroke(false);
            while (!s.types());
            act("key " + s.name() + " on " + name);
            const QString before = list->Text();
            send(list, s);
            if (list->Text() != before)
                fail("typing changed the unit to '" + list->Text().toStdString() + "'");
            break;
        }
        }
    }

    // The drop-down, worked from the keyboard: moves, then a choice or Escape.
    void dropDown(ComboBox* list, const std::string& where = {}) {
        const std::string name = where + list->objectName().toStdString();
        list->showPopup();
        QAbstractItemView* view = list->view();
        if (!view->isVisible())
            return fail("the drop-down of " + name + " did not open");
        std::string action = "drop down " + name + ":";
        for (int n = pick(4); n > 0; --n) {
            static const Qt::Key moves[] = {Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Home,
                                            Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
            const Qt::Key key = pickFrom(moves);
            action += " " + QKeySequence(key).toString().toStdString();
            QTest::keyClick(view, key);
        }
        static const Qt::Key ends[] = {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape};
        const Qt::Key end = pickFrom(ends);
        action += ", " + QKeySequence(end).toString().toStdString();
        act(action);
        const QString before = list->Text();
        const int chosen = view->currentIndex().row();
        QTest::keyClick(view, end);
        if (view->isVisible()) {
            list->hidePopup();
            return fail("the drop-down stayed open after " +
                        QKeySequence(end).toString().toStdString());
        }
        if (end == Qt::Key_Escape) {
            if (list->Text() != before)
                fail("Escape in the drop-down of " + name + " changed its text");
        } else if (chosen >= 0) {
            ++m_popupChoices;
            if (list->Text() != list->itemText(chosen))
                fail("choosing '" + list->itemText(chosen).toStdString() +
                     "' from the drop-down gave '" + list->Text().toStdString() + "'");
        }
    }

    // Entries of the expected table, now and then with a text of the pool instead.
    void fillEntries() {
        const ExpectedCalculation& row = pickFrom(kExpectedCalculations);
        const MainControls& m = c();
        m.txtHT->setText(chance(85) ? QString::fromUtf8(row.height) : randomText());
        m.txtWT->setText(chance(85) ? QString::fromUtf8(row.weight) : randomText());
        m.cmbHT->selectEntry(m.cmbHT->findText(QString::fromUtf8(row.heightUnit)));
        m.cmbWT->selectEntry(m.cmbWT->findText(QString::fromUtf8(row.weightUnit)));
        expect(kOnCalculate);
        if (chance(50)) {
            act("fill entries, Enter in txtWT");
            m.txtWT->setFocus();
            QTest::keyClick(m.txtWT, Qt::Key_Return);
        } else {
            act("fill entries, click Calculate");
            m.cmdCalculate->click();
        }
    }

    // A button clicked by the mouse, by the program, by its access key from wherever the
    // focus is, or by Space or Enter on it.
    void clickButton(QPushButton* button, Clickable what, Qt::Key accessKey) {
        const std::string name = button->objectName().toStdString();
        expect(what);
        switch (pick(accessKey == Qt::Key_unknown ? 4 : 5)) {
        case 0:
            act("mouse click " + name);
            QTest::mouseClick(button, Qt::LeftButton);
            break;
        case 1:
            act("program clicks " + name);
            button->click();
            break;
        case 2:
            act("Space on " + name);
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
            break;
        case 3:
            act("Enter on " + name);
            button->setFocus();
            QTest::keyClick(button, chance(50) ? Qt::Key_Return : Qt::Key_Enter);
            break;
        default: {
            QWidget* from = focusSomewhere();
            Stroke s;
            s.key = accessKey;
            s.mods = Qt::AltModifier;
            act(s.name() + " from " + from->objectName().toStdString());
            send(from, s);
            break;
        }
        }
    }

    void calculateEvent() { clickButton(c().cmdCalculate, kOnCalculate, Qt::Key_L); }
    void helpEvent() { clickButton(c().cmdHLP, kOnHelp, Qt::Key_H); }
    void homePageEvent() { clickButton(c().cmdHomePage, kOnHomePage, Qt::Key_P); }

    QPoint inside(QWidget* w) { return {pick(w->width()), pick(w->height())}; }

    void advertEvent() {
        Image* ad = c().imgAD;
        const int kind = pick(10);
        if (kind < 4) {
            const QPoint at = inside(ad);
            act("mouse moves over imgAD");
            const int loads = m_platform.cursorLoads;
            const std::size_t set = m_platform.cursorsSet.size();
            QMouseEvent move(QEvent::MouseMove, at, ad->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(ad, &move);
            m_border = 0;
            ++m_advertMoves;
            if (m_platform.cursorLoads != loads + 1)
                fail("a move over the advert asked " +
                     std::to_string(m_platform.cursorLoads - loads) + " times for the hand");
            else if (m_platform.cursorsSet.size() != set + (m_platform.handCursorAvailable ? 1 : 0))
                fail("a move over the advert set the pointer " +
                     std::to_string(m_platform.cursorsSet.size() - set) + " times");
            else if (m_platform.handCursorAvailable &&
                     m_platform.cursorsSet.back() != Qt::PointingHandCursor)
                fail("a move over the advert set a pointer other than the hand");
        } else if (kind < 8) {
            // A release of any button, after a press on the advert or without one (the
            // press was elsewhere); sometimes dragged over it, sometimes let go outside.
            const Qt::MouseButton button = pickFrom(kMouseButtons);
            const bool press = chance(60);
            const bool drag = press && chance(30);
            const bool outside = press && chance(20);
            const QPoint at = outside ? QPoint(ad->width() + 5, -3) : inside(ad);
            act(std::string("mouse ") + (press ? "press, " : "") + (drag ? "drag, " : "") +
                "release of button " + std::to_string(static_cast<int>(button)) +
                (outside ? " outside" : "") + " on imgAD");
            if (press)
                QTest::mousePress(ad, button, {}, inside(ad));
            if (drag)
                QTest::mouseMove(ad, inside(ad));
            if (press && button == Qt::LeftButton && !outside)
                expect(kOnAdvert);
            QTest::mouseRelease(ad, button, {}, at);
            m_border = 1;
            ++m_advertReleases;
        } else {
            act("mouse click imgAD");
            expect(kOnAdvert);
            QTest::mouseClick(ad, Qt::LeftButton, {}, inside(ad));
            m_border = 1;
        }
    }

    void sliderEvent() {
        Slider* slider = c().Slider1;
        if (chance(50)) {
            static const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,
                                           Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                                           Qt::Key_Home, Qt::Key_End};
            Stroke s;
            s.key = pickFrom(keys);
            act("key " + s.name() + " on Slider1");
            slider->setFocus();
            const int position = slider->value();
            const int valueBefore = slider->Value();
            send(slider, s);
            const int expected = slider->value() != position ? slider->value() : valueBefore;
            if (slider->Value() != expected)
                fail("the slider moved to " + std::to_string(slider->value()) +
                     ", its Value reads " + std::to_string(slider->Value()));
            return;
        }
        const Qt::MouseButton button = pickFrom(kMouseButtons);
        const bool press = chance(70);
        const bool drag = press && chance(30);
        act(std::string("mouse ") + (press ? "press, " : "") + (drag ? "drag, " : "") +
            "release of button " + std::to_string(static_cast<int>(button)) + " on Slider1");
        if (press)
            QTest::mousePress(slider, button, {}, inside(slider));
        if (drag)
            QTest::mouseMove(slider, inside(slider));
        QTest::mouseRelease(slider, button, {}, inside(slider));
        ++m_sliderReleases;
        const QString caption = c().lblBMI->Caption();
        // Ties go to the even neighbour: nearbyint rounds so in the default mode.
        const int expected =
            caption.isEmpty() ? 0
                              : static_cast<int>(std::nearbyint(shownNumber(caption).value_or(-1)));
        if (slider->Value() != expected)
            fail("after a release the slider's Value is " + std::to_string(slider->Value()) +
                 ", the result '" + caption.toStdString() + "' reads " + std::to_string(expected));
    }

    // Opens the dialog as the user does; the dialog is worked from inside its modal loop.
    void openDialog() {
        QPushButton* button = c().CmdDetail;
        expect(kOnDetail);
        switch (pick(4)) {
        case 0:
            act("mouse click CmdDetail");
            QTest::mouseClick(button, Qt::LeftButton);
            break;
        case 1:
            act("program clicks CmdDetail");
            button->click();
            break;
        case 2:
            act("Space on CmdDetail");
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
            break;
        default:
            act("Enter on CmdDetail");
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
            break;
        }
    }

    void closeWindowEvent() {
        switch (pick(6)) {
        case 0: {
            QWidget* from = focusSomewhere();
            Stroke s;
            s.key = Qt::Key_Escape;
            act("Escape on " + from->objectName().toStdString());
            expectFromKey(from, s);
            send(from, s);
            break;
        }
        case 1:
            act("close box");
            m_expectClosed = true;
            m_window->close();
            break;
        default:
            clickButton(c().cmdClose, kOnClose, Qt::Key_C);
            break;
        }
    }

    // ---- Inside the dialog -------------------------------------------------------------

    void workDialog(frmFtToInches& dialog) {
        ++m_dialogOpenings;
        m_heightBeforeDialog = c().txtHT->text();
        // The window system hands the keyboard to the modal dialog.
        test::activate(&dialog);
        if (!m_failed && QApplication::activeModalWidget() != &dialog)
            fail("the dialog is not the modal window while open");
        const std::string outer = m_action;
        const FeetInchesControls& d = dialog.controls();
        connect(d.cmdClose, &QPushButton::clicked, &dialog,
                [this, &dialog] { afterDialogEnter(dialog); });
        for (int n = 1 + pick(8); n > 0 && dialog.isVisible() && !m_failed; --n) {
            dialogEvent(dialog);
            check();
        }
        if (dialog.isVisible() && !m_failed) {
            dialogEnd(dialog);
            check();
        }
        if (dialog.isVisible())
            dialog.close();
        if (dialog.isVisible()) {
            fail("the dialog would not close");
            dialog.reject();
        }
        act(outer + ", dialog closed");
    }

    // The Enter button either writes a height in inches and closes, or says why not.
    void afterDialogEnter(const frmFtToInches& dialog) {
        ++m_dialogEnterClicks;
        if (m_failed)
            return;
        if (dialog.isVisible()) {
            if (newBoxes() != 1)
                fail("the dialog's Enter button kept it open with " + std::to_string(newBoxes()) +
                     " message boxes");
        } else {
            bool digits = !c().txtHT->text().isEmpty();
            for (const QChar ch : c().txtHT->text())
                digits = digits && (ch.isDigit() || ch == u'-');
            if (newBoxes() != 0)
                fail("the dialog wrote a height and showed a message box");
            else if (c().cmbHT->Text() != QStringLiteral("inches") || !digits)
                fail("the dialog wrote '" + c().txtHT->text().toStdString() + "' " +
                     c().cmbHT->Text().toStdString());
        }
        markPlatform();
    }

    void dialogEvent(frmFtToInches& dialog) {
        const FeetInchesControls& d = dialog.controls();
        ComboBox* list = chance(50) ? d.cmbFt : d.cmbIn;
        const std::string name = list->objectName().toStdString();
        const int roll = pick(100);
        if (roll < 50) {
            list->setFocus();
            const Stroke s = randomStroke(true);
            act("dialog key " + s.name() + " on " + name);
            send(list, s);
        } else if (roll < 65) {
            const int index = pick(list->count());
            act("dialog pick " + std::to_string(index) + " in " + name);
            list->setCurrentIndex(index);
            emit list->activated(index);
        } else if (roll < 68) {
            // Choosing from the open list is no click of the Enter button.
            list->setFocus();
            const int enterClicks = m_dialogEnterClicks;
            dropDown(list, "dialog ");
            if (!m_failed && (m_dialogEnterClicks != enterClicks || !dialog.isVisible()))
                fail("a key in the open list of " + name + " clicked the Enter button");
        } else if (roll < 75) {
            list->setFocus();
            const QString text = randomText();
            act("dialog input method commits '" + text.left(40).toStdString() + "' in " + name);
            commit(list, text);
        } else if (roll < 90) {
            editMenu(list->lineEdit(), "dialog " + name);
        } else {
            d.cmdClose->setFocus();
            const Stroke s = randomStroke(true);
            act("dialog key " + s.name() + " on cmdClose");
            send(d.cmdClose, s);
        }
    }

    // Each way out of the dialog.
    void dialogEnd(frmFtToInches& dialog) {
        const FeetInchesControls& d = dialog.controls();
        const int roll = pick(40);
        if (roll < 10) {
            act("dialog Enter button");
            QTest::mouseClick(d.cmdClose, Qt::LeftButton);
        } else if (roll < 18) {
            act("dialog Escape");
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : &dialog, Qt::Key_Escape);
        } else if (roll < 24) {
            act("dialog Space on button");
            d.cmdClose->setFocus();
            QTest::keyClick(d.cmdClose, Qt::Key_Space);
        } else if (roll < 28) {
            act("dialog Alt+E");
            QTest::keyClick(&dialog, Qt::Key_E, Qt::AltModifier);
            flushSpringBacks();
            if (d.cmdClose->isDown())
                fail("Alt+E never let go of the button");
        } else {
            // The close box writes nothing.
            const QString height = c().txtHT->text();
            const QString unit = c().cmbHT->Text();
            if (roll < 34) {
                act("dialog close event");
                QCloseEvent event;
                QApplication::sendEvent(&dialog, &event);
            } else {
                act("dialog close box");
                dialog.close();
            }
            if (c().txtHT->text() != height || c().cmbHT->Text() != unit)
                fail("the dialog's close box wrote '" + c().txtHT->text().toStdString() + "' " +
                     c().cmbHT->Text().toStdString());
        }
    }

    // ---- The result on screen --------------------------------------------------------

    // Needs no recomputation: a shown result is the one the last Calculate showed, for
    // the very entries it was shown for, in the colour of the band its number lies in.
    void check() {
        if (m_failed)
            return; // the first failure tells the story
        const MainControls& m = c();
        const QString caption = m.lblBMI->Caption();
        if (caption.isEmpty())
            return;
        ++m_checksWithResult;
        if (currentEntries() != m_shownFor || caption != m_shownCaption)
            return fail("result " + caption.toStdString() + " shown beside entries that " +
                        "changed since Calculate showed " + m_shownCaption.toStdString());
        const std::optional<double> shown = shownNumber(caption);
        const auto band = static_cast<std::size_t>(bandOf(shown.value_or(0)));
        if (m.lblBMI->BackColor() != m.lblColor[band]->BackColor())
            fail("result " + caption.toStdString() + " not in its band's colour");
    }

    void fail(const std::string& what) {
        if (m_failed)
            return;
        m_failed = true;
        const MainControls& m = c();
        ADD_FAILURE() << what << "\n  seed " << m_seed << ", step " << m_step << ", last action "
                      << m_action << "\n  entries '" << m.txtHT->text().toStdString() << "' "
                      << m.cmbHT->Text().toStdString() << ", '" << m.txtWT->text().toStdString()
                      << "' " << m.cmbWT->Text().toStdString() << "; result '"
                      << m.lblBMI->Caption().toStdString() << "'";
    }

    unsigned m_seed;
    bool m_trace;
    RecordingPlatform m_platform;
    std::unique_ptr<frmBMI> m_window; // after the platform, which it uses to the end
    int m_step = 0;
    std::string m_action;
    bool m_failed = false;

    // This action's expectations and the state it started from.
    Clicks m_clicks{};
    Clicks m_clicksBefore{};
    Clicks m_expected{};
    bool m_expectClosed = false;
    int m_openingsBefore = 0;
    std::size_t m_boxMark = 0, m_helpMark = 0, m_shellMark = 0;
    int m_border = 0; // what the advert's last mouse event made its border
    QString m_heightBeforeDialog;
    Entries m_shownFor;     // the entries of the last result Calculate showed
    QString m_shownCaption; // and that result

    // What the run got to, so that a run that tested little can be told.
    int m_checksWithResult = 0;
    int m_dialogOpenings = 0;
    int m_dialogEnterClicks = 0;
    int m_dialogWrites = 0;
    int m_windows = 0;
    int m_helpBoxes = 0;
    int m_browserBoxes = 0;
    int m_refusalBoxes = 0;
    int m_sliderReleases = 0;
    int m_advertMoves = 0;
    int m_advertReleases = 0;
    int m_popupChoices = 0;
};

TEST(MonkeyTest, AShownResultAlwaysBelongsToTheEntriesBesideIt) {
    const unsigned seed = envNumber("BMI_MONKEY_SEED", kDefaultSeed);
    const int events = static_cast<int>(envNumber("BMI_MONKEY_EVENTS", kDefaultEvents));
    RecordProperty("seed", std::to_string(seed));
    RecordProperty("events", events);
    Monkey monkey(seed, !qEnvironmentVariableIsEmpty("BMI_MONKEY_TRACE"));
    monkey.run(events);
    const Clicks& clicks = monkey.clicks();
    for (std::size_t i = 0; i < kClickableCount; ++i)
        RecordProperty(std::string("clicks_") + kClickableNames[i], clicks[i]);
    RecordProperty("checks_with_result", monkey.checksWithResult());
    RecordProperty("dialog_openings", monkey.dialogOpenings());
    RecordProperty("dialog_writes", monkey.dialogWrites());
    RecordProperty("windows", monkey.windows());
    RecordProperty("help_boxes", monkey.helpBoxes());
    RecordProperty("browser_boxes", monkey.browserBoxes());
    RecordProperty("refusal_boxes", monkey.refusalBoxes());
    RecordProperty("slider_releases", monkey.sliderReleases());
    RecordProperty("advert_moves", monkey.advertMoves());
    RecordProperty("advert_releases", monkey.advertReleases());
    RecordProperty("popup_choices", monkey.popupChoices());
    if (testing::Test::HasFailure() || events < 1000)
        return;
    // The run is worth something only if it got everywhere: results shown, every button
    // clicked, both answers of the help viewer and the shell met, windows closed.
    const int per1000 = events / 1000;
    const std::string context = "seed " + std::to_string(seed);
    EXPECT_GT(monkey.checksWithResult(), 40 * per1000) << context;
    for (std::size_t i = 0; i < kClickableCount; ++i)
        EXPECT_GT(clicks[i], 5 * per1000) << kClickableNames[i] << ", " << context;
    EXPECT_GT(monkey.dialogWrites(), 2 * per1000) << context;
    EXPECT_GT(monkey.windows(), 5 * per1000) << context;
    EXPECT_GT(monkey.helpBoxes(), 2 * per1000) << context;
    EXPECT_GT(monkey.browserBoxes(), 4 * per1000) << context;
    EXPECT_GT(monkey.refusalBoxes(), 10 * per1000) << context;
    EXPECT_GT(monkey.sliderReleases(), 10 * per1000) << context;
    EXPECT_GT(monkey.advertMoves(), 10 * per1000) << context;
    EXPECT_GT(monkey.advertReleases(), 10 * per1000) << context;
    EXPECT_GT(monkey.popupChoices(), 2 * per1000) << context;
}

} // namespace
} // namespace bmi
