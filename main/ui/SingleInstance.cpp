// The local socket between a running copy and a later launch.
#include "ui/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace {

/// A path is at most a few kilobytes; anything longer is not from our own program.
constexpr qint64 messageLimit = 64 * 1024;
constexpr int waitMs = 3000;

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name(std::move(name)) {}

QString SingleInstance::defaultName()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/kestova.socket");
    return QStringLiteral("kestova-") + QString::number(getuid());
}

bool SingleInstance::handOff(const QByteArray& folder) const
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(waitMs))
        return false;
    socket.write(folder);
    if (!socket.waitForBytesWritten(waitMs) && socket.bytesToWrite() > 0)
        return false;
    // Closing the connection ends the message.
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(waitMs);
    return true;
}

bool SingleInstance::listen()
{
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        // Nobody answered on it a moment ago, so the socket is a leftover.
        QLocalServer::removeServer(name);
        if (!server->listen(name))
            return false;
    }
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            auto* message = new QByteArray;
            connect(socket, &QLocalSocket::readyRead, socket, [socket, message] {
                message->append(socket->readAll());
                if (message->size() > messageLimit)
                    socket->abort();
            });
            connect(socket, &QLocalSocket::disconnected, this, [this, socket, message] {
                message->append(socket->readAll());
                const QByteArray folder = message->size() > messageLimit ? QByteArray() : *message;
                delete message;
                socket->deleteLater();
                Q_EMIT received(folder);
            });
        }
    });
    return true;
}

void SingleInstance::close()
{
    if (!server)
        return;
    // Also removes the socket's file, so that the next launch need not wait to find it dead.
    server->close();
    delete server;
    server = nullptr;
}
