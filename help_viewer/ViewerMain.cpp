#include "help_viewer/ViewerMain.h"

#include "help_viewer/HelpBrowser.h"
#include "help_viewer/HelpFile.h"
#include "help_viewer/HelpWindow.h"
#include "help_viewer/InstanceGuard.h"

#include <QApplication>
#include <QMessageBox>
#include <QTextStream>

#include <cstring>
#include <optional>

namespace bmi::help {

namespace {

const QString kCheckOption = QStringLiteral("--check");

QString ViewerTitle() {
    return QStringLiteral("BMI-Trevala Help");
}

struct Arguments {
    bool check = false;
    QString request;
};

std::optional<Arguments> ParseArguments(const QStringList& args) {
    Arguments parsed;
    int requests = 0;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == kCheckOption) {
            parsed.check = true;
        } else {
            parsed.request = args[i];
            ++requests;
        }
    }
    if (requests != 1 || parsed.request.isEmpty())
        return std::nullopt;
    return parsed;
}

int Check(const HelpFile& file) {
    // The topic is laid out as the window would show it, so a page that cannot be read
    // fails here too.
    HelpBrowser browser(file);
    browser.setSource(file.defaultTopic());
    QTextStream out(stdout);
    out << "topic: " << file.defaultTopic().path() << '\n'
        << "caption: " << file.caption() << '\n'
        << "title: " << browser.documentTitle() << '\n';
    return kExitOk;
}

} // namespace

int RunViewer(int argc, char** argv) {
    bool check = false;
    for (int i = 1; i < argc; ++i)
        check = check || std::strcmp(argv[i], "--check") == 0;
    // A check runs where there may be no display at all.
    if (check && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    // One application with the calculator: on X11 the name is the window's class,
    // which shells match against the desktop entry's StartupWMClass.
    QApplication::setApplicationName(QStringLiteral("BMI-Trevala"));
    QApplication::setDesktopFileName(QStringLiteral(BMI_APP_ID));

    const auto args = ParseArguments(QApplication::arguments());
    if (!args) {
        const QString usage =
            QStringLiteral("Usage: BMI-Trevala-help [--check] \"<help file>[>window]\"");
        QTextStream(stderr) << usage << '\n';
        if (!check)
            QMessageBox::warning(nullptr, ViewerTitle(), QStringLiteral("No help file was named."));
        return kExitUsage;
    }
    const HelpRequest request = ParseRequest(args->request);

    // Listen before the slow part, so that two viewers started together find each other.
    std::optional<InstanceGuard> guard;
    if (!args->check) {
        guard.emplace(request.file);
        if (guard->notifyRunning() || (!guard->listen() && guard->notifyRunning()))
            return kExitOk;
    }

    QString error;
    const auto file = HelpFile::Open(request.file, request.window, &error);
    if (!file) {
        QTextStream(stderr) << error << '\n';
        if (!args->check)
            QMessageBox::warning(nullptr, ViewerTitle(), error);
        return kExitCannotOpen;
    }
    if (args->check)
        return Check(*file);

    HelpWindow window(*file);
    QObject::connect(&*guard, &InstanceGuard::raiseRequested, &window, &HelpWindow::bringToFront);
    window.show();
    return QApplication::exec();
}

} // namespace bmi::help
