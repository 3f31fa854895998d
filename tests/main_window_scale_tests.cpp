// The BMI scale as laid out at start-up, read back through the controls' properties,
// and as it shows on screen.
#include "tests/support/MainWindowTest.h"

#include <QImage>

#include <algorithm>

namespace bmi::test {
namespace {

// Tick k stands at the value 15 + 5k.
constexpr double kTickX[8] = {815.9375,  2080.78125, 3345.625, 4610.46875,
                              5875.3125, 7140.15625, 8405,     9669.84375};

struct BandRow {
    double left, width;
    QColor color;
};
const BandRow kBands[5] = {{310, 1770.78125, QColor(0, 255, 255)},
                           {2080.78125, 1264.84375, QColor(0, 255, 0)},
                           {3345.625, 1264.84375, QColor(255, 255, 0)},
                           {4610.46875, 2529.6875, QColor(255, 128, 128)},
                           {7140.15625, 1274.84375, QColor(255, 0, 0)}};

double prop(QObject* o, const char* name) {
    const QVariant v = o->property(name);
    EXPECT_TRUE(v.isValid()) << o->objectName().toStdString() << "." << name;
    return v.toDouble();
}

class ScaleTest : public MainWindowTest {
protected:
    QWidget* frame2() { return get<QWidget>(QStringLiteral("Frame2")); }
    QWidget* tick(int k) { return get<QWidget>(QStringLiteral("Tick(%1)").arg(k)); }
    QWidget* number(int k) { return get<QWidget>(QStringLiteral("lblBMIValue(%1)").arg(k)); }

    // The window as drawn, addressed in Frame2's coordinates.
    QImage frame2Picture() { return frame2()->grab().toImage(); }
    static bool dark(QRgb c) { return qGray(c) < 80; }
};

TEST_F(ScaleTest, AxisRunsFromTheSlidersInsetStartToItsInsetEnd) {
    auto* axis = get<QWidget>(QStringLiteral("LineSlider"));
    EXPECT_EQ(prop(axis, "X1"), 310.0);
    EXPECT_EQ(prop(axis, "X2"), 8405.0);
    EXPECT_EQ(prop(axis, "Y1"), 930.0);
    EXPECT_EQ(prop(axis, "Y2"), 930.0);
}

TEST_F(ScaleTest, EightTicksAndNumbersAtTheirValues) {
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(prop(tick(k), "X1"), kTickX[k]);
        EXPECT_EQ(prop(tick(k), "X2"), kTickX[k]);
        EXPECT_EQ(prop(tick(k), "Y1"), 930.0);
        EXPECT_EQ(prop(tick(k), "Y2"), 1230.0);
        EXPECT_FALSE(tick(k)->isHidden());
        // Each number is centred on its tick with the width of the designed "20".
        EXPECT_EQ(prop(number(k), "Left"), kTickX[k] - 90);
        EXPECT_EQ(prop(number(k), "Top"), 1230.0);
        EXPECT_EQ(number(k)->property("Caption").toString(), QString::number(15 + 5 * k));
        EXPECT_FALSE(number(k)->isHidden());
        EXPECT_EQ(number(k)->x(), px(kTickX[k] - 90));
        EXPECT_EQ(number(k)->y(), 82);
    }
}

TEST_F(ScaleTest, BandsLieEdgeToEdgeFromTheAxisStartToTheTickOf45) {
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(prop(band(k), "Left"), kBands[k].left);
        EXPECT_EQ(prop(band(k), "Width"), kBands[k].width);
        EXPECT_EQ(prop(band(k), "Top"), 930.0);
        EXPECT_EQ(prop(band(k), "Height"), 225.0);
        EXPECT_EQ(band(k)->geometry(), QRect(QPoint(px(kBands[k].left), 62),
                                             QPoint(px(kBands[k].left + kBands[k].width) - 1, 76)));
        if (k > 0) {
            EXPECT_EQ(band(k)->x(), band(k - 1)->geometry().right() + 1);
        }
    }
}

TEST_F(ScaleTest, TheTickOf50AndItsNumberLieBeyondFrame2) {
    EXPECT_EQ(frame2()->width(), 583);
    EXPECT_GE(tick(7)->x(), frame2()->width());
    EXPECT_GE(number(7)->x(), frame2()->width());
    for (int k = 0; k < 7; ++k)
        EXPECT_TRUE(frame2()->rect().contains(number(k)->geometry())) << k;
}

TEST_F(ScaleTest, BandsShowTheirColoursUnderTheAxisAndTicks) {
    const QImage img = frame2Picture();
    for (int k = 0; k < 5; ++k) {
        const int x = px(kBands[k].left) + 3;
        EXPECT_EQ(QColor(img.pixel(x, 72)), kBands[k].color) << k;
        EXPECT_EQ(QColor(img.pixel(px(kBands[k].left + kBands[k].width) - 2, 72)), kBands[k].color)
            << k;
        // The axis runs along the bands' top row, drawn over them.
        EXPECT_TRUE(dark(img.pixel(x, 62))) << k;
    }
    // The ticks of 15 and 35 cross the Underweight and Obese bands, drawn over them.
    EXPECT_TRUE(dark(img.pixel(px(kTickX[0]), 72)));
    EXPECT_TRUE(dark(img.pixel(px(kTickX[4]), 72)));
    for (int k = 0; k < 7; ++k) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(dark(img.pixel(px(kTickX[k]), 79)));
        EXPECT_FALSE(dark(img.pixel(px(kTickX[k]) + 3, 79)));
    }
}

TEST_F(ScaleTest, NumbersFifteenToFortyFiveShowAndFiftyIsClippedAway) {
    const QImage img = frame2Picture();
    for (int k = 0; k < 7; ++k) {
        const QRect r = number(k)->geometry();
        int darkPixels = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                darkPixels += dark(img.pixel(x, y));
        EXPECT_GT(darkPixels, 10) << 15 + 5 * k;
    }
    // Right of the last band and the number 45 nothing shows but the frame's border.
    const int end = std::max(band(4)->geometry().right(), number(6)->geometry().right());
    for (int y = 62; y <= 95; ++y)
        for (int x = end + 2; x < frame2()->width() - 3; ++x)
            ASSERT_FALSE(dark(img.pixel(x, y))) << x << "," << y;
}

TEST_F(ScaleTest, ResultLabelTakesTheBandColourOnScreen) {
    const QImage idle = frame2Picture();
    const QPoint inside = lblBMI()->geometry().topLeft() + QPoint(2, 2);
    EXPECT_EQ(QColor(idle.pixel(inside)), QColor(Qt::white));
    showSomeResult();
    const QImage shown = frame2Picture();
    EXPECT_EQ(QColor(shown.pixel(inside)), QColor(0, 255, 0));
    int darkPixels = 0;
    const QRect r = lblBMI()->geometry().adjusted(2, 2, -2, -2);
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            darkPixels += dark(shown.pixel(x, y));
    EXPECT_GT(darkPixels, 20); // "22.1" is written in it
}

TEST_F(ScaleTest, ResultLabelSitsOnTheFrameCaptionLineOverItsBlanks) {
    const QImage img = frame2Picture();
    const QRect result = lblBMI()->geometry();
    const QColor grey(0xC0, 0xC0, 0xC0);
    // The frame's top border: the first row that isn't background, right of the caption.
    const int probeX = frame2()->width() - 20;
    int borderY = -1;
    for (int y = 0; y < 40 && borderY < 0; ++y)
        if (QColor(img.pixel(probeX, y)) != grey)
            borderY = y;
    ASSERT_GE(borderY, 0);
    EXPECT_GE(borderY, result.top());
    EXPECT_LE(borderY, result.bottom());
    // Between "BMI:" and the result label the caption's blanks hide the border, and the
    // caption's text ends before the label starts.
    const int textEnd = 8 + frame2()->fontMetrics().horizontalAdvance(QStringLiteral("BMI:"));
    EXPECT_LT(textEnd, result.left());
    for (int x = textEnd + 1; x < result.left(); ++x)
        EXPECT_EQ(QColor(img.pixel(x, borderY)), grey) << x;
    // Right of the label, the border runs on.
    EXPECT_NE(QColor(img.pixel(result.right() + 4, borderY)), grey);
}

TEST_F(ScaleTest, ThumbStandsOverItsValueOnTheScale) {
    for (int v : {13, 15, 20, 25, 30, 35, 40, 45}) {
        slider()->setValueUnclamped(v);
        const QRect thumb = thumbRect();
        ASSERT_FALSE(thumb.isNull());
        const double thumbCentre = slider()->x() + thumb.left() + (thumb.width() - 1) / 2.0;
        const double valueX = (310 + 8095.0 / 32 * (v - 13)) / 15.0;
        EXPECT_NEAR(thumbCentre, valueX, 1.5) << v;
    }
}

} // namespace
} // namespace bmi::test
