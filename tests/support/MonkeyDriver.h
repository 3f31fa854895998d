#pragma once
// The monkey test's hands: seeded random keys and texts, and the ways a user delivers
// them to a control. Which action to take and what it must have done stay with the test.

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QObject>
#include <QString>
#include <QTest>
#include <QTimerEvent>
#include <QWidget>

#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace bmi::test {

// Texts that make results likely, next to texts that every check must refuse: junk,
// other scripts' digits, control characters, surrogates, numbers beyond a float.
inline const std::vector<QString>& textPool() {
    static const std::vector<QString> pool = [] {
        std::vector<QString> texts{"70",    "170",  "65.5", "108",         "36",          "154",
                                   "70.25", "800",  "20",   "250",         "1.85",        "0",
                                   "",      ".",    "5.",   ".5",          "12.3.",       "abc",
                                   "-70",   " 80 ", "1e3",  "99999999999", "3.4028236e38"};
        for (const char* text : {"\u0663\u0660", "\uFF17\uFF10", "7\u03010",
                                 "\u202E07",     "\u200B70",     "\xF0\x9F\x98\x80",
                                 "inches",       "centimeters",  "pounds",
                                 "kilograms",    "kilo",         "\t",
                                 "7'",           "0\"",          "\u00A0",
                                 "1,5",          "NaN",          "inf",
                                 "0x46",         "+70",          "\x1b\x7f"})
            texts.push_back(QString::fromUtf8(text));
        // Just above the largest float, and far below the smallest.
        texts.push_back(QStringLiteral("340282356779733661637539395458142568448"));
        texts.push_back(QStringLiteral("0.") + QString(45, u'0') + QStringLiteral("1"));
        // Line breaks, a NUL and a lone surrogate.
        texts.push_back(QStringLiteral("7") + QChar(u'\n') + QStringLiteral("0"));
        texts.push_back(QString(QChar(u'\r')) + QChar(u'\n'));
        texts.push_back(QString(QChar(0)) + "70");
        texts.push_back(QString(QChar(0xD800)) + "5");
        return texts;
    }();
    return pool;
}

// A key as the keyboard delivers it: a character key or a named one, with modifiers.
struct Stroke {
    char typed = 0;
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers mods;

    bool is(Qt::Key k) const { return typed == 0 && key == k; }
    bool isEnter() const { return is(Qt::Key_Return) || is(Qt::Key_Enter); }
    // Whether an edit field would take it as typing: a character, Backspace, Ctrl+letter.
    bool types() const {
        return typed != 0 || is(Qt::Key_Backspace) ||
               (mods == Qt::ControlModifier && key >= Qt::Key_A && key <= Qt::Key_Z);
    }
    std::string name() const {
        const QKeyCombination combo(mods, typed ? Qt::Key(QChar(typed).toUpper().unicode()) : key);
        return QKeySequence(combo).toString().toStdString();
    }
};

class MonkeyDriver : public QObject {
protected:
    explicit MonkeyDriver(unsigned seed) : m_rng(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    template <typename C> const auto& pickFrom(const C& items) {
        return items[static_cast<std::size_t>(pick(static_cast<int>(std::size(items))))];
    }
    bool chance(int percent) { return pick(100) < percent; }

    Stroke randomStroke(bool escapeAllowed) {
        static const char typed[] = "0123456789.......-ae x'\"+,/";
        static const Qt::Key keys[] = {
            Qt::Key_Backspace, Qt::Key_Delete,   Qt::Key_Left,   Qt::Key_Right,
            Qt::Key_Home,      Qt::Key_End,      Qt::Key_Up,     Qt::Key_Down,
            Qt::Key_PageUp,    Qt::Key_PageDown, Qt::Key_Return, Qt::Key_Enter,
            Qt::Key_Tab,       Qt::Key_Backtab,  Qt::Key_Insert, Qt::Key_Escape};
        Stroke s;
        const int kind = pick(20);
        if (kind < 9) {
            s.typed = typed[pick(static_cast<int>(sizeof typed) - 1)];
            if (s.typed != ' ' && chance(5))
                s.mods = Qt::AltModifier;
        } else if (kind < 16) {
            s.key = keys[pick(static_cast<int>(std::size(keys)) - (escapeAllowed ? 0 : 1))];
            if (chance(10))
                s.mods = Qt::ShiftModifier;
            else if (chance(5))
                s.mods = Qt::ControlModifier;
        } else if (kind < 18) {
            s.key = static_cast<Qt::Key>(Qt::Key_A + pick(26));
            s.mods = Qt::ControlModifier;
        } else {
            // The keyboard's own paste, cut and copy, which skip the typing filter.
            static const std::pair<Qt::Key, Qt::KeyboardModifier> clipboardKeys[] = {
                {Qt::Key_Insert, Qt::ShiftModifier},
                {Qt::Key_Delete, Qt::ShiftModifier},
                {Qt::Key_Insert, Qt::ControlModifier}};
            const auto& [key, mod] = pickFrom(clipboardKeys);
            s.key = key;
            s.mods = mod;
            QGuiApplication::clipboard()->setText(randomText());
        }
        return s;
    }

    void send(QWidget* target, const Stroke& s) {
        if (s.typed)
            QTest::keyClick(target, s.typed, s.mods);
        else
            QTest::keyClick(target, s.key, s.mods);
        if (s.mods & Qt::AltModifier)
            flushSpringBacks();
    }

    // An access key pushes its button down and clicks it as it springs back, 100 ms on;
    // deliver that moment now rather than wait for it.
    static void flushSpringBacks() {
        for (QWidget* top : QApplication::topLevelWidgets())
            for (QAbstractButton* button : top->findChildren<QAbstractButton*>())
                if (button->isDown())
                    for (const auto& timer :
                         QAbstractEventDispatcher::instance()->registeredTimers(button)) {
                        QTimerEvent tick(timer.timerId);
                        QCoreApplication::sendEvent(button, &tick);
                    }
    }

    QString randomText() {
        const int kind = pick(10);
        if (kind < 6)
            return pickFrom(textPool());
        if (kind < 8) {
            // Long runs of digits, now and then with a point or spaces in them.
            QString text;
            for (int n = 10 + pick(300); n > 0; --n)
                text += QChar(u'0' + pick(10));
            if (chance(50))
                text.insert(pick(static_cast<int>(text.size())), QLatin1Char('.'));
            if (chance(20))
                text = QStringLiteral("  ") + text + QStringLiteral(" ");
            return text;
        }
        static const QString chars =
            QStringLiteral("0123456789..-+ e'\"x\u00e9\u2032\u0660\t\n\u00A0\U0001F600");
        QString text;
        for (int n = pick(8); n > 0; --n)
            text += chars.at(pick(static_cast<int>(chars.size())));
        return text;
    }

    // Committed input-method text, sometimes after a composition shown in the field.
    void commit(QWidget* target, const QString& text) {
        if (chance(30)) {
            QInputMethodEvent compose(text.left(2), {});
            QApplication::sendEvent(target, &compose);
        }
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(target, &commit);
    }

    std::mt19937 m_rng;
};

} // namespace bmi::test
