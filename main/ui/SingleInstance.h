// One running copy of the program per user: a second launch hands its folder over and exits.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    /// `name` is the local socket's name or full path.
    explicit SingleInstance(QString name, QObject* parent = nullptr);

    /// The socket in the user's runtime folder (private to the user), else one named per user.
    static QString defaultName();

    /// Gives `folder` (raw path bytes; empty to only bring the window forward) to a copy that is
    /// already running. False when none answers. Blocks for at most a few seconds.
    bool handOff(const QByteArray& folder) const;
    /// Becomes the running copy, replacing a socket left behind by one that crashed. False when
    /// the socket cannot be made.
    bool listen();
    /// Stops answering later launches, which then become the running copy themselves: for the
    /// end of the program, which a run saving its work may delay, or a thread stuck in a file
    /// system that never answers may keep from ever completing.
    void close();

Q_SIGNALS:
    /// A later launch handed over a folder (empty when it named none).
    void received(const QByteArray& folder);

private:
    QString name;
    QLocalServer* server = nullptr;
};
