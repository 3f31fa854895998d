// Writes the help's picture of the scale (images/bands.png) as a grab of the real
// window's scale, so that the picture cannot drift from the window: the bands, the
// ticks and the slider come from the same design table and layout the program uses.
//
//     bmi_scale_picture OUTPUT.png
//
// Run by the build before the help file is compiled. It shows the result of a typical
// entry (70 inches, 154 pounds: 22.1, "Healthy"), as the topic describes.
#include "main_window/frmBMI.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: bmi_scale_picture OUTPUT.png\n", stderr);
        return 2;
    }
    // Drawn the same on every build machine: never on a display, and at one device
    // pixel per pixel whatever the desktop's scaling asks for.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* scaling : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI",
                                "QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR_ROUNDING_POLICY"})
        qunsetenv(scaling);
    QApplication app(argc, argv);
    bmi::configureApplication(app);

    bmi::QtPlatform platform;
    bmi::frmBMI window(platform);
    const bmi::MainControls& c = window.controls();
    c.txtHT->setText(QStringLiteral("70"));
    c.txtWT->setText(QStringLiteral("154"));
    c.cmdCalculate->click();
    if (c.lblBMI->Caption() != QStringLiteral("22.1")) {
        std::fprintf(stderr, "bmi_scale_picture: the window showed \"%s\", not 22.1\n",
                     qPrintable(c.lblBMI->Caption()));
        return 1;
    }

    // The window is opaque: no alpha channel for the help viewer to blend.
    QImage picture = c.Frame2->grab().toImage().convertToFormat(QImage::Format_RGB32);
    picture.setDevicePixelRatio(1);
    // The resolution the file records is the design's 96 dots per inch, not whatever
    // the build machine's screen would claim.
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(3780);
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "bmi_scale_picture: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
