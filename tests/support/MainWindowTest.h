#pragma once
// A main window over the recording platform, shown and active on the offscreen screen,
// with the few steps most tests share.

#include "main_window/frmBMI.h"
#include "platform/Controls.h"
#include "tests/support/GuiTest.h"
#include "tests/support/RecordingPlatform.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>

namespace bmi::test {

// Twips to pixels as the screen shows them at 96 dots per inch: each edge rounded on
// its own.
inline int px(double twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = std::make_unique<frmBMI>(m_platform);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        ASSERT_TRUE(activate(m_window.get()));
        m_platform.reset();
    }

    void TearDown() override { m_window.reset(); }

    frmBMI& window() { return *m_window; }

    // Controls are found as the user's code names them, by design name.
    template <typename T> T* get(const QString& name) {
        T* w = m_window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << qPrintable(name);
        return w;
    }
    TextBox* txtHT() { return get<TextBox>(QStringLiteral("txtHT")); }
    TextBox* txtWT() { return get<TextBox>(QStringLiteral("txtWT")); }
    ComboBox* cmbHT() { return get<ComboBox>(QStringLiteral("cmbHT")); }
    ComboBox* cmbWT() { return get<ComboBox>(QStringLiteral("cmbWT")); }
    Label* lblBMI() { return get<Label>(QStringLiteral("lblBMI")); }
    Slider* slider() { return get<Slider>(QStringLiteral("Slider1")); }
    CommandButton* button(const char* name) {
        return get<CommandButton>(QString::fromLatin1(name));
    }
    Label* band(int k) { return get<Label>(QStringLiteral("lblColor(%1)").arg(k)); }

    int sliderValue() { return slider()->property("Value").toInt(); }
    QString shownBMI() { return lblBMI()->property("Caption").toString(); }
    QColor shownColor() { return lblBMI()->property("BackColor").value<QColor>(); }
    static QColor windowBackground() { return QApplication::palette().color(QPalette::Base); }

    // Fills the four entries the way the user would end up with them.
    void enter(const QString& height, int heightUnit, const QString& weight, int weightUnit) {
        txtHT()->setText(height);
        cmbHT()->selectEntry(heightUnit);
        txtWT()->setText(weight);
        cmbWT()->selectEntry(weightUnit);
    }

    // A result on screen (22.1, Healthy), so that a test can see whether a step blanks it.
    void showSomeResult() {
        enter(QStringLiteral("70"), 0, QStringLiteral("154"), 0);
        button("cmdCalculate")->click();
        ASSERT_EQ(shownBMI(), QStringLiteral("22.1"));
        ASSERT_EQ(sliderValue(), 22);
        m_platform.reset();
    }
    // Where the slider's thumb shows, found in the picture: the rows above and below
    // the groove show the thumb alone. In the slider's own coordinates.
    QRect thumbRect() {
        Slider* s = slider();
        const QImage img = s->parentWidget()->grab(s->geometry()).toImage();
        const QRgb background = img.pixel(0, 0);
        QRect best;
        for (int y = 0; y < img.height(); ++y) {
            int first = -1, last = -1;
            for (int x = 0; x < img.width(); ++x) {
                if (img.pixel(x, y) != background) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
            }
            if (first >= 0 && (best.isNull() || last - first < best.width() - 1))
                best = QRect(first, y, last - first + 1, 1);
        }
        return best;
    }
    // Whether closing the window would end the program: nothing else of it shows.
    static bool nothingElseShows() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                return false;
        return true;
    }
    bool resultIsIdle() {
        return shownBMI().isEmpty() && sliderValue() == 0 && shownColor() == windowBackground();
    }

    RecordingPlatform m_platform;
    std::unique_ptr<frmBMI> m_window;
};

} // namespace bmi::test
