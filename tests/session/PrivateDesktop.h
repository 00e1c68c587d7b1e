// A private session bus with stand-ins for the desktop's services, for one test or one program.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>

/// Starts `dbus-daemon --session` on a bus of its own and the fake desktop (tests/session/fake)
/// claiming `services` ("login1", "notifications", "screensaver") on it; stops both at the end.
/// The fake's lines (see FakeDesktop.cpp) are collected while the event loop runs.
class PrivateDesktop {
public:
    explicit PrivateDesktop(const QStringList& services);
    ~PrivateDesktop();

    /// Whether the bus and the fake are up.
    bool ready() const { return up; }
    QString address() const { return busAddress; }
    /// This process's environment with the session and the system bus both on the private bus.
    QProcessEnvironment environment() const;

    /// Every line the fake printed so far.
    QStringList lines();
    /// Runs the event loop until the fake printed a line starting with `prefix` (among the
    /// lines after the first `from`); that line, or empty when none came in time.
    QString waitForLine(const QString& prefix, qsizetype from = 0, int ms = 30000);
    /// Sends a command to the fake ("click 1").
    void command(const QString& line);

private:
    void readLines();

    QProcess daemon;
    QProcess fake;
    QString busAddress;
    QStringList seen;
    QByteArray partial;
    bool up = false;
};

/// A run of kestova-cli: its status and what it printed.
struct CliRun {
    int status = -1;
    QString out;
    QString err;
};
/// Runs kestova-cli with `arguments` in `environment` to its end.
CliRun runCli(const QStringList& arguments, const QProcessEnvironment& environment);
