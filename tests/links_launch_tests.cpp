// The real launches: xdg-open for web pages and the help viewer for Help, each replaced
// by a fake program that records how it was started.
#include "platform/ProcessLauncher.h"
#include "platform/QtPlatform.h"
#include "tests/support/GuiTest.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace bmi::test {
namespace {

// Waits (bounded, generously) for something another process does.
bool waitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(20000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

void writeProgram(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup |
                        QFile::ExeOther);
}

// A shell script line that records how the script was started into record: the number
// of arguments, the working directory and the first argument as it arrived.
QByteArray recordStart(const QString& record) {
    const QByteArray r = QFile::encodeName(record);
    return "{ echo \"$#\"; pwd -P; printf '%s' \"$1\"; } > '" + r + ".tmp' && mv '" + r +
           ".tmp' '" + r + "'\n";
}

struct Started {
    int argc = -1;
    QString cwd;
    QString argument;
};

Started readStart(const QString& record) {
    QFile file(record);
    Started s;
    if (!file.open(QIODevice::ReadOnly))
        return s;
    s.argc = file.readLine().trimmed().toInt();
    QByteArray cwd = file.readLine();
    if (cwd.endsWith('\n'))
        cwd.chop(1);
    s.cwd = QString::fromLocal8Bit(cwd);
    s.argument = QString::fromLocal8Bit(file.readAll());
    return s;
}

// State letter of a process from /proc, 0 when it is gone (reaped).
char processState(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() ? text.at(close + 2) : 0;
}

std::vector<qint64> zombieChildren() {
    std::vector<qint64> zombies;
    const QString me = QString::number(::getpid());
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest[0] == "Z" && rest[1] == me.toLatin1())
            zombies.push_back(pid);
    }
    return zombies;
}

// ---- Web pages through xdg-open ---------------------------------------------------

class RealShell : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_bin.isValid() && m_work.isValid());
        m_savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_bin.path()) + ':' + m_savedPath);
        m_record = m_bin.filePath(QStringLiteral("started"));
    }
    void TearDown() override { qputenv("PATH", m_savedPath); }

    QString file(const char* name) const { return m_bin.filePath(QLatin1String(name)); }
    void fakeXdgOpen(const QByteArray& body) {
        writeProgram(file("xdg-open"), "#!/bin/sh\n" + recordStart(m_record) + body + '\n');
    }
    std::int32_t open(const QString& address, const QString& directory = {}) {
        return openAddress(address, directory.isNull() ? m_work.path() : directory);
    }
    Started start() const { return readStart(m_record); }

    QTemporaryDir m_bin;
    QTemporaryDir m_work;
    QByteArray m_savedPath;
    QString m_record;
    QtPlatform m_platform;
};

struct ExitRow {
    const char* body;
    std::int32_t result;
};

void PrintTo(const ExitRow& row, std::ostream* os) {
    *os << row.body;
}

class XdgOpenOutcome : public RealShell, public ::testing::WithParamInterface<ExitRow> {};

TEST_P(XdgOpenOutcome, MapsToTheShellNumbering) {
    fakeXdgOpen(GetParam().body);
    EXPECT_EQ(open(QStringLiteral("https://www.trevala.example/bmi_index.html")),
              GetParam().result);
    EXPECT_EQ(start().argc, 1);
}

INSTANTIATE_TEST_SUITE_P(ExitStatus, XdgOpenOutcome,
                         ::testing::Values(ExitRow{"exit 0", 42}, ExitRow{"exit 1", 27},
                                           ExitRow{"exit 2", 2}, ExitRow{"exit 3", 31},
                                           ExitRow{"exit 4", 29}, ExitRow{"exit 9", 31},
                                           ExitRow{"kill -KILL $$", 31}));

TEST_F(RealShell, AddressArrivesWholeAsOneArgumentInTheGivenDirectory) {
    fakeXdgOpen("exit 0");
    const QString planted = m_work.filePath(QStringLiteral("planted"));
    const QString address =
        QStringLiteral("https://www.trevala.example/a b?q=\"x\"&r='y';touch %1;$(touch %1)`touch "
                       "%1`|touch %1 ${HOME} \\ *")
            .arg(planted);
    EXPECT_EQ(open(address), 42);
    const Started s = start();
    EXPECT_EQ(s.argc, 1);
    EXPECT_EQ(s.argument, address);
    EXPECT_EQ(s.cwd, QFileInfo(m_work.path()).canonicalFilePath());
    EXPECT_FALSE(QFileInfo::exists(planted));
}

TEST_F(RealShell, AWebPageOpensInTheProgramsDirectory) {
    fakeXdgOpen("exit 0");
    EXPECT_EQ(m_platform.openInBrowser(QStringLiteral("https://www.trevala.example/")), 42);
    EXPECT_EQ(start().cwd, QFileInfo(m_platform.appPath()).canonicalFilePath());
}

TEST_F(RealShell, AnAddressNoArgumentCanCarryOrThatReadsAsAnOptionIsRefused) {
    fakeXdgOpen("exit 0");
    for (const QString& address :
         {QStringLiteral("https://www.trevala.example/a") + QChar(u'\0') + QStringLiteral("b"),
          QStringLiteral("--version"), QStringLiteral("-https://www.trevala.example/")}) {
        EXPECT_EQ(open(address), 2) << address.toStdString();
        EXPECT_FALSE(QFileInfo::exists(m_record)) << address.toStdString();
    }
}

TEST_F(RealShell, MissingXdgOpenIsFileNotFound) {
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    EXPECT_EQ(open(QStringLiteral("https://www.trevala.example/")), 2);
}

TEST_F(RealShell, StartFailuresMapFromTheirCause) {
    const struct {
        const char* name;
        QByteArray program;
        QString directory;
        std::int32_t result;
    } rows[] = {
        {"missing interpreter", "#!/nonexistent/sh\nexit 0\n", {}, 2},
        {"not a program", QByteArrayLiteral("\177ELF garbage\n"), {}, 0},
        {"missing directory", "#!/bin/sh\nexit 0\n", m_work.filePath(QStringLiteral("gone")), 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeProgram(file("xdg-open"), row.program);
        EXPECT_EQ(open(QStringLiteral("https://www.trevala.example/"), row.directory), row.result);
    }
    EXPECT_TRUE(zombieChildren().empty());
}

TEST_F(RealShell, ABlockingXdgOpenCountsAsStartedIsNotKilledAndIsReapedWhenItEnds) {
    const QString pidFile = file("pid");
    const QString release = file("release");
    const QString done = file("done");
    // Blocks like an opener that keeps the browser in the foreground, until released.
    fakeXdgOpen("echo $$ > '" + QFile::encodeName(pidFile) +
                "'\n"
                "i=0\n"
                "while [ ! -e '" +
                QFile::encodeName(release) +
                "' ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n"
                "touch '" +
                QFile::encodeName(done) + "'\n");
    EXPECT_EQ(open(QStringLiteral("https://www.trevala.example/trevala_index.html")), 42);
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(pidFile).size() > 0; }));
    QFile pidText(pidFile);
    ASSERT_TRUE(pidText.open(QIODevice::ReadOnly));
    const qint64 pid = pidText.readAll().trimmed().toLongLong();
    ASSERT_GT(pid, 0);

    EXPECT_NE(processState(pid), 0);
    EXPECT_NE(processState(pid), 'Z');
    EXPECT_FALSE(QFileInfo::exists(done));

    writeProgram(release, {});
    EXPECT_TRUE(waitUntil([&] { return processState(pid) == 0; })) << "still " << processState(pid);
    EXPECT_TRUE(QFileInfo::exists(done)); // it ended by itself
    EXPECT_TRUE(zombieChildren().empty());
}

// ---- Help viewer ------------------------------------------------------------------

class HelpViewerLaunch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_app.isValid()); }
    QString viewer() const { return m_app.filePath(QStringLiteral("BMI-Trevala-help")); }
    QString recordFile() const { return m_app.filePath(QStringLiteral("started")); }
    QTemporaryDir m_app;
};

// Only a viewer that can't be found is "file not found", which the user is told about;
// one that is there but can't run is another failure, which the program keeps quiet.
TEST_F(HelpViewerLaunch, OnlyAMissingViewerIsFileNotFound) {
    const auto launch = [&] { return launchHelpViewer(m_app.path(), QStringLiteral("x>Main")); };
    const auto otherFailure = [](int error) { return error != 0 && error != 53; };
    EXPECT_EQ(launch(), 53);
    ASSERT_TRUE(QFile::link(m_app.filePath(QStringLiteral("gone")), viewer()));
    EXPECT_EQ(launch(), 53);
    ASSERT_TRUE(QFile::remove(viewer()));

    writeProgram(viewer(), "#!/nonexistent/sh\n");
    EXPECT_PRED1(otherFailure, launch());
    ASSERT_TRUE(QFile::setPermissions(viewer(), QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_PRED1(otherFailure, launch());
    ASSERT_TRUE(QFile::remove(viewer()));
    ASSERT_TRUE(QDir(m_app.path()).mkdir(QStringLiteral("BMI-Trevala-help")));
    EXPECT_PRED1(otherFailure, launch());
}

TEST_F(HelpViewerLaunch, TheRequestIsTheViewersOnlyArgument) {
    writeProgram(viewer(), "#!/bin/sh\n" + recordStart(recordFile()));
    const QString request = m_app.path() + QStringLiteral("/BMI-Trevala.chm>Main; $(false) 'a b'");
    EXPECT_EQ(launchHelpViewer(m_app.path(), request), 0);
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(recordFile()); }));
    const Started s = readStart(recordFile());
    EXPECT_EQ(s.argc, 1);
    EXPECT_EQ(s.argument, request);
    EXPECT_EQ(s.cwd, QFileInfo(m_app.path()).canonicalFilePath());
}

// Whatever the program inherited stays with it: the viewer gets no descriptor beyond the
// standard three, no ignored or blocked signal, and a session of its own.
TEST_F(HelpViewerLaunch, TheViewerStartsClean) {
    const int planted = ::open("/dev/null", O_RDONLY); // inheritable, as one we were given
    ASSERT_GE(planted, 3);
    writeProgram(viewer(), "#!/bin/sh\n"
                           "{ [ -e /proc/$$/fd/" +
                               QByteArray::number(planted) +
                               " ] && echo inherited-fd\n"
                               // The shell reads its own status itself: a child would
                               // read it while the shell waits with its signals blocked.
                               "  while read -r key value; do case $key in SigIgn:|SigBlk:)"
                               " printf '%s\\t%s\\n' \"$key\" \"$value\";; esac;"
                               " done < /proc/$$/status\n"
                               "  [ \"$(cut -d' ' -f6 /proc/$$/stat)\" = \"$$\" ] || echo "
                               "caller-session\n"
                               "} > '" +
                               QFile::encodeName(recordFile()) + ".tmp' && mv '" +
                               QFile::encodeName(recordFile()) + ".tmp' '" +
                               QFile::encodeName(recordFile()) + "'\n");
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction oldHup {};
    ::sigaction(SIGHUP, &ignore, &oldHup);
    sigset_t blocked;
    sigset_t oldMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR2);
    ::pthread_sigmask(SIG_BLOCK, &blocked, &oldMask);
    const int result = launchHelpViewer(m_app.path(), QStringLiteral("x>Main"));
    ::pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    ::sigaction(SIGHUP, &oldHup, nullptr);
    ::close(planted);

    EXPECT_EQ(result, 0);
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(recordFile()); }));
    QFile record(recordFile());
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    // Signal sets as 64 bits in hex, bit n-1 for signal n. Signals 1 to 31 are ours to
    // hand on; the C library keeps the next two for itself and sets them up anew in every
    // program it starts.
    const QString text = QString::fromLatin1(record.readAll());
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << text.toStdString();
    for (const QString& line : lines) {
        bool ok = false;
        const qulonglong set = line.section(QLatin1Char('\t'), 1).toULongLong(&ok, 16);
        EXPECT_TRUE(ok && (set & 0x7FFFFFFFu) == 0) << line.toStdString();
    }
}

} // namespace
} // namespace bmi::test
