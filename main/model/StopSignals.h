// SIGINT, SIGTERM and SIGHUP turned into a stop of the run, as the Stop button does.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

/// While one exists, the first of these signals is delivered as `received` on the thread that
/// made it (through a pipe, since a handler may do almost nothing), and a second one ends the
/// process at once with 128 plus its number: every file a run writes is replaced atomically,
/// so nothing is left half written. One at a time per process; the handlers are put back when
/// it goes.
class StopSignals : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    /// The first signal received, 0 while none.
    int first() const;

Q_SIGNALS:
    void received(int signal);

private:
    std::unique_ptr<QSocketNotifier> notifier;
};
