// Desktop notifications that bring the window back when clicked.
#pragma once

#include <QObject>
#include <QString>

/// Sends notifications through the freedesktop notification service and reports a click on
/// one of them. Without a bus or a service a notification is simply not shown. Main thread only.
class Notifier : public QObject {
    Q_OBJECT
public:
    explicit Notifier(QObject* parent = nullptr);

    /// Shows a notification; it replaces the one this notifier showed before. Returns at once.
    void notify(const QString& summary, const QString& body);

Q_SIGNALS:
    /// The user clicked the last notification (its default action). A Wayland desktop hands
    /// over an activation token just before; it is in XDG_ACTIVATION_TOKEN by then.
    void activated();

private Q_SLOTS:
    void onAction(uint id, const QString& action);
    void onActivationToken(uint id, const QString& token);
    void onClosed(uint id, uint reason);

private:
    uint shown = 0; ///< the service's id of the last notification; 0 before it answers
};
