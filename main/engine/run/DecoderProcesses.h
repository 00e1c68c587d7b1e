// Photos decoded in worker processes, the way browsers keep image decoders apart from
// themselves: a decoder that crashes, aborts or runs out of memory ends its worker, and the run
// loses that one photo instead of itself.
#pragma once

#include "engine/decode/PhotoOutcome.h"
#include "engine/base/UniqueFd.h"
#include "engine/run/WorkerProtocol.h"

#include <sys/types.h>

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class DecoderProcesses {
public:
    /// The worker program of this build: beside the program (the build tree puts it there), or
    /// in <prefix>/libexec/kestova for a program in <prefix>/bin. Nothing when it is missing.
    static std::optional<std::filesystem::path> program();

    /// Starts workers as they are needed, each told `hello` first.
    DecoderProcesses(std::filesystem::path program, WorkerProtocol::Hello hello);
    DecoderProcesses(const DecoderProcesses&) = delete;
    DecoderProcesses& operator=(const DecoderProcesses&) = delete;
    /// Ends every worker, as close() does.
    ~DecoderProcesses();

    /// Processes the photo in an idle worker, starting one when none is idle. A worker that
    /// dies on the photo makes it unreadable for having crashed the decoder. Throws JobError for
    /// a machine failure the worker met. Nothing when no worker can be had (the program is of
    /// another build, or the system will start no process): the caller processes it itself.
    /// Safe from several threads at once, one photo per worker.
    std::optional<PhotoOutcome> process(const WorkerProtocol::Request& request);

    /// Kills every worker, those still at work on a photo too: processing is over, and a
    /// decoder that hangs must not outlive it. Their photos end as stopped.
    void close();

private:
    struct Worker {
        pid_t pid = -1;
        UniqueFd socket; ///< requests out, replies in
    };
    std::unique_ptr<Worker> start();
    /// Reaps an ended worker without waiting for one that does not end.
    static void reap(pid_t pid);

    const std::filesystem::path path;
    const WorkerProtocol::Hello hello;
    std::mutex lock; ///< guards everything below; never held while a worker works
    std::vector<std::unique_ptr<Worker>> idle;
    std::vector<pid_t> busy;  ///< at work on a photo
    int burying = 0;          ///< ended, being reaped by their threads
    std::condition_variable buried;
    bool closed = false;
    bool unusable = false; ///< a worker could not be started or is of another build
};
