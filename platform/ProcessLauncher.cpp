#include "platform/ProcessLauncher.h"
#include "platform/QtPlatform.h"

#include <QtGlobal>

#include <cstdint>

namespace bmi {
namespace {
// Results in the shell's numbering that every desktop can give.
constexpr std::int32_t kStarted = 42;
constexpr std::int32_t kNoAssociation = 31;
} // namespace
} // namespace bmi

#if defined(Q_OS_UNIX)

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// Opening an address means running xdg-open with the address as its one argument. The
// argument vector goes straight to the new process, never through a shell, so nothing in
// the address is interpreted on the way.
//
// On most desktops xdg-open hands the address over and exits at once, and its exit status
// is the only news we get of a failure. On some it runs the browser in the foreground and
// returns only when the browser closes. So we wait for its verdict for one second at most
// (the window does not react meanwhile, as it would not during any shell call) and count a
// launch that is still running then as started.
//
// Such a child must still be reaped when it ends, and must never be killed by us: it may
// be the very browser the user is reading. QProcess cannot promise the second, because its
// destructor kills a child that still runs, and QProcess::startDetached gives no exit
// status. So the child is spawned directly, and a detached thread sits in waitpid() for it
// from the start. The caller waits for that thread's report with a timeout and may stop
// listening; the thread lives on until the child ends and reaps it then. If the program
// ends first, the thread ends with it and the child passes to init, which reaps it; nothing
// is killed on the way out.
//
// The child starts in a session of its own, so a hang-up or Ctrl+C aimed at our terminal
// does not reach the browser, with default signal handling, an empty signal mask, and none
// of our descriptors beyond the standard three. The help viewer is started the same way
// (startProgram), without waiting for any verdict.
//
// The outcome in the shell's numbering, where anything above 32 means started:
//   xdg-open exited 0, or still runs after the wait      42
//   xdg-open is not on PATH                               2  file not found
//   exit 1, bad arguments                                27  incomplete association
//   exit 2, the address names a file that does not exist  2  file not found
//   exit 3, no tool or no handler for the address        31  no association
//   exit 4, the handler failed                           29  the request failed
//   any other exit status, or killed by a signal         31  no association
//   the start failed, by errno: ENOENT                    2  file not found
//                               EACCES                    5  access denied
//                               ENOMEM                    8  out of memory
//                               anything else             0  out of resources
//   an address holding a NUL, which no argument can carry 2  file not found
//   an address beginning with "-", which xdg-open would
//   take for an option                                    2  file not found
// The browser makes and places its own window, so no window of ours is involved.

namespace bmi {

namespace {

constexpr std::int32_t kOutOfResources = 0;
constexpr std::int32_t kFileNotFound = 2;
constexpr std::int32_t kAccessDenied = 5;
constexpr std::int32_t kOutOfMemory = 8;
constexpr std::int32_t kBadArguments = 27;
constexpr std::int32_t kRequestFailed = 29;

constexpr std::chrono::milliseconds kVerdictWait{1000};

std::int32_t fromErrno(int error) {
    switch (error) {
    case ENOENT:
        return kFileNotFound;
    case EACCES:
        return kAccessDenied;
    case ENOMEM:
        return kOutOfMemory;
    default:
        return kOutOfResources;
    }
}

std::int32_t fromWaitStatus(int status) {
    if (!WIFEXITED(status))
        return kNoAssociation;
    switch (WEXITSTATUS(status)) {
    case 0:
        return kStarted;
    case 1:
        return kBadArguments;
    case 2:
        return kFileNotFound;
    case 3:
        return kNoAssociation;
    case 4:
        return kRequestFailed;
    default:
        return kNoAssociation;
    }
}

// One child as its reaper sees it; shared so that either side may finish first.
struct ChildWatch {
    std::mutex mutex;
    std::condition_variable changed;
    pid_t pid = 0;          // set once the child exists
    bool abandoned = false; // no child is coming
    bool ended = false;
    bool statusKnown = false; // false when someone else reaped it (SIGCHLD ignored)
    int status = 0;
};

void reap(const std::shared_ptr<ChildWatch>& watch) {
    pid_t pid = 0;
    {
        std::unique_lock lock(watch->mutex);
        watch->changed.wait(lock, [&] { return watch->pid != 0 || watch->abandoned; });
        if (watch->abandoned)
            return;
        pid = watch->pid;
    }
    int status = 0;
    pid_t reaped = 0;
    do {
        reaped = ::waitpid(pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    {
        std::lock_guard lock(watch->mutex);
        watch->ended = true;
        watch->statusKnown = reaped == pid;
        watch->status = status;
    }
    watch->changed.notify_all();
}

// Starts program with its one argument in directory (ours when empty), clean as told
// above. Returns 0 or the errno of the failure.
int spawn(const QByteArray& program, const QByteArray& argument, const QByteArray& directory,
          pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    int error = posix_spawn_file_actions_init(&actions);
    if (error != 0)
        return error;
    error = posix_spawnattr_init(&attributes);
    if (error != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return error;
    }
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    error = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF |
                                                      POSIX_SPAWN_SETSIGMASK);
    if (error == 0)
        error = posix_spawnattr_setsigdefault(&attributes, &all);
    if (error == 0)
        error = posix_spawnattr_setsigmask(&attributes, &none);
    if (error == 0 && !directory.isEmpty())
        error = posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    if (error == 0)
        error = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    if (error == 0) {
        char* argv[] = {const_cast<char*>(program.constData()),
                        const_cast<char*>(argument.constData()), nullptr};
        error = posix_spawn(&pid, program.constData(), &actions, &attributes, argv, environ);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

// spawn() with a reaper: the child is reaped whenever it ends, whether or not anyone waits
// for it. Returns 0 and the child's watch, or the errno of the failure.
int spawnWatched(const QByteArray& program, const QByteArray& argument, const QByteArray& directory,
                 std::shared_ptr<ChildWatch>& watch) {
    // The reaper first: a child without one would become a zombie.
    watch = std::make_shared<ChildWatch>();
    try {
        std::thread(reap, watch).detach();
    } catch (const std::system_error& e) {
        return e.code().value() != 0 ? e.code().value() : EAGAIN;
    }
    pid_t pid = 0;
    const int error = spawn(program, argument, directory, pid);
    {
        std::lock_guard lock(watch->mutex);
        if (error != 0)
            watch->abandoned = true;
        else
            watch->pid = pid;
    }
    watch->changed.notify_all();
    return error;
}

} // namespace

int startProgram(const QString& program, const QString& argument, const QString& directory) {
    if (argument.contains(QChar(u'\0')) || program.contains(QChar(u'\0')) ||
        directory.contains(QChar(u'\0')))
        return EINVAL;
    std::shared_ptr<ChildWatch> watch;
    return spawnWatched(QFile::encodeName(program), QFile::encodeName(argument),
                        QFile::encodeName(directory), watch);
}

std::int32_t openAddress(const QString& address, const QString& directory) {
    // An argument cannot hold a NUL; cut short it would name another address. One that
    // begins with "-" would reach xdg-open as an option, and "--version" succeeds.
    if (address.contains(QChar(u'\0')) || address.startsWith(QLatin1Char('-')))
        return kFileNotFound;
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty())
        return kFileNotFound;

    std::shared_ptr<ChildWatch> watch;
    const int error = spawnWatched(QFile::encodeName(xdgOpen), address.toLocal8Bit(),
                                   QFile::encodeName(directory), watch);
    if (error != 0)
        return fromErrno(error);

    std::unique_lock lock(watch->mutex);
    if (!watch->changed.wait_for(lock, kVerdictWait, [&] { return watch->ended; }))
        return kStarted; // still running: the reaper stays with it
    if (!watch->statusKnown)
        return kStarted; // ended, but its status went elsewhere: no news of a failure
    return fromWaitStatus(watch->status);
}

} // namespace bmi

#else // not Q_OS_UNIX

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include <cerrno>

namespace bmi {

int startProgram(const QString& program, const QString& argument, const QString& directory) {
    return QProcess::startDetached(program, {argument}, directory) ? 0 : EIO;
}

// Without xdg-open the desktop's own opener is all there is; it reports no reason.
std::int32_t openAddress(const QString& address, const QString& /*directory*/) {
    return QDesktopServices::openUrl(QUrl(address)) ? kStarted : kNoAssociation;
}

} // namespace bmi

#endif
