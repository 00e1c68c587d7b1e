// org.freedesktop.Notifications: Notify, ActionInvoked, ActivationToken, NotificationClosed.
#include "session/Notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");

} // namespace

Notifier::Notifier(QObject* parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this, SLOT(onAction(uint, QString)));
    bus.connect(service, path, service, QStringLiteral("ActivationToken"), this, SLOT(onActivationToken(uint, QString)));
    bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
}

void Notifier::notify(const QString& summary, const QString& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    // The default action is what a click on the notification does; its label is seldom shown.
    call << QStringLiteral("Kestova") << shown << QStringLiteral("kestova") << summary << body
         << QStringList{QStringLiteral("default"), tr("Show Kestova")}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("kestova")}} << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<uint> reply = *done;
        if (!reply.isError())
            shown = reply.value();
        done->deleteLater();
    });
}

void Notifier::onAction(uint id, const QString& action)
{
    if (id == shown && id != 0 && action == QLatin1String("default"))
        Q_EMIT activated();
}

void Notifier::onActivationToken(uint id, const QString& token)
{
    if (id == shown && id != 0 && !token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
}

void Notifier::onClosed(uint id, uint)
{
    if (id == shown)
        shown = 0;
}
