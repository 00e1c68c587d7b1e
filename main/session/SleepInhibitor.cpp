// Asking logind, the portal, GNOME or the screen saver to hold off sleep.
#include "session/SleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QVariantMap>

namespace {

constexpr int answerWithin = 1000; // ms; a service that takes longer is skipped

const QString appName = QStringLiteral("Kestova");

/// The reply's first value, or nothing when the call failed or the bus is not there.
QVariant ask(const QDBusConnection& bus, QDBusMessage call)
{
    if (!bus.isConnected())
        return {};
    const QDBusMessage reply = bus.call(call, QDBus::Block, answerWithin);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst();
}

QDBusMessage method(const QString& service, const QString& path, const QString& interface, const QString& name,
                    const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, name);
    call.setArguments(arguments);
    return call;
}

} // namespace

SleepInhibitor::SleepInhibitor(const QString& reason)
{
    // logind's lock covers suspend from every source (lid, idle timer, menu) on every desktop.
    const QVariant fd = ask(QDBusConnection::systemBus(),
                            method(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                                   QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"),
                                   {QStringLiteral("sleep:idle"), appName, reason, QStringLiteral("block")}));
    if (fd.canConvert<QDBusUnixFileDescriptor>()) {
        lock = fd.value<QDBusUnixFileDescriptor>();
        if (lock.isValid()) {
            _holder = QStringLiteral("login1");
            return;
        }
    }

    QDBusConnection session = QDBusConnection::sessionBus();
    // Suspend (4) and idle (8), as a sandboxed or Wayland desktop offers them.
    const QVariant request =
        ask(session, method(QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
                            QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"),
                            {QString(), 4u | 8u, QVariantMap{{QStringLiteral("reason"), reason}}}));
    if (request.canConvert<QDBusObjectPath>()) {
        const QString handle = request.value<QDBusObjectPath>().path();
        _holder = QStringLiteral("portal");
        release = [session, handle] {
            session.call(method(QStringLiteral("org.freedesktop.portal.Desktop"), handle,
                                QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"), {}),
                         QDBus::NoBlock);
        };
        return;
    }

    const QVariant gnome = ask(session, method(QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
                                               QStringLiteral("org.gnome.SessionManager"), QStringLiteral("Inhibit"),
                                               {appName, 0u, reason, 4u | 8u}));
    if (gnome.typeId() == QMetaType::UInt) {
        const uint cookie = gnome.toUInt();
        _holder = QStringLiteral("gnome");
        release = [session, cookie] {
            session.call(method(QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
                                QStringLiteral("org.gnome.SessionManager"), QStringLiteral("Uninhibit"), {cookie}),
                         QDBus::NoBlock);
        };
        return;
    }

    const QVariant saver = ask(session, method(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                                               QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibit"),
                                               {appName, reason}));
    if (saver.typeId() == QMetaType::UInt) {
        const uint cookie = saver.toUInt();
        _holder = QStringLiteral("screensaver");
        release = [session, cookie] {
            session.call(method(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                                QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("UnInhibit"), {cookie}),
                         QDBus::NoBlock);
        };
    }
}

SleepInhibitor::~SleepInhibitor()
{
    // logind's lock ends as `lock` closes its descriptor.
    if (release)
        release();
}
