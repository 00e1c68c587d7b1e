// Starting and reading the private bus and the fake desktop.
#include "PrivateDesktop.h"

#include <QElapsedTimer>
#include <QtTest/QTest>

PrivateDesktop::PrivateDesktop(const QStringList& services)
{
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                  QStringLiteral("--print-address=1")});
    if (!daemon.waitForStarted() || !daemon.waitForReadyRead(10000))
        return;
    busAddress = QString::fromUtf8(daemon.readLine()).trimmed();
    if (busAddress.isEmpty())
        return;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    fake.setProcessEnvironment(env);
    fake.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    fake.start(QStringLiteral(KESTOVA_FAKE_DESKTOP), services);
    up = fake.waitForStarted() && !waitForLine(QStringLiteral("ready"), 0, 10000).isEmpty();
}

PrivateDesktop::~PrivateDesktop()
{
    fake.closeWriteChannel();
    if (!fake.waitForFinished(3000))
        fake.kill();
    daemon.terminate();
    if (!daemon.waitForFinished(3000))
        daemon.kill();
    daemon.waitForFinished();
}

QProcessEnvironment PrivateDesktop::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), busAddress);
    return env;
}

void PrivateDesktop::readLines()
{
    partial += fake.readAllStandardOutput();
    qsizetype end;
    while ((end = partial.indexOf('\n')) >= 0) {
        seen << QString::fromUtf8(partial.left(end));
        partial.remove(0, end + 1);
    }
}

QStringList PrivateDesktop::lines()
{
    readLines();
    return seen;
}

QString PrivateDesktop::waitForLine(const QString& prefix, qsizetype from, int ms)
{
    QString found;
    QTest::qWaitFor(
        [&] {
            fake.waitForReadyRead(10);
            readLines();
            for (qsizetype i = from; i < seen.size(); ++i) {
                if (seen[i].startsWith(prefix)) {
                    found = seen[i];
                    return true;
                }
            }
            return false;
        },
        ms);
    return found;
}

void PrivateDesktop::command(const QString& line)
{
    fake.write((line + QLatin1Char('\n')).toUtf8());
    fake.waitForBytesWritten();
}

CliRun runCli(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(KESTOVA_CLI), arguments);
    CliRun run;
    if (!cli.waitForFinished(300000))
        cli.kill();
    cli.waitForFinished();
    run.status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}
