// The toolkit's floor for start-up: an application object and one empty top-level
// window of the main window's size, shown. Nothing of the program's own (style, fonts,
// pictures, controls) is loaded, so the program's start-up time and memory above this
// are its own.
//
// With --text the window also shows one line of text in the default font: the floor of
// any window that draws text, which pays for the font database and glyph rendering.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal Qt window"));
    window.setFixedSize(611, 281);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        (new QLabel(QStringLiteral("Body Mass Index"), &window))->move(20, 20);
    window.show();
    return QApplication::exec();
}
