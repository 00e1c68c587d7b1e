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

/// A session service whose Inhibit answers with a cookie (its interface is named as it is).
struct CookieService {
    QString holder;
    QString name;
    QString path;
    QString uninhibit;
    QVariantList arguments;
};

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

    // Both answer with a cookie that a second call hands back.
    const CookieService cookieServices[] = {
        {QStringLiteral("gnome"), QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
         QStringLiteral("Uninhibit"), {appName, 0u, reason, 4u | 8u}},
        {QStringLiteral("screensaver"), QStringLiteral("org.freedesktop.ScreenSaver"),
         QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("UnInhibit"), {appName, reason}},
    };
    for (const CookieService& service : cookieServices) {
        const QVariant cookie = ask(session, method(service.name, service.path, service.name, QStringLiteral("Inhibit"),
                                                    service.arguments));
        if (cookie.typeId() != QMetaType::UInt)
            continue;
        _holder = service.holder;
        release = [session, service, cookie] {
            session.call(method(service.name, service.path, service.name, service.uninhibit, {cookie}), QDBus::NoBlock);
        };
        return;
    }
}

SleepInhibitor::~SleepInhibitor()
{
    // logind's lock ends as `lock` closes its descriptor.
    if (release)
        release();
}
