// The main window and the feet-and-inches dialog at the scale factor the process was
// started with: everything scales together, nothing new is clipped or overlaps, text
// still fits its control, and the scale's colours land where they should.
#include "feet_inches_dialog/frmFtToInches.h"
#include "main_window/frmBMI.h"
#include "platform/Controls.h"
#include "tests/support/MainWindowTest.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

double factor() {
    return qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
               ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
               : 1.0;
}

void saveShot(const QImage& image, const QString& name) {
    const QString dir = QStringLiteral(BMI_SHOT_DIR);
    QDir().mkpath(dir);
    image.save(dir + QStringLiteral("/%1@%2x.png").arg(name).arg(factor()));
}

// Controls that the design lets run past their container: the tick of 50 and its number.
bool designedToClip(const QWidget* w) {
    return w->objectName() == QLatin1String("Tick(7)") ||
           w->objectName() == QLatin1String("lblBMIValue(7)") ||
           w->objectName() == QLatin1String("Frame1");
}

class HighDpi : public bmi::test::MainWindowTest {};

TEST_F(HighDpi, WindowScalesAsOnePicture) {
    const QImage shot = window().grab().toImage();
    saveShot(shot, QStringLiteral("main"));
    EXPECT_NEAR(shot.width(), 611 * factor(), 1.0);
    EXPECT_NEAR(shot.height(), 281 * factor(), 1.0);
    EXPECT_EQ(window().size(), QSize(611, 281)); // logical size is the design's
}

TEST_F(HighDpi, VisibleControlsStayInsideTheirContainers) {
    for (QWidget* w : window().findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || designedToClip(w) ||
            !w->parentWidget() || w->isWindow())
            continue;
        if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget()))
            continue; // a list's own edit field
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
            << "geometry " << w->geometry().x() << "," << w->geometry().y() << " "
            << w->geometry().width() << "x" << w->geometry().height();
    }
}

TEST_F(HighDpi, CaptionsFitTheirControls) {
    for (QLabel* label : window().findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty() || designedToClip(label))
            continue;
        SCOPED_TRACE(label->objectName().toStdString());
        const QFontMetrics fm(label->font());
        EXPECT_LE(fm.horizontalAdvance(label->text()), label->width() + 1);
    }
    for (QPushButton* button : window().findChildren<QPushButton*>()) {
        if (button->text().isEmpty())
            continue;
        SCOPED_TRACE(button->objectName().toStdString());
        QString shown = button->text();
        shown.remove(QLatin1Char('&'));
        EXPECT_LT(QFontMetrics(button->font()).horizontalAdvance(shown), button->width() - 4);
    }
}

TEST_F(HighDpi, BandsKeepTheirColoursAtScaledPixels) {
    const QImage shot = window().grab().toImage();
    const auto& bands = window().controls().lblColor;
    for (const bmi::Label* band : bands) {
        SCOPED_TRACE(band->objectName().toStdString());
        // A point a quarter of the way in and near the top: clear of the centred caption
        // and of any tick line.
        const QPoint logical = band->mapTo(&window(), QPoint(band->width() / 4 + 1, 2));
        const QPoint device(int(logical.x() * factor() + 0.5), int(logical.y() * factor() + 0.5));
        EXPECT_EQ(QColor(shot.pixel(device)), band->BackColor());
    }
}

TEST_F(HighDpi, DialogScalesWithTheWindow) {
    bmi::frmFtToInches* dialog = window().feetInchesDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->show();
    const QImage shot = dialog->grab().toImage();
    saveShot(shot, QStringLiteral("dialog"));
    EXPECT_NEAR(shot.width(), dialog->width() * factor(), 1.0);
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || designedToClip(w) || w->isWindow())
            continue;
        if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget()))
            continue;
        SCOPED_TRACE(w->objectName().toStdString());
        if (w->parentWidget() != dialog) {
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()));
        }
    }
    dialog->hide();
}

} // namespace
