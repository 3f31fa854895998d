#include "help_viewer/InstanceGuard.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace bmi::help {

namespace {

const QByteArray kRaiseMessage = QByteArrayLiteral("raise\n");
constexpr int kConnectWaitMs = 1000;
constexpr qint64 kMaxMessage = 64;
// How long a viewer that lost the lock waits for the winner's socket: the winner takes
// the lock first thing and listens right after.
constexpr int kHolderWaitMs = 5000;
constexpr int kPollMs = 50;

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
bool peerIsThisUser(const QLocalSocket& socket) {
    const qintptr fd = socket.socketDescriptor();
    if (fd < 0)
        return false;
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials)
        return false;
    return credentials.uid == ::geteuid();
}

} // namespace

InstanceGuard::InstanceGuard(const QString& helpFilePath, QObject* parent)
    : QObject(parent), m_name(serverName(helpFilePath)) {}

InstanceGuard::~InstanceGuard() {
    // The socket goes before the lock: closing removes the socket file, which once the
    // lock is free could already be the next viewer's.
    delete m_server;
    m_server = nullptr;
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
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
    if (!peerIsThisUser(socket)) {
        socket.abort();
        return false;
    }
    socket.write(kRaiseMessage);
    const bool sent = socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    return sent;
}

bool InstanceGuard::listen() {
    if (m_server)
        return m_server->isListening();
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
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(kPollMs))
            return false;
        QThread::msleep(kPollMs);
    }
    // The lock is ours, so whatever is at the name was left by a viewer that is gone.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceGuard::acceptConnections);
    if (m_server->listen(m_name))
        return true;
    delete m_server;
    m_server = nullptr;
    m_lock->unlock();
    return false;
}

void InstanceGuard::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto readMessage = [this, socket] {
            if (socket->bytesAvailable() < kRaiseMessage.size())
                return;
            // Anything else is ignored: only the one message exists.
            if (socket->read(kMaxMessage).startsWith(kRaiseMessage))
                emit raiseRequested();
            socket->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, this, readMessage);
        readMessage();
    }
}

} // namespace bmi::help
