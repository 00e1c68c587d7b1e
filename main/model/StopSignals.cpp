// The signal handlers and their pipe.
#include "model/StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace {

// A handler reaches only what lives at file scope: the pipe that wakes the event loop and the
// first signal so far. One StopSignals at a time owns them.
int signalPipe[2] = {-1, -1};
std::atomic<int> firstSignal{0};

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onStopSignal(int signal)
{
    int none = 0;
    if (!firstSignal.compare_exchange_strong(none, signal))
        _exit(128 + signal);
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    firstSignal = 0;
    if (pipe2(signalPipe, O_CLOEXEC) != 0)
        return;
    notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (read(signalPipe[0], &byte, 1) == 1)
            Q_EMIT received(byte);
    });
    for (const int signal : stopSignals)
        std::signal(signal, onStopSignal);
}

StopSignals::~StopSignals()
{
    for (const int signal : stopSignals)
        std::signal(signal, SIG_DFL);
    notifier.reset();
    for (int& fd : signalPipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

int StopSignals::first() const
{
    return firstSignal.load();
}
