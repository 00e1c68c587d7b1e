// Keeping the computer awake while a long run goes on.
#pragma once

#include <QDBusUnixFileDescriptor>
#include <QString>

#include <functional>

/// Keeps the computer from sleeping for as long as it lives, through the first service of the
/// desktop that grants it: logind's inhibitor lock on the system bus, else, on the session
/// bus, the desktop portal, GNOME's session manager or the freedesktop screen saver. Each of
/// them ends the lock when this process ends, however it ends (logind when the lock's file
/// descriptor closes, the others when the process leaves the bus). Without a bus or a service
/// it holds nothing and says nothing: the run goes on all the same.
///
/// Construction asks the services one after the other and blocks until each has answered or
/// failed (a second at most each). Main thread only.
class SleepInhibitor {
public:
    explicit SleepInhibitor(const QString& reason);
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    /// The service holding the lock: "login1", "portal", "gnome", "screensaver"; empty when
    /// none does.
    QString holder() const { return _holder; }

private:
    QString _holder;
    QDBusUnixFileDescriptor lock;   ///< logind's lock: closing it releases
    std::function<void()> release;  ///< the session services' release call
};
