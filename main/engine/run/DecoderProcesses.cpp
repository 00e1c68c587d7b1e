// Starting, feeding and burying the decoding workers.
#include "engine/run/DecoderProcesses.h"

#include "engine/base/BesideProgram.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

/// The end of a photo whose processing was over before its worker answered.
PhotoOutcome leftByTheEnd()
{
    return {PhotoEnd::stopped, WhyUnreadable::damaged, std::nullopt};
}

} // namespace

std::optional<fs::path> DecoderProcesses::program()
{
    std::error_code ec;
    for (const fs::path& candidate : BesideProgram::places("kestova-worker", KESTOVA_LIBEXEC_FROM_BIN)) {
        if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.lexically_normal();
    }
    return std::nullopt;
}

DecoderProcesses::DecoderProcesses(fs::path program, WorkerProtocol::Hello hello)
    : path(std::move(program)), hello(std::move(hello))
{
}

DecoderProcesses::~DecoderProcesses()
{
    close();
}

std::unique_ptr<DecoderProcesses::Worker> DecoderProcesses::start()
{
    // A socket rather than pipes: a write to a worker that has died fails instead of raising
    // SIGPIPE in the run.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return nullptr;
    UniqueFd ours(ends[0]), theirs(ends[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the copy; every other descriptor of ours stays behind.
    posix_spawn_file_actions_adddup2(&actions, theirs.get(), WorkerProtocol::workerFd);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The signals this process handles or blocks are the worker's own business again.
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::string program = path.string();
    char* argv[] = {program.data(), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0)
        return nullptr;
    theirs.close();

    auto worker = std::make_unique<Worker>(Worker{pid, std::move(ours)});
    const auto answer = WorkerProtocol::writeFrame(worker->socket.get(), WorkerProtocol::encode(hello))
                            ? WorkerProtocol::readFrame(worker->socket.get())
                            : std::nullopt;
    const auto hers = answer ? WorkerProtocol::decodeHello(*answer) : std::nullopt;
    if (!hers || hers->fingerprint != hello.fingerprint) {
        ::kill(pid, SIGKILL);
        reap(pid);
        return nullptr;
    }
    return worker;
}

void DecoderProcesses::reap(pid_t pid)
{
    // A killed worker is gone within milliseconds, and within a second on a loaded machine.
    // One killed in the middle of a read from a hung drive ends only when the read does: it is
    // left to a thread of its own rather than hold the run.
    for (int tries = 0; tries < 400; ++tries) {
        const pid_t done = ::waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

std::optional<PhotoOutcome> DecoderProcesses::process(const WorkerProtocol::Request& request)
{
    std::unique_ptr<Worker> worker;
    {
        std::lock_guard guard(lock);
        if (closed)
            return leftByTheEnd();
        if (unusable)
            return std::nullopt;
        if (!idle.empty()) {
            worker = std::move(idle.back());
            idle.pop_back();
        }
    }
    if (!worker) {
        worker = start();
        std::lock_guard guard(lock);
        if (!worker) {
            unusable = true;
            return std::nullopt;
        }
    }
    {
        std::lock_guard guard(lock);
        if (closed) {
            ::kill(worker->pid, SIGKILL);
            reap(worker->pid);
            return leftByTheEnd();
        }
        busy.push_back(worker->pid);
    }
    const auto answer = WorkerProtocol::writeFrame(worker->socket.get(), WorkerProtocol::encode(request))
                            ? WorkerProtocol::readFrame(worker->socket.get())
                            : std::nullopt;
    const auto reply = answer ? WorkerProtocol::decodeReply(*answer) : std::nullopt;
    bool wasClosed = false;
    {
        std::lock_guard guard(lock);
        std::erase(busy, worker->pid);
        wasClosed = closed;
        if (reply && !closed)
            idle.push_back(std::move(worker));
        else
            ++burying;
    }
    if (worker) {
        // The worker died on this photo (or said something no worker of ours says), or
        // processing ended while it was at work: it is not used again.
        ::kill(worker->pid, SIGKILL);
        reap(worker->pid);
        {
            std::lock_guard guard(lock);
            --burying;
        }
        buried.notify_all();
    }
    if (wasClosed)
        return leftByTheEnd();
    if (!reply)
        return PhotoOutcome::unreadable(WhyUnreadable::crashed);
    if (const auto* failure = std::get_if<WorkerProtocol::Failure>(&*reply)) {
        if (auto error = WorkerProtocol::errorOf(*failure))
            throw *error;
        return PhotoOutcome::unreadable(WhyUnreadable::crashed);
    }
    return std::get<PhotoOutcome>(*reply);
}

void DecoderProcesses::close()
{
    std::vector<std::unique_ptr<Worker>> ending;
    {
        std::lock_guard guard(lock);
        closed = true;
        ending = std::move(idle);
        idle.clear();
        // A worker at work is killed here; its thread sees the socket end and buries it.
        for (const pid_t pid : busy)
            ::kill(pid, SIGKILL);
    }
    for (auto& worker : ending) {
        ::kill(worker->pid, SIGKILL);
        reap(worker->pid);
    }
    // Nothing of processing outlives it: the killed workers are buried before this returns,
    // unless one is caught in a read from a hung drive, which no signal ends.
    std::unique_lock guard(lock);
    buried.wait_for(guard, std::chrono::seconds(2), [this] { return busy.empty() && burying == 0; });
}
