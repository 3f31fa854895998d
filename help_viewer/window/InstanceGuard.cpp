#include "window/InstanceGuard.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>

namespace bmi::help {

namespace {

const QByteArray kRaiseMessage = QByteArrayLiteral("raise\n");
constexpr int kConnectWaitMs = 1000;
constexpr qsizetype kMaxMessage = 64;
// How long a viewer that lost the lock waits for the winner's socket: the winner takes
// the lock first thing and listens right after.
constexpr int kHolderWaitMs = 5000;
constexpr int kPollMs = 50;
constexpr int kBacklog = 16;

// A directory only we can enter: ours, not a link, no access for group or others.
bool isPrivateDirectory(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return false;
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// True when the process at the other end of the connected socket runs as this user.
bool peerIsThisUser(int fd) {
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials)
        return false;
    return credentials.uid == ::geteuid();
}

// The socket's address; false when the name does not fit one.
bool addressOf(const QString& name, sockaddr_un& address) {
    const QByteArray path = QFile::encodeName(name);
    address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

// A socket connected to the name, or -1. Waits at most waitMs when the listener is slow
// to accept.
int connectTo(const QString& name, int waitMs) {
    sockaddr_un address;
    if (!addressOf(name, address))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const timeval wait{waitMs / 1000, (waitMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

InstanceGuard::InstanceGuard(const QString& helpFilePath, QObject* parent)
    : QObject(parent), m_name(serverName(helpFilePath)) {}

InstanceGuard::~InstanceGuard() {
    // The socket goes before the lock: closing removes the socket file, which once the
    // lock is free could already be the next viewer's.
    stopListening();
    m_lock.reset();
}

QString InstanceGuard::channelDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateDirectory(runtime))
        return runtime;
    const QString own =
        QDir::tempPath() + QStringLiteral("/bmi-trevala-%1").arg(QString::number(::geteuid()));
    // Made private from the start; one that someone else made first is not used.
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateDirectory(own) ? own : QString();
}

QString InstanceGuard::serverName(const QString& helpFilePath) {
    const QString directory = channelDirectory();
    if (directory.isEmpty())
        return {};
    const QFileInfo info(helpFilePath);
    QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        canonical = info.absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    // Short: socket paths are limited to ~100 bytes.
    return directory + QStringLiteral("/bmi-trevala-help-") + QString::fromLatin1(hash);
}

bool InstanceGuard::notifyRunning() {
    if (m_name.isEmpty())
        return false;
    const int fd = connectTo(m_name, kConnectWaitMs);
    if (fd < 0)
        return false;
    bool sent = false;
    if (peerIsThisUser(fd)) {
        const ssize_t n = ::send(fd, kRaiseMessage.constData(),
                                 static_cast<std::size_t>(kRaiseMessage.size()), MSG_NOSIGNAL);
        sent = n == kRaiseMessage.size();
    }
    ::close(fd);
    return sent;
}

bool InstanceGuard::listen() {
    if (m_listener >= 0)
        return true;
    if (m_name.isEmpty())
        return false;
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(m_name + QStringLiteral(".lock"));
        // Held for the viewer's whole life, however long: only a holder that is gone
        // leaves a stale lock, and that is seen from its process id.
        m_lock->setStaleLockTime(0);
    }
    const QDeadlineTimer deadline(kHolderWaitMs);
    while (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError || deadline.hasExpired())
            return false;
        // Another viewer holds the channel; once its socket answers, it is the one to ask.
        if (const int probe = connectTo(m_name, kPollMs); probe >= 0) {
            ::close(probe);
            return false;
        }
        QThread::msleep(kPollMs);
    }
    sockaddr_un address;
    const int fd = addressOf(m_name, address)
                       ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)
                       : -1;
    if (fd >= 0) {
        // The lock is ours, so whatever is at the name was left by a viewer that is gone.
        ::unlink(address.sun_path);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(fd, kBacklog) == 0) {
            m_listener = fd;
            m_listening = new QSocketNotifier(fd, QSocketNotifier::Read, this);
            connect(m_listening, &QSocketNotifier::activated, this,
                    &InstanceGuard::acceptConnections);
            return true;
        }
        ::close(fd);
    }
    m_lock->unlock();
    return false;
}

void InstanceGuard::stopListening() {
    while (!m_connections.empty())
        closeConnection(m_connections.begin()->first);
    if (m_listener < 0)
        return;
    delete m_listening;
    m_listening = nullptr;
    ::close(m_listener);
    m_listener = -1;
    ::unlink(QFile::encodeName(m_name).constData());
}

void InstanceGuard::acceptConnections() {
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
            // Out of descriptors: the caller waits in the queue rather than the viewer
            // spinning on a socket that stays readable.
            m_listening->setEnabled(false);
            QTimer::singleShot(kPollMs, this, [this] {
                if (m_listening)
                    m_listening->setEnabled(true);
            });
            return;
        }
        if (fd < 0)
            return; // nothing more waiting, or the peer gave up meanwhile
        if (!peerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        m_connections.emplace(fd, Connection{notifier, {}});
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { readFrom(fd); });
        readFrom(fd);
    }
}

void InstanceGuard::readFrom(int fd) {
    const auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    QByteArray& received = found->second.received;
    char buffer[kMaxMessage];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            received.append(buffer, std::min<qsizetype>(n, kMaxMessage - received.size()));
            if (received.size() < kRaiseMessage.size())
                continue;
            // Anything else is ignored: only the one message exists.
            const bool raise = received.startsWith(kRaiseMessage);
            closeConnection(fd);
            if (raise)
                emit raiseRequested();
            return;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;          // the rest comes later
        closeConnection(fd); // the peer left, or the connection failed
        return;
    }
}

void InstanceGuard::closeConnection(int fd) {
    const auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    // Deleted later: this may run inside the notifier's own signal.
    found->second.notifier->setEnabled(false);
    found->second.notifier->deleteLater();
    ::close(fd);
    m_connections.erase(found);
}

} // namespace bmi::help
