// org.freedesktop.Notifications: Notify, ActionInvoked, ActivationToken, NotificationClosed.
#include "session/Notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include <utility>

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
    asking = true;
    early.clear();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<uint> reply = *done;
        answered(reply.isError() ? 0 : reply.value());
        done->deleteLater();
    });
}

void Notifier::answered(uint id)
{
    asking = false;
    shown = id;
    const QList<Early> heard = std::exchange(early, {});
    for (const Early& signal : heard) {
        if (!signal.token.isEmpty())
            onActivationToken(signal.id, signal.token);
        if (signal.clicked)
            onAction(signal.id, QStringLiteral("default"));
    }
}

void Notifier::onAction(uint id, const QString& action)
{
    if (action != QLatin1String("default") || id == 0)
        return;
    if (id == shown)
        Q_EMIT activated();
    else if (asking)
        early.append({id, QString(), true});
}

void Notifier::onActivationToken(uint id, const QString& token)
{
    if (token.isEmpty() || id == 0)
        return;
    if (id == shown)
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    else if (asking)
        early.append({id, token, false});
}

void Notifier::onClosed(uint id, uint)
{
    if (id == shown)
        shown = 0;
}
