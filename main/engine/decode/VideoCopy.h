// Playable copies of the videos browsers cannot play (HEVC, Motion JPEG, MPEG-4 Part 2, AVI,
// MPEG transport streams): H.264 High and AAC in an MP4 whose index comes first, which Chromium
// and Firefox play on every system. Made through FFmpeg's libraries and libx264; nothing else
// includes FFmpeg for it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace VideoCopy {

/// A copy fits a screen: its frame at most this wide and high (turned to the frame's own
/// orientation), never larger than the original's.
inline constexpr int longestSide = 1920;
inline constexpr int shortestSide = 1080;

/// Whether a browser plays a video of this file name and codec (FFmpeg's name) as it is: H.264,
/// VP9 or AV1 in MP4 or QuickTime, VP8, VP9 or AV1 in WebM or Matroska. What the page asks the
/// browser (media.js) says the same of these; every other video wants a copy.
bool browserPlays(std::string_view rel, std::string_view codec);

enum class Made {
    done,       ///< the copy is whole at `target`
    unreadable, ///< no frame of the video could be decoded, or encoding it failed
    unwritable, ///< the copy could not be written
    stopped,    ///< keepGoing said no
};

/// How a copy ended, with FFmpeg's words when an error of FFmpeg's ended it (empty otherwise).
struct Outcome {
    Made made = Made::done;
    std::string message;
};

/// Writes the copy of `source` to `target`, created anew. The picture keeps its turn (the
/// display matrix goes with the stream) and its colours' description; the first sound track
/// goes along as AAC. `keepGoing` is asked between packets. When it is not done, `target` holds
/// nothing worth keeping and is the caller's to remove.
Outcome make(const std::filesystem::path& source, const std::filesystem::path& target,
             const std::function<bool()>& keepGoing = {});

} // namespace VideoCopy
