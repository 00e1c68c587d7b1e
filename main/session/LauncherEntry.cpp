// The Update signal of the launcher-entry protocol.
#include "session/LauncherEntry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace LauncherEntry {

void show(std::optional<double> progress)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage update = QDBusMessage::createSignal(QStringLiteral("/com/canonical/unity/launcherentry/kestova"),
                                                     QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                     QStringLiteral("Update"));
    update << QStringLiteral("application://kestova.desktop")
           << QVariantMap{{QStringLiteral("progress"), progress.value_or(0.0)},
                          {QStringLiteral("progress-visible"), progress.has_value()}};
    bus.send(update);
}

} // namespace LauncherEntry
