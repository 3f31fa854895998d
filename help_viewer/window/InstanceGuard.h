#pragma once
// One viewer per help file and user: the first viewer listens on a local socket named
// after the file; a later one asks it to come to the front and leaves.
//
// The socket and a lock file beside it live in a directory only this user can enter
// ($XDG_RUNTIME_DIR, else one of our own in the temporary directory), so no other user
// can take the name first. The lock decides which of two viewers started together
// listens; the other waits for its socket. A peer is believed only when the system
// says it runs as this user.

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSocketNotifier;

namespace bmi::help {

class InstanceGuard : public QObject {
    Q_OBJECT
public:
    explicit InstanceGuard(const QString& helpFilePath, QObject* parent = nullptr);
    ~InstanceGuard() override;

    // The directory for the channel: $XDG_RUNTIME_DIR when it is this user's alone, else
    // a directory of ours in the temporary directory, made if need be. Empty when
    // neither can be trusted; there is no channel then and every viewer runs on its own.
    static QString channelDirectory();

    // The socket path for a help file: a hash of its canonical path in the channel
    // directory. Empty when there is no channel directory.
    static QString serverName(const QString& helpFilePath);

    const QString& serverName() const { return m_name; }

    // Asks a running viewer of the same file to come to the front. True when one that
    // runs as this user took the message.
    bool notifyRunning();

    // Starts answering later viewers. False when another viewer of the file holds the
    // channel (ask it with notifyRunning), or when the channel cannot be set up; the
    // viewer then runs on its own.
    bool listen();

signals:
    void raiseRequested();

private:
    void acceptConnections();
    void readFrom(int fd);
    void closeConnection(int fd);
    void stopListening();

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    // Plain local sockets: the viewer needs no more than this, and Qt's network
    // library would cost every start-up a dozen more libraries to load.
    int m_listener = -1;
    QSocketNotifier* m_listening = nullptr;
    struct Connection {
        QSocketNotifier* notifier;
        QByteArray received;
    };
    std::map<int, Connection> m_connections;
};

} // namespace bmi::help
