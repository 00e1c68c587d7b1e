// What the run and its decoding workers say to each other over a socket. Every message
// is one frame: its length (4 bytes, little-endian) and its bytes. Names travel as raw bytes,
// so that any file name a walk finds reaches the worker unchanged.
//
//   run -> worker   Hello    once, first: the build's fingerprint, the source, the wall
//   worker -> run   Hello    the worker's fingerprint: a worker of another build is not used
//   run -> worker   Request  one photo to process, or one video to make a playable copy of
//   worker -> run   Reply    how it ended (with the decoder's words), or the machine failure it met
#pragma once

#include "engine/walk/FileEntry.h"
#include "engine/base/JobErrors.h"
#include "engine/decode/PhotoOutcome.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace WorkerProtocol {

/// The worker's end of its socket, as the run starts it.
constexpr int workerFd = 3;

struct Hello {
    std::string fingerprint;
    std::filesystem::path root;
    std::filesystem::path out;
    bool fillPreviews = false;
    bool portable = false; ///< the job's: make the screen-size copies of photos browsers show
};

struct Request {
    FileEntry entry;
    bool remakeThumbnail = false; ///< the photo is known to have changed: never keep its thumbnail
    bool previews = false;
    bool remakePreview = false;
    /// With a name: make the playable copy of this video (below the source, or with
    /// copySourceInWall below the wall) for the photo of `entry.rel`, and nothing else.
    std::string copySource;
    bool copySourceInWall = false;
};

/// A machine failure as it crosses the pipe: one of the engine's sentences and its values.
struct Failure {
    std::string pattern;
    std::vector<std::string> arguments;
    int systemError = 0;
};

using Reply = std::variant<PhotoOutcome, Failure>;

std::string encode(const Hello& hello);
std::string encode(const Request& request);
std::string encode(const Reply& reply);
/// Nothing when the bytes are not such a message.
std::optional<Hello> decodeHello(std::string_view bytes);
std::optional<Request> decodeRequest(std::string_view bytes);
std::optional<Reply> decodeReply(std::string_view bytes);

/// The failure a worker met, to send.
Failure failureOf(const JobError& error);
/// The failure again as the run's error; nothing when its sentence is none the engine knows.
std::optional<JobError> errorOf(const Failure& failure);

/// Writes one frame to a socket; false when the other side has gone (never SIGPIPE).
bool writeFrame(int fd, std::string_view bytes);
/// Reads one frame; nothing at the end of the pipe, on an error, or on a frame too long to be ours.
std::optional<std::string> readFrame(int fd);

} // namespace WorkerProtocol
