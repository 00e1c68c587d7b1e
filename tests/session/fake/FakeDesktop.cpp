// A stand-in for the desktop's D-Bus services on a private bus, for the session tests: it
// claims the services named on its command line (login1, notifications, screensaver),
// answers as the real ones do and prints one line per request it receives:
//   ready
//   inhibit login1 WHAT WHO WHY MODE          release login1          (the lock's descriptor closed)
//   inhibit screensaver APP REASON COOKIE     release screensaver COOKIE
//   notify APP|SUMMARY|BODY|ACTIONS ID
//   launcher URI PROGRESS VISIBLE
//   sync
// Commands on standard input: "click ID" (the user clicks that notification).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QSocketNotifier>
#include <QStringList>
#include <QVariantMap>

#include <unistd.h>

#include <cstdio>

namespace {

void say(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QDBusConnection bus()
{
    return QDBusConnection::sessionBus();
}

} // namespace

class Login1 : public QObject {
    Q_OBJECT
public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode)
    {
        int ends[2];
        if (pipe(ends) != 0)
            return {};
        say(QStringLiteral("inhibit login1 %1 %2 %3 %4").arg(what, who, why, mode));
        // The caller holds the writing end; it reads as closed when every copy of it is.
        auto* watch = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
        connect(watch, &QSocketNotifier::activated, this, [watch, fd = ends[0]] {
            char byte;
            if (read(fd, &byte, 1) <= 0) {
                say(QStringLiteral("release login1"));
                watch->setEnabled(false);
                close(fd);
            }
        });
        QDBusUnixFileDescriptor handed(ends[1]);
        close(ends[1]);
        return handed;
    }
};

class ScreenSaver : public QObject, protected QDBusContext {
    Q_OBJECT
public Q_SLOTS:
    uint Inhibit(const QString& app, const QString& reason)
    {
        const uint cookie = ++last;
        say(QStringLiteral("inhibit screensaver %1 %2 %3").arg(app, reason).arg(cookie));
        // As the real service does: the lock ends when its holder leaves the bus.
        auto* watcher = new QDBusServiceWatcher(message().service(), connection(),
                                                QDBusServiceWatcher::WatchForUnregistration, this);
        connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this, cookie, watcher] {
            release(cookie);
            watcher->deleteLater();
        });
        held << cookie;
        return cookie;
    }
    void UnInhibit(uint cookie) { release(cookie); }

private:
    void release(uint cookie)
    {
        if (held.removeOne(cookie))
            say(QStringLiteral("release screensaver %1").arg(cookie));
    }
    uint last = 0;
    QList<uint> held;
};

class Notifications : public QObject {
    Q_OBJECT
public Q_SLOTS:
    uint Notify(const QString& app, uint replaces, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int)
    {
        const uint id = replaces != 0 ? replaces : ++last;
        say(QStringLiteral("notify %1|%2|%3|%4 %5").arg(app, summary, body, actions.join(QLatin1Char(','))).arg(id));
        return id;
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

private:
    uint last = 0;
};

class Recorder : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void Sync() { say(QStringLiteral("sync")); }
    void onLauncher(const QString& uri, const QVariantMap& properties)
    {
        say(QStringLiteral("launcher %1 %2 %3")
                .arg(uri)
                .arg(properties.value(QStringLiteral("progress")).toDouble())
                .arg(properties.value(QStringLiteral("progress-visible")).toBool() ? QStringLiteral("visible")
                                                                                   : QStringLiteral("hidden")));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // One command a line, read as it comes: a buffered stdin would keep the next line from the notifier.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    const QStringList services = app.arguments().mid(1);
    QDBusConnection connection = bus();
    if (!connection.isConnected())
        return 2;
    const auto claim = [&](const QString& name, const QString& path, const QString& interface, QObject* object) {
        connection.registerObject(path, interface, object, QDBusConnection::ExportAllSlots);
        if (!connection.registerService(name))
            std::exit(3);
    };
    Login1 login1;
    ScreenSaver saver;
    Notifications notifications;
    Recorder recorder;
    if (services.contains(QStringLiteral("login1")))
        claim(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
              QStringLiteral("org.freedesktop.login1.Manager"), &login1);
    if (services.contains(QStringLiteral("screensaver")))
        claim(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
              QStringLiteral("org.freedesktop.ScreenSaver"), &saver);
    if (services.contains(QStringLiteral("notifications")))
        claim(QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
              QStringLiteral("org.freedesktop.Notifications"), &notifications);
    claim(QStringLiteral("org.kestova.FakeDesktop"), QStringLiteral("/"), QStringLiteral("org.kestova.FakeDesktop"), &recorder);
    connection.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"),
                       &recorder, SLOT(onLauncher(QString, QVariantMap)));

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[256];
        if (!std::fgets(line, sizeof line, stdin)) {
            QCoreApplication::quit(); // the test has gone
            return;
        }
        const QStringList words = QString::fromUtf8(line).trimmed().split(QLatin1Char(' '));
        if (words.value(0) == QLatin1String("click")) {
            const uint id = words.value(1).toUInt();
            const QString path = QStringLiteral("/org/freedesktop/Notifications");
            const QString interface = QStringLiteral("org.freedesktop.Notifications");
            QDBusMessage token = QDBusMessage::createSignal(path, interface, QStringLiteral("ActivationToken"));
            token << id << QStringLiteral("fake-token");
            connection.send(token);
            QDBusMessage clicked = QDBusMessage::createSignal(path, interface, QStringLiteral("ActionInvoked"));
            clicked << id << QStringLiteral("default");
            connection.send(clicked);
            say(QStringLiteral("clicked %1").arg(id));
        }
    });
    say(QStringLiteral("ready"));
    return QCoreApplication::exec();
}

#include "FakeDesktop.moc"
