// kestova-worker: makes the thumbnails of the photos a run hands it, one at a time, so that a
// decoder that crashes takes this process with it and not the run. Started by the run only.
#include "engine/decode/PhotoWork.h"
#include "engine/base/JobErrors.h"
#include "engine/decode/BuildFingerprint.h"
#include "engine/run/WorkerProtocol.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <thread>

namespace {

/// For the tests of the run: "segv:NAME", "abort:NAME" or "hang:NAME" makes this worker fail
/// as a broken decoder would when it is handed a photo of that file name; "copy-segv:NAME" and
/// "copy-hang:NAME" when it is asked for that video's playable copy.
void failAsAsked(std::string_view rel, bool copy)
{
    const char* fault = std::getenv("KESTOVA_WORKER_FAULT");
    if (!fault)
        return;
    const std::string_view asked = fault;
    const auto colon = asked.find(':');
    if (colon == std::string_view::npos)
        return;
    std::string_view kind = asked.substr(0, colon);
    if (kind.starts_with("copy-") != copy)
        return;
    if (copy)
        kind.remove_prefix(5);
    const std::string_view name = asked.substr(colon + 1);
    const auto slash = rel.rfind('/');
    if (rel.substr(slash == std::string_view::npos ? 0 : slash + 1) != name)
        return;
    if (kind == "segv") {
        ::raise(SIGSEGV);
    } else if (kind == "abort") {
        std::abort();
    } else if (kind == "hang") {
        for (;;)
            ::pause();
    }
}

WorkerProtocol::Reply processOne(const PhotoWork& work, const WorkerProtocol::Request& request)
{
    const bool copy = !request.copySource.empty();
    failAsAsked(request.entry.rel, copy);
    if (copy) {
        try {
            return copyVideo(work, request.entry.rel, {request.copySource, request.copySourceInWall});
        } catch (const JobError& failure) {
            return WorkerProtocol::failureOf(failure);
        } catch (...) {
            return PhotoOutcome::unreadable(WhyUnreadable::damaged);
        }
    }
    const auto keep = request.remakeThumbnail ? KeepThumbnail::never : KeepThumbnail::ifNotOlder;
    try {
        return processPhoto(work, request.entry, keep, PhotoExtras{request.previews, request.remakePreview});
    } catch (const JobError& failure) {
        return WorkerProtocol::failureOf(failure);
    } catch (...) {
        // As in the run itself: a library that throws makes the photo unreadable.
        return PhotoOutcome::unreadable(WhyUnreadable::damaged);
    }
}

} // namespace

int main(int argc, char**)
{
    struct stat socketInfo{};
    if (argc != 1 || ::fstat(WorkerProtocol::workerFd, &socketInfo) != 0 || !S_ISSOCK(socketInfo.st_mode)) {
        std::fputs("kestova-worker makes thumbnails for Kestova and is started by it; there is nothing to do here.\n",
                   stderr);
        return 2;
    }
    const int fd = WorkerProtocol::workerFd;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    // Whatever else the run's process left open without close-on-exec (a library's file, a
    // window's socket) is not ours to hold: a lock must not outlive the run in a worker.
    ::close_range(fd + 1, ~0u, 0);
    // A library that prints to standard output prints to the error stream instead, and none
    // reads the terminal.
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    if (const int none = ::open("/dev/null", O_RDONLY | O_CLOEXEC); none >= 0) {
        ::dup2(none, STDIN_FILENO);
        ::close(none);
    }
    // The run decides when its workers end: a Ctrl-C, a hang-up or a session's end reaches
    // the whole process group, and the run first saves its work. A worker whose run has
    // died follows it.
    for (const int signal : {SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGPIPE})
        ::signal(signal, SIG_IGN);
    // Not PR_SET_PDEATHSIG: it follows the thread that started us, and the run's threads come
    // and go while a worker serves several of them.
    const pid_t run = ::getppid();
    std::thread([run] {
        while (::getppid() == run)
            std::this_thread::sleep_for(std::chrono::seconds(1));
        std::_Exit(0);
    }).detach();

    const auto greeting = WorkerProtocol::readFrame(fd);
    const auto hello = greeting ? WorkerProtocol::decodeHello(*greeting) : std::nullopt;
    if (!hello)
        return 2;
    const std::string fingerprint = BuildFingerprint::current();
    if (!WorkerProtocol::writeFrame(fd, WorkerProtocol::encode(WorkerProtocol::Hello{fingerprint, {}, {}, false})))
        return 0;
    if (hello->fingerprint != fingerprint)
        return 0; // the run sees the difference and decodes without us

    const PhotoWork work{hello->root, WallPaths{hello->out}, hello->fillPreviews, hello->portable};
    while (const auto frame = WorkerProtocol::readFrame(fd)) {
        const auto request = WorkerProtocol::decodeRequest(*frame);
        if (!request)
            return 2;
        if (!WorkerProtocol::writeFrame(fd, WorkerProtocol::encode(processOne(work, *request))))
            return 0;
    }
    return 0;
}
