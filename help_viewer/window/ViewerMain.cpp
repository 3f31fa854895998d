#include "window/ViewerMain.h"

#include "search/TopicCrawl.h"
#include "window/HelpBrowser.h"
#include "window/HelpFile.h"
#include "window/HelpWindow.h"
#include "window/InstanceGuard.h"
#include "window/ViewerStyle.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTextBlock>
#include <QTextStream>

#include <csignal>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace bmi::help {

namespace {

const QString kCheckOption = QStringLiteral("--check");

QString viewerTitle() {
    return QStringLiteral("BMI-Trevala Help");
}

struct Arguments {
    bool check = false;
    QString request;
};

std::optional<Arguments> parseArguments(const QStringList& args) {
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

// Enough for any help file; a file naming more topics is checked this far.
constexpr int kMaxCheckedTopics = 10000;
// Characters laid out in all before the check stops: about a second and a half of
// layout, a hundred times what our own help file holds.
constexpr qint64 kMaxCheckCharacters = 2 * 1024 * 1024;
// About the width of the window's topic pane.
constexpr qreal kCheckWidth = 560;

struct CheckedTopics {
    int topics = 0;
    bool stopped = false; // the work allowed ran out first
};

// Lays out every topic the window could show, as it would show it: the default topic,
// the home page, the contents and the index, and every page their links lead to. A topic
// that would freeze or crash the window does so here. Each object is laid out once,
// however many names lead to it.
CheckedTopics layOutTopics(const HelpFile& file) {
    HelpBrowser browser(file);
    // A name that leads nowhere shows the same page whatever it is: once for all.
    TopicCrawl crawl(file.startingTopics(),
                     [&file](const QUrl& url) { return file.objectKey(url); });
    CheckedTopics checked;
    qint64 work = 0;
    while (checked.topics < kMaxCheckedTopics) {
        const auto topic = crawl.next();
        if (!topic)
            break;
        if (work > kMaxCheckCharacters) {
            checked.stopped = true;
            break;
        }
        browser.setSource(*topic);
        QTextDocument* document = browser.document();
        document->setTextWidth(kCheckWidth);
        document->documentLayout()->documentSize();
        work += document->characterCount();
        ++checked.topics;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                if (const QString href = it.fragment().charFormat().anchorHref(); !href.isEmpty())
                    crawl.follow(browser.resolved(QUrl(href)));
    }
    return checked;
}

// The end of a pipe a signal handler writes to; the event loop reads it.
int g_quitWriter = -1;

void onQuitSignal(int) {
    const char byte = 'q';
    [[maybe_unused]] const ssize_t written = ::write(g_quitWriter, &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the viewer the way closing its window does, so that the
// socket and lock that keep it the only viewer of its file go with it.
void quitOnSignals(QObject* parent) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_quitWriter = fds[1];
    auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [] { QApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = &onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

int runCheck(const HelpFile& file) {
    const CheckedTopics checked = layOutTopics(file);
    HelpBrowser browser(file);
    browser.setSource(file.defaultTopic());
    QTextStream out(stdout);
    out << "topic: " << printable(file.defaultTopic().path()) << '\n'
        << "caption: " << printable(file.caption()) << '\n'
        << "title: " << printable(browser.documentTitle()) << '\n'
        << "topics: " << checked.topics << '\n';
    if (checked.stopped)
        out << "stopped: the topics are too long to check them all\n";
    return kExitOk;
}

} // namespace

QString printable(const QString& text) {
    QString printable;
    printable.reserve(text.size());
    for (const QChar c : text)
        if (c.category() != QChar::Other_Control)
            printable += c;
    return printable;
}

std::unique_ptr<QMessageBox> errorBox(const QString& text) {
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::Warning, viewerTitle(), text, QMessageBox::Ok);
    // A file's name is shown as it is written, never read as markup.
    box->setTextFormat(Qt::PlainText);
    return box;
}

int runViewer(int argc, char** argv) {
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

    const auto args = parseArguments(QApplication::arguments());
    if (!args) {
        const QString usage =
            QStringLiteral("Usage: BMI-Trevala-help [--check] \"<help file>[>window]\"");
        QTextStream(stderr) << usage << '\n';
        if (!check)
            errorBox(QStringLiteral("No help file was named."))->exec();
        return kExitUsage;
    }
    const HelpRequest request = parseRequest(args->request);

    // Listen before the slow part, so that two viewers started together find each other.
    std::optional<InstanceGuard> guard;
    if (!args->check) {
        quitOnSignals(&app);
        guard.emplace(request.file);
        if (guard->notifyRunning() || (!guard->listen() && guard->notifyRunning()))
            return kExitOk;
    }

    QString error;
    const auto file = HelpFile::open(request.file, request.window, &error);
    if (!file) {
        QTextStream(stderr) << printable(error) << '\n';
        if (!args->check)
            errorBox(error)->exec();
        return kExitCannotOpen;
    }
    if (args->check)
        return runCheck(*file);

    QApplication::setStyle(new ViewerStyle);
    HelpWindow window(*file);
    QObject::connect(&*guard, &InstanceGuard::raiseRequested, &window, &HelpWindow::bringToFront);
    window.show();
    return QApplication::exec();
}

} // namespace bmi::help
