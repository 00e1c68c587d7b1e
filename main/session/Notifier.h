// Desktop notifications that bring the window back when clicked.
#pragma once

#include <QList>
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
    void answered(uint id);

    uint shown = 0; ///< the service's id of the last notification; 0 before it answers
    bool asking = false; ///< a notification was sent and its id is not known yet
    /// What came for other ids while the service's answer was on its way: the answer and the
    /// signals travel separately, so a quick click may be heard before the id it is for.
    struct Early {
        uint id = 0;
        QString token;
        bool clicked = false;
    };
    QList<Early> early;
};
