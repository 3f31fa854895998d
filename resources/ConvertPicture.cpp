// Build tool: decodes a picture and writes it again in a form start-up reads cheaply.
//
//   bmi_convert_picture <input> <output.png>     any format Qt reads (the designed ICO
//                                                and GIF), again as PNG, which Qt decodes
//                                                without an image-format plugin
//   bmi_convert_picture <input> <output.pixels>  the pixels exactly as the program's own
//                                                reader decodes the input (by its suffix),
//                                                stored as they are (platform/PictureData.h)
#include "platform/PictureData.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: bmi_convert_picture <input> <output.png|output.pixels>\n";
        return 2;
    }
    const bool asPixels = args[2].endsWith(QStringLiteral(".pixels"));
    QImageReader reader(args[1]);
    if (asPixels) {
        // The decoder the program would use, so the stored pixels are the ones it had.
        reader.setFormat(QFileInfo(args[1]).suffix().toLatin1());
        reader.setAutoDetectImageFormat(false);
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        err << args[1] << ": " << reader.errorString() << '\n';
        return 1;
    }
    if (asPixels) {
        const QByteArray stored = bmi::encodePictureData(image);
        QFile out(args[2]);
        if (stored.isEmpty()) {
            err << args[1] << ": decodes to a format that is not stored as pixels\n";
            return 1;
        }
        if (!out.open(QIODevice::WriteOnly) || out.write(stored) != stored.size()) {
            err << args[2] << ": " << out.errorString() << '\n';
            return 1;
        }
        return 0;
    }
    QImageWriter writer(args[2], "png");
    if (!writer.write(image)) {
        err << args[2] << ": " << writer.errorString() << '\n';
        return 1;
    }
    return 0;
}
