#pragma once
// One viewer per help file and user: the first viewer listens on a local socket named
// after the file; a later one asks it to come to the front and leaves.

#include <QObject>
#include <QString>

class QLocalServer;

namespace bmi::help {

class InstanceGuard : public QObject {
    Q_OBJECT
public:
    explicit InstanceGuard(const QString& helpFilePath, QObject* parent = nullptr);

    // The socket name for a help file: a hash of its canonical path and the user.
    static QString ServerName(const QString& helpFilePath);

    const QString& serverName() const { return m_name; }

    // Asks a running viewer of the same file to come to the front. True when one took
    // the message.
    bool notifyRunning();

    // Starts answering later viewers. False when another viewer of the file started
    // listening first (ask it with notifyRunning), or when the socket cannot be set up;
    // the viewer then runs on its own.
    bool listen();

signals:
    void raiseRequested();

private:
    void acceptConnections();

    QString m_name;
    QLocalServer* m_server = nullptr;
};

} // namespace bmi::help
