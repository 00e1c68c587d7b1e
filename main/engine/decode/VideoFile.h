// Videos opened through FFmpeg's libraries (libavformat, libavcodec, libswscale). Nothing else
// includes FFmpeg.
#pragma once

#include "engine/decode/Opened.h"
#include "engine/decode/PixelBuffer.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

/// What a video's container says about it.
struct VideoInfo {
    PixelSize displayed;         ///< as shown: pixel aspect and the container's rotation applied
    std::int64_t durationMs = 0; ///< 0 when the container does not say
    std::string codec;           ///< FFmpeg's name of the video codec: "h264", "hevc", "vp9", "av1"…
    /// The recording's local date and time as "YYYY:MM:DD HH:MM:SS", the form of a camera's EXIF
    /// date; empty when the container holds none.
    std::string date;
    /// The camera as the container names it (QuickTime's make and model, Android's), as
    /// ExifReader::cameraName words it; empty when it does not.
    std::string camera;
    /// Where it was recorded, from the container's ISO 6709 location ("+45.4325+012.3345+000.000/");
    /// latitude and longitude in degrees.
    std::optional<std::pair<double, double>> geo;
};

/// The latitude and longitude of an ISO 6709 point in decimal degrees, "+45.4325+012.3345/"
/// with or without an altitude; nothing when the text is no such point or out of range.
std::optional<std::pair<double, double>> iso6709Point(std::string_view text);

/// Why a file did not open as a video.
enum class VideoRefusal {
    unreadable, ///< a video container whose stream cannot be decoded
    notAVideo,  ///< no container we accept, or no video stream in it
    tooLarge,   ///< its frames would take more memory than one decoder may hold
};

/// The refusal and FFmpeg's words for it; empty words when the refusal was ours (a budget, a
/// cover picture taken for the video) rather than FFmpeg's.
struct VideoRefused {
    VideoRefusal reason = VideoRefusal::unreadable;
    std::string message;
};

/// One video file. Opening reads the container's header and the first packets of its streams;
/// frames are decoded only by posterFrame. The file and every decoder are released with the object.
class VideoFile {
public:
    /// Nothing when the file is no container we accept or holds no decodable video stream, or
    /// when its frames are beyond the decoder's memory budget; then `why` says which.
    static std::optional<VideoFile> open(const std::filesystem::path& file, VideoRefused* why = nullptr);

    VideoFile(VideoFile&&) noexcept;
    VideoFile& operator=(VideoFile&&) noexcept;
    ~VideoFile();

    const VideoInfo& info() const;

    /// A frame a little way in that is not blank (a black or faded-in opening is passed over),
    /// upright and in sRGB, scaled so that its longest side is at most maxSide. Nothing when no
    /// frame can be decoded, with FFmpeg's words for the last error it met.
    Opened<PixelBuffer> posterFrame(int maxSide);

private:
    struct State;
    explicit VideoFile(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};
