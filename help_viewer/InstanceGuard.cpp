#include "help_viewer/InstanceGuard.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace bmi::help {

namespace {

const QByteArray kRaiseMessage = QByteArrayLiteral("raise\n");
constexpr int kConnectWaitMs = 1000;
constexpr qint64 kMaxMessage = 64;

QString UserId() {
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

} // namespace

InstanceGuard::InstanceGuard(const QString& helpFilePath, QObject* parent)
    : QObject(parent), m_name(ServerName(helpFilePath)) {}

QString InstanceGuard::ServerName(const QString& helpFilePath) {
    const QFileInfo info(helpFilePath);
    QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        canonical = info.absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash((UserId() + QLatin1Char('\n') + canonical).toUtf8(),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(24);
    // Short: on Unix the name becomes a socket path, and those are limited to ~100 bytes.
    return QStringLiteral("bmi-trevala-help-%1-%2").arg(UserId(), QString::fromLatin1(hash));
}

bool InstanceGuard::notifyRunning() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
    socket.write(kRaiseMessage);
    const bool sent = socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    return sent;
}

bool InstanceGuard::listen() {
    if (m_server)
        return m_server->isListening();
    m_server = new QLocalServer(this);
    // Only this user's programs may ask us to come to the front.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceGuard::acceptConnections);
    if (m_server->listen(m_name))
        return true;
    // Either a viewer started just now, or one that died left its socket behind. Only
    // the leftover may be removed.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(kConnectWaitMs))
        return false;
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

void InstanceGuard::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto readMessage = [this, socket] {
            if (socket->bytesAvailable() < kRaiseMessage.size())
                return;
            // Anything else is ignored: only the one message exists.
            if (socket->read(kMaxMessage).startsWith(kRaiseMessage))
                emit raiseRequested();
            socket->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, readMessage);
        readMessage();
    }
}

} // namespace bmi::help
