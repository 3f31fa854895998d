// Build tool: decodes a picture in any format Qt reads (the designed ICO and GIF) and
// writes it again as PNG, which Qt decodes without an image-format plugin. The program
// loads the PNG copies at start-up; the designed files stay the sources.
//
//   bmi_picture_to_png <input> <output.png>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: bmi_picture_to_png <input> <output.png>\n";
        return 2;
    }
    QImageReader reader(args[1]);
    const QImage image = reader.read();
    if (image.isNull()) {
        err << args[1] << ": " << reader.errorString() << '\n';
        return 1;
    }
    QImageWriter writer(args[2], "png");
    if (!writer.write(image)) {
        err << args[2] << ": " << writer.errorString() << '\n';
        return 1;
    }
    return 0;
}
