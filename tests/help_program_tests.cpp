// The viewer program: its --check run, its error box, and one viewer per file.
#include "window/InstanceGuard.h"
#include "window/ViewerMain.h"

#include "tests/support/HelpTest.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QLocalSocket>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

using namespace bmi::help;
using namespace bmi::test;

namespace {

// ---- the program ----------------------------------------------------------------------

TEST(ViewerProgram, CheckPrintsTopicCaptionAndTitle) {
    const ViewerRun run =
        startViewer({QStringLiteral("--check"), helpPath() + QStringLiteral(">Main")});
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Every page of the project is reachable, so every one is laid out.
    QFile project(qEnvironmentVariable("BMI_SOURCE_DIR") + QStringLiteral("/help/BMI-Trevala.hhp"));
    ASSERT_TRUE(project.open(QIODevice::ReadOnly));
    const auto pages = QString::fromUtf8(project.readAll())
                           .count(QRegularExpression(QStringLiteral("^[\\w-]+\\.html$"),
                                                     QRegularExpression::MultilineOption));
    EXPECT_EQ(run.out, QStringLiteral("topic: /index.html\ncaption: BMI-Trevala Help\n"
                                      "title: Welcome to BMI-Trevala\ntopics: %1\n")
                           .arg(pages));
}

TEST(ViewerProgram, CheckFailsCleanlyOnBadFiles) {
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.chm"));
    QFile out(junk);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(junkBytes(5000));
    out.close();
    for (const QString& request :
         {junk + QStringLiteral(">Main"), dir.filePath(QStringLiteral("absent.chm>Main")),
          dir.path() + QStringLiteral(">Main")}) {
        const ViewerRun run = startViewer({QStringLiteral("--check"), request});
        EXPECT_FALSE(run.crashed) << request.toStdString();
        EXPECT_EQ(run.exitCode, 1) << request.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("could not be opened")))
            << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    const ViewerRun noRequest = startViewer({QStringLiteral("--check")});
    EXPECT_FALSE(noRequest.crashed);
    EXPECT_EQ(noRequest.exitCode, 2);
}

// Damaged copies of our own file as a careless disk or a hostile sender makes them: bytes
// overwritten here and there, and now and then the end cut off. Each must end the check
// with its own verdict, never by a signal; a run that hangs is stopped and fails.
TEST(ViewerProgram, CheckEndsCleanlyOnMutatedCopies) {
    constexpr int kCopies = 500;
    constexpr int kAtOnce = 4;
    constexpr int kRunTimeoutMs = 30000; // generous: the machine may be busy
    const QByteArray good = helpBytes();
    ASSERT_FALSE(good.isEmpty());
    QTemporaryDir dir;
    std::uint32_t x = 20240917u;
    auto next = [&x] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    QStringList paths;
    for (int i = 0; i < kCopies; ++i) {
        QByteArray copy = good;
        const std::uint32_t changes = 1 + next() % 8;
        for (std::uint32_t c = 0; c < changes; ++c)
            copy[static_cast<qsizetype>(next() % copy.size())] = static_cast<char>(next());
        if (i % 4 == 3)
            copy.truncate(static_cast<qsizetype>(next() % copy.size()));
        paths.append(dir.filePath(QStringLiteral("copy%1.chm").arg(i)));
        QFile out(paths.back());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(copy);
    }

    int ok = 0;
    int refused = 0;
    for (qsizetype first = 0; first < paths.size(); first += kAtOnce) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (qsizetype i = first; i < std::min(first + kAtOnce, paths.size()); ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setStandardOutputFile(QProcess::nullDevice());
            runs.back()->setStandardErrorFile(QProcess::nullDevice());
            runs.back()->start(viewerPath(),
                               {QStringLiteral("--check"), paths[i] + QStringLiteral(">Main")});
        }
        for (std::size_t k = 0; k < runs.size(); ++k) {
            QProcess& run = *runs[k];
            const std::string name = paths[first + static_cast<qsizetype>(k)].toStdString();
            if (!run.waitForFinished(kRunTimeoutMs)) {
                ADD_FAILURE() << name << " did not end";
                run.kill();
                run.waitForFinished();
                continue;
            }
            EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << name << " ended by a signal";
            EXPECT_TRUE(run.exitCode() == 0 || run.exitCode() == 1)
                << name << " exit " << run.exitCode();
            ok += run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
            refused += run.exitStatus() == QProcess::NormalExit && run.exitCode() == 1;
        }
    }
    // Both verdicts occur, or the copies were not damaged the way they should be.
    EXPECT_GT(ok, 0);
    EXPECT_GT(refused, 0);
}

TEST(ViewerProgram, ErrorBoxShowsNamesAsWritten) {
    const auto box =
        errorBox(QStringLiteral("The help file \"<img src=/x>.chm\" could not be opened."));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(label->text().contains(QStringLiteral("<img src=/x>.chm")));
}

// ---- one viewer per file ------------------------------------------------------------

TEST(SingleViewer, NameDependsOnTheFileNotOnHowItIsWritten) {
    QTemporaryDir dir;
    QFile::copy(helpPath(), dir.filePath(QStringLiteral("a.chm")));
    QFile::copy(helpPath(), dir.filePath(QStringLiteral("b.chm")));
    const QString a = dir.filePath(QStringLiteral("a.chm"));
    EXPECT_EQ(InstanceGuard::serverName(a),
              InstanceGuard::serverName(dir.path() + QStringLiteral("/./x/../a.chm")));
    EXPECT_NE(InstanceGuard::serverName(a),
              InstanceGuard::serverName(dir.filePath(QStringLiteral("b.chm"))));
    EXPECT_LT(InstanceGuard::serverName(a).size(), 80);
}

TEST(SingleViewer, SecondAsksFirstToComeForward) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BMI-Trevala.chm"));
    ASSERT_TRUE(QFile::copy(helpPath(), path));

    InstanceGuard second(path);
    EXPECT_FALSE(second.notifyRunning()); // nobody there yet

    InstanceGuard first(path);
    ASSERT_TRUE(first.listen());
    // Nobody may listen on a name that is taken, not even with the same rights.
    EXPECT_FALSE(second.listen());
    QSignalSpy raised(&first, &InstanceGuard::raiseRequested);
    // Callers that say nothing, or something else, raise nothing and block no one.
    for (const QByteArray& said : {QByteArray(), QByteArray("rais"), QByteArray(4096, 'x')}) {
        QLocalSocket caller;
        caller.connectToServer(first.serverName());
        ASSERT_TRUE(caller.waitForConnected(10000));
        caller.write(said);
        caller.waitForBytesWritten(10000);
        caller.disconnectFromServer();
        QTest::qWait(20);
    }
    EXPECT_EQ(raised.count(), 0);
    EXPECT_TRUE(second.notifyRunning());
    EXPECT_TRUE(raised.wait(10000));
    EXPECT_EQ(raised.count(), 1);
}

TEST(SingleViewer, SecondProgramLeavesFirstStays) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BMI-Trevala.chm"));
    ASSERT_TRUE(QFile::copy(helpPath(), path));
    const QString request = path + QStringLiteral(">Main");

    QProcess first;
    first.start(viewerPath(), {request});
    ASSERT_TRUE(first.waitForStarted(30000));
    // Wait until the first viewer answers on its socket.
    bool listening = false;
    for (int i = 0; i < 300 && !listening && first.state() == QProcess::Running; ++i) {
        QLocalSocket probe;
        probe.connectToServer(InstanceGuard::serverName(path));
        listening = probe.waitForConnected(100);
        if (!listening)
            first.waitForFinished(100);
    }
    ASSERT_TRUE(listening) << QString::fromUtf8(first.readAllStandardError()).toStdString();

    const ViewerRun second = startViewer({request});
    EXPECT_FALSE(second.crashed);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // Told to end, it takes its socket and lock along.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(QFileInfo::exists(InstanceGuard::serverName(path)));
    EXPECT_FALSE(QFileInfo::exists(InstanceGuard::serverName(path) + QStringLiteral(".lock")));
}

// Started in the same instant, two viewers of one file end as one window: one hands over
// and leaves, the other stays.
TEST(SingleViewer, TwoStartedTogetherGiveOneWindow) {
    QTemporaryDir runtime; // made private (0700), as a session's runtime directory is
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BMI-Trevala.chm"));
    ASSERT_TRUE(QFile::copy(helpPath(), path));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (int round = 0; round < 2; ++round) {
        QProcess viewers[2];
        for (QProcess& viewer : viewers) {
            viewer.setProcessEnvironment(environment);
            viewer.start(viewerPath(), {path + QStringLiteral(">Main")});
        }
        for (QProcess& viewer : viewers)
            ASSERT_TRUE(viewer.waitForStarted(30000));
        QDeadlineTimer deadline(30000);
        // A process's end is noticed only while someone waits for it: take turns.
        for (int i = 0; viewers[0].state() == QProcess::Running &&
                        viewers[1].state() == QProcess::Running && !deadline.hasExpired();
             i = 1 - i)
            viewers[i].waitForFinished(25);
        QTest::qWait(1000); // a second one to leave would have left by now
        int running = 0;
        for (QProcess& viewer : viewers) {
            if (viewer.state() == QProcess::Running) {
                ++running;
            } else {
                EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
                EXPECT_EQ(viewer.exitCode(), 0);
            }
        }
        EXPECT_EQ(running, 1) << "round " << round;
        for (QProcess& viewer : viewers) {
            viewer.terminate();
            if (!viewer.waitForFinished(10000)) {
                viewer.kill();
                viewer.waitForFinished();
            }
        }
    }
}

// Another user's program listening at the name is never told anything, and the name is
// taken back from it.
TEST(SingleViewer, APlantedSocketIsNotTrusted) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can plant a socket as another user";
    QTemporaryDir runtime;
    const bool hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BMI-Trevala.chm"));
    ASSERT_TRUE(QFile::copy(helpPath(), path));
    const QByteArray name = QFile::encodeName(InstanceGuard::serverName(path));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(name.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));

    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t planter = ::fork();
    ASSERT_GE(planter, 0);
    if (planter == 0) {
        // Only system calls here: the test process has threads.
        ::alarm(30);
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (server < 0 ||
            ::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::syscall(SYS_setresgid, 65534, 65534, 65534) != 0 ||
            ::syscall(SYS_setresuid, 65534, 65534, 65534) != 0 || ::listen(server, 4) != 0)
            ::_exit(1);
        const char ready = 'r';
        [[maybe_unused]] auto w = ::write(report[1], &ready, 1);
        const int peer = ::accept(server, nullptr, nullptr);
        unsigned char received = 0;
        char buffer[64];
        ssize_t got = 0;
        while (peer >= 0 && (got = ::read(peer, buffer, sizeof buffer)) > 0)
            received = static_cast<unsigned char>(received + got);
        w = ::write(report[1], &received, 1);
        ::_exit(0);
    }
    ::close(report[1]);
    char ready = 0;
    ASSERT_EQ(::read(report[0], &ready, 1), 1);

    InstanceGuard guard(path);
    EXPECT_FALSE(guard.notifyRunning());
    unsigned char received = 0xFF;
    EXPECT_EQ(::read(report[0], &received, 1), 1);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(guard.listen());
    ::close(report[0]);
    int status = 0;
    ::waitpid(planter, &status, 0);
    if (hadRuntime)
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

} // namespace
