// Owners of FFmpeg's objects, for the engine's video readers and writers, and the one way they
// open a video of the user's disk. Only declared here, so that a file using them includes
// FFmpeg's headers itself and no other file sees them.
#pragma once

#include <filesystem>
#include <memory>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;
struct SwsContext;

namespace Ffmpeg {

/// A demuxer's context, opened with avformat_open_input.
struct InputClose {
    void operator()(AVFormatContext* c) const;
};
/// A muxer's context and the file it writes, if open.
struct OutputClose {
    void operator()(AVFormatContext* c) const;
};
struct CodecFree {
    void operator()(AVCodecContext* c) const;
};
struct FrameFree {
    void operator()(AVFrame* f) const;
};
struct PacketFree {
    void operator()(AVPacket* p) const;
};
struct ScaleFree {
    void operator()(SwsContext* s) const;
};
struct ResampleFree {
    void operator()(SwrContext* s) const;
};
struct FifoFree {
    void operator()(AVAudioFifo* f) const;
};

using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;
using OutputPtr = std::unique_ptr<AVFormatContext, OutputClose>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScalePtr = std::unique_ptr<SwsContext, ScaleFree>;
using ResamplePtr = std::unique_ptr<SwrContext, ResampleFree>;
using FifoPtr = std::unique_ptr<AVAudioFifo, FifoFree>;

/// The demuxer of a video file, its header read; nothing when FFmpeg does not open it, and then
/// `status` is FFmpeg's error. Only the containers a camera or a phone writes are accepted, and
/// only as files: every other demuxer (playlists, images, network descriptions that open other
/// files) and protocol stays off for files from the user's disk. FFmpeg's own log stays quiet.
InputPtr openInput(const std::filesystem::path& file, int& status);

} // namespace Ffmpeg
