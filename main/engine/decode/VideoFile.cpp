// Videos opened through FFmpeg's libraries.
//
// FFmpeg rather than a thumbnailer library: one library reads every container and codec a phone
// or camera writes, gives the container's rotation and creation dates as well as the frames,
// and lets us refuse anything that is not a video container before its demuxer runs.
#include "engine/decode/VideoFile.h"

#include "dates/RecordingDates.h"
#include "engine/decode/DecoderMessage.h"
#include "engine/decode/ExifReader.h"
#include "engine/decode/FfmpegOwners.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace fs = std::filesystem;

namespace {

// Frames this large come only from a damaged or hostile header.
constexpr std::int64_t maxFramePixels = std::int64_t(16384) * 16384;
// What one worker's video decoder may hold at once, the bound the photo decoders keep
// (VipsPhoto.cpp): a decoder holds its reference frames, the frame it returns and the poster
// search's best frame; six frames is more than a phone's or camera's stream needs (a
// 16000 x 16000 H.264 stream took 1.6 GB, four frames). The pixel format is known only once
// a first frame is decoded, so the size alone is checked first, at the widest format: 1 GiB
// admits frames of 59 megapixels (8K is 33, an 11K 360-degree video 56), and reading the
// stream's first frame then holds at most a few hundred MB.
constexpr std::int64_t maxDecodeBytes = std::int64_t(1) << 30;
constexpr std::int64_t framesHeld = 6;
// How far the poster search may decode before it settles for the best frame seen: a video
// that stays blank that long is shown as it is.
constexpr int maxFramesSearched = 90;
constexpr int maxPacketsRead = 4000;
// A frame whose brightness varies less than this (on a 0..255 scale) is blank: black, a fade,
// a lens cap, a white flash.
constexpr double blankSpread = 8.0;

using Ffmpeg::FramePtr;

/// The recording's date and time on the clock of the place it was recorded, as a photo's
/// capture date is: QuickTime's local creation date, else the movie header's UTC time made
/// local by the file name or the machine's zone.
std::string recordingDate(const AVFormatContext& format, const AVStream& stream, const fs::path& file)
{
    const auto value = [&](const char* key) -> std::string_view {
        for (const AVDictionary* metadata : {format.metadata, stream.metadata}) {
            if (const AVDictionaryEntry* e = av_dict_get(metadata, key, nullptr, 0); e && e->value)
                return e->value;
        }
        return {};
    };
    const std::string name = file.filename().string();
    const auto civil = Dates::recordingTime({value("com.apple.quicktime.creationdate"), value("creation_time"), name});
    return civil ? Dates::exifText(*civil) : std::string();
}

/// The container's tag `key`, in the format's metadata or the stream's; empty when neither has it.
std::string_view tagValue(const AVFormatContext& format, const AVStream& stream, const char* key)
{
    for (const AVDictionary* metadata : {format.metadata, stream.metadata}) {
        if (const AVDictionaryEntry* e = av_dict_get(metadata, key, nullptr, 0); e && e->value)
            return e->value;
    }
    return {};
}

/// The camera's make and model as phones write them: QuickTime's keys, else Android's.
std::string cameraOf(const AVFormatContext& format, const AVStream& stream)
{
    std::string_view make = tagValue(format, stream, "com.apple.quicktime.make");
    std::string_view model = tagValue(format, stream, "com.apple.quicktime.model");
    if (make.empty() && model.empty()) {
        make = tagValue(format, stream, "com.android.manufacturer");
        model = tagValue(format, stream, "com.android.model");
    }
    return ExifReader::cameraName(make, model);
}

std::optional<std::pair<double, double>> geoOf(const AVFormatContext& format, const AVStream& stream)
{
    std::string_view text = tagValue(format, stream, "com.apple.quicktime.location.ISO6709");
    if (text.empty())
        text = tagValue(format, stream, "location");
    return iso6709Point(text);
}

/// The bytes of one decoded frame of this size and pixel format; for a format not known yet,
/// 3 bytes a pixel, the widest format a camera writes (8-bit 4:4:4, 10-bit 4:2:2).
std::int64_t frameBytes(int width, int height, int format)
{
    if (format != AV_PIX_FMT_NONE) {
        const int size = av_image_get_buffer_size(AVPixelFormat(format), width, height, 1);
        // A size beyond an int is far beyond the budget.
        return size > 0 ? size : std::numeric_limits<std::int64_t>::max() / framesHeld;
    }
    return std::int64_t(width) * height * 3;
}

bool withinBudget(int width, int height, int format)
{
    return frameBytes(width, height, format) * framesHeld <= maxDecodeBytes;
}

/// The length that can be played, in milliseconds: a copy that broke off still declares its
/// whole length in its header, while its frames end where its data does. The container's
/// index (MP4, QuickTime) tells where each frame lies; without one the declared length stands.
std::int64_t playableMs(AVFormatContext& format, AVStream& stream, std::int64_t declaredMs)
{
    const int count = avformat_index_get_entries_count(&stream);
    const std::int64_t fileSize = format.pb ? avio_size(format.pb) : -1;
    const AVIndexEntry* last = count > 0 ? avformat_index_get_entry(&stream, count - 1) : nullptr;
    if (!last || fileSize <= 0 || last->pos + last->size <= fileSize)
        return declaredMs;
    std::int64_t lastWhole = AV_NOPTS_VALUE;
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(&stream, i);
        if (entry && entry->pos + entry->size <= fileSize && (lastWhole == AV_NOPTS_VALUE || entry->timestamp > lastWhole))
            lastWhole = entry->timestamp;
    }
    if (lastWhole == AV_NOPTS_VALUE)
        return 0;
    const std::int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
    // Up to the end of that frame.
    const double frame = stream.avg_frame_rate.num > 0 ? av_q2d(av_inv_q(stream.avg_frame_rate)) : 0;
    const std::int64_t ms = std::llround((double(lastWhole - start) * av_q2d(stream.time_base) + frame) * 1000);
    return std::clamp<std::int64_t>(ms, 0, declaredMs > 0 ? declaredMs : ms);
}

/// The turn, clockwise in quarter turns (0..3), that the container asks for.
int quarterTurns(const AVStream& stream)
{
    double degrees = 0;
    std::size_t size = 0;
    if (const auto* matrix = reinterpret_cast<const std::int32_t*>(
            av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size));
        matrix && size >= 9 * sizeof(std::int32_t)) {
        // The matrix turns counter-clockwise.
        degrees = -av_display_rotation_get(matrix);
    } else if (const AVDictionaryEntry* e = av_dict_get(stream.metadata, "rotate", nullptr, 0)) {
        degrees = std::atof(e->value);
    }
    if (!std::isfinite(degrees))
        return 0;
    const long turns = std::lround(degrees / 90.0);
    return int(((turns % 4) + 4) % 4);
}

/// Brightness spread of a frame, measured on a small grey copy. `scale` is the scaler of the
/// frames measured before: kept while their size and format stay, so that a search through
/// many frames makes one, not one a frame.
double brightnessSpread(const AVFrame& frame, Ffmpeg::ScalePtr& scale)
{
    constexpr int side = 32;
    // It frees the scaler it is given when it makes another, even when that fails.
    scale.reset(sws_getCachedContext(scale.release(), frame.width, frame.height, AVPixelFormat(frame.format), side,
                                     side, AV_PIX_FMT_GRAY8, SWS_AREA, nullptr, nullptr, nullptr));
    if (!scale)
        return 0;
    std::uint8_t grey[side * side];
    std::uint8_t* planes[4] = {grey, nullptr, nullptr, nullptr};
    int strides[4] = {side, 0, 0, 0};
    if (sws_scale(scale.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) <= 0)
        return 0;
    double sum = 0, squares = 0;
    for (const std::uint8_t v : grey) {
        sum += v;
        squares += double(v) * v;
    }
    const double mean = sum / (side * side);
    return std::sqrt(std::max(0.0, squares / (side * side) - mean * mean));
}

/// The pixels turned clockwise by the given quarter turns.
PixelBuffer turned(PixelBuffer in, int turns)
{
    if (turns == 0)
        return in;
    PixelBuffer out;
    out.bands = in.bands;
    out.width = turns == 2 ? in.width : in.height;
    out.height = turns == 2 ? in.height : in.width;
    out.samples.resize(in.samples.size());
    const int b = in.bands;
    for (int y = 0; y < in.height; ++y) {
        for (int x = 0; x < in.width; ++x) {
            int nx = 0, ny = 0;
            if (turns == 1) {
                nx = in.height - 1 - y;
                ny = x;
            } else if (turns == 2) {
                nx = in.width - 1 - x;
                ny = in.height - 1 - y;
            } else {
                nx = y;
                ny = in.width - 1 - x;
            }
            std::memcpy(&out.samples[(std::size_t(ny) * out.width + nx) * b],
                        &in.samples[(std::size_t(y) * in.width + x) * b], b);
        }
    }
    return out;
}

} // namespace

struct VideoFile::State {
    Ffmpeg::InputPtr format;
    Ffmpeg::CodecPtr codec;
    int stream = -1;
    int turns = 0;
    AVRational aspect{1, 1};
    VideoInfo info;

    /// FFmpeg's last error in reading or decoding frames; 0 while there was none.
    int lastError = 0;

    /// Decodes on from the current position; every frame goes to `take` until it answers true.
    /// False when the video ends or cannot be read first.
    template <typename Take>
    bool decodeFrames(Take take)
    {
        Ffmpeg::PacketPtr packet(av_packet_alloc());
        FramePtr frame(av_frame_alloc());
        if (!packet || !frame) {
            lastError = AVERROR(ENOMEM);
            return false;
        }
        bool draining = false;
        for (int packets = 0; packets < maxPacketsRead;) {
            if (!draining) {
                const int read = av_read_frame(format.get(), packet.get());
                if (read < 0) {
                    if (read != AVERROR_EOF)
                        lastError = read;
                    draining = true;
                    avcodec_send_packet(codec.get(), nullptr);
                } else {
                    ++packets;
                    const bool ours = packet->stream_index == stream;
                    const int sent = ours ? avcodec_send_packet(codec.get(), packet.get()) : 0;
                    av_packet_unref(packet.get());
                    if (sent < 0 && sent != AVERROR(EAGAIN)) {
                        lastError = sent;
                        continue; // a damaged packet; the next keyframe may decode
                    }
                }
            }
            while (true) {
                const int got = avcodec_receive_frame(codec.get(), frame.get());
                if (got == AVERROR(EAGAIN))
                    break;
                if (got < 0) {
                    // The end, or a decoder that cannot go on.
                    if (got != AVERROR_EOF)
                        lastError = got;
                    return false;
                }
                const bool done = take(*frame);
                av_frame_unref(frame.get());
                if (done)
                    return true;
            }
        }
        return false;
    }

    double secondsOf(const AVFrame& frame) const
    {
        const std::int64_t pts = frame.best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE)
            return -1;
        const AVStream* s = format->streams[stream];
        const std::int64_t start = s->start_time == AV_NOPTS_VALUE ? 0 : s->start_time;
        return double(pts - start) * av_q2d(s->time_base);
    }
};

VideoFile::VideoFile(std::unique_ptr<State> state) : state(std::move(state)) {}
VideoFile::VideoFile(VideoFile&&) noexcept = default;
VideoFile& VideoFile::operator=(VideoFile&&) noexcept = default;
VideoFile::~VideoFile() = default;

std::optional<VideoFile> VideoFile::open(const fs::path& file, VideoRefused* why)
{
    // `status` is what FFmpeg answered, for its words; none when the refusal is ours.
    const auto refuse = [why](VideoRefusal reason, int status = 0) -> std::optional<VideoFile> {
        if (why)
            *why = {reason, DecoderMessage::ofFfmpeg(status)};
        return std::nullopt;
    };
    auto state = std::make_unique<State>();
    int status = 0;
    state->format = Ffmpeg::openInput(file, status);
    // A container FFmpeg knows but we do not accept is refused with EINVAL, which would read
    // as a fault of the file: that refusal is ours and has no words.
    if (!state->format)
        return refuse(VideoRefusal::notAVideo, status == AVERROR(EINVAL) ? 0 : status);
    AVFormatContext& format = *state->format;
    // Reading the stream information decodes a first frame: a frame the header already
    // declares too large is refused before that.
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVCodecParameters& declared = *format.streams[i]->codecpar;
        if (declared.codec_type == AVMEDIA_TYPE_VIDEO && declared.width > 0 && declared.height > 0
            && !withinBudget(declared.width, declared.height, AV_PIX_FMT_NONE)) {
            const AVCodec* codec = avcodec_find_decoder(declared.codec_id);
            if (!codec || codec->max_lowres == 0)
                return refuse(VideoRefusal::tooLarge);
        }
    }
    const int found = avformat_find_stream_info(&format, nullptr);
    if (found < 0)
        return refuse(VideoRefusal::unreadable, found);

    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(&format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index < 0 || !decoder)
        return refuse(VideoRefusal::notAVideo, index < 0 ? index : AVERROR_DECODER_NOT_FOUND);
    AVStream& stream = *format.streams[index];
    // A cover picture stored beside the sound is no video.
    if (stream.disposition & AV_DISPOSITION_ATTACHED_PIC)
        return refuse(VideoRefusal::notAVideo);
    const AVCodecParameters& parameters = *stream.codecpar;
    if (parameters.width <= 0 || parameters.height <= 0)
        return refuse(VideoRefusal::unreadable);
    if (std::int64_t(parameters.width) * parameters.height > maxFramePixels)
        return refuse(VideoRefusal::tooLarge);
    // A codec that can decode at a half, a quarter or an eighth of the size (Motion JPEG) does
    // so when the full frame is beyond the budget; the others are refused.
    int lowres = 0;
    while (!withinBudget(parameters.width >> lowres, parameters.height >> lowres, parameters.format)) {
        if (++lowres > decoder->max_lowres)
            return refuse(VideoRefusal::tooLarge);
    }

    state->codec.reset(avcodec_alloc_context3(decoder));
    if (!state->codec)
        return refuse(VideoRefusal::unreadable, AVERROR(ENOMEM));
    if (const int copied = avcodec_parameters_to_context(state->codec.get(), &parameters); copied < 0)
        return refuse(VideoRefusal::unreadable, copied);
    // The job already decodes one file per processor.
    state->codec->thread_count = 1;
    state->codec->lowres = lowres;
    // A stream whose own headers declare a larger frame than its container is held to the
    // budget too: the decoder refuses any frame beyond it.
    const int width = parameters.width >> lowres, height = parameters.height >> lowres;
    const double bytesPerPixel = double(frameBytes(width, height, parameters.format)) / (double(width) * height);
    state->codec->max_pixels = std::min(maxFramePixels, std::int64_t(double(maxDecodeBytes / framesHeld) / bytesPerPixel));
    if (const int ready = avcodec_open2(state->codec.get(), decoder, nullptr); ready < 0)
        return refuse(VideoRefusal::unreadable, ready);
    state->stream = index;
    state->turns = quarterTurns(stream);

    AVRational aspect = av_guess_sample_aspect_ratio(&format, &stream, nullptr);
    if (aspect.num <= 0 || aspect.den <= 0 || av_q2d(aspect) > 8 || av_q2d(aspect) < 0.125)
        aspect = {1, 1};
    state->aspect = aspect;
    // Non-square pixels (DV, some camcorders) are shown wider or narrower than stored.
    const int shownWidth = std::max(1, int(std::lround(parameters.width * av_q2d(aspect))));
    const bool sideways = state->turns % 2 == 1;
    state->info.displayed = sideways ? PixelSize{parameters.height, shownWidth} : PixelSize{shownWidth, parameters.height};

    if (format.duration > 0)
        state->info.durationMs = format.duration / (AV_TIME_BASE / 1000);
    else if (stream.duration > 0)
        state->info.durationMs = std::int64_t(double(stream.duration) * av_q2d(stream.time_base) * 1000);
    state->info.durationMs = playableMs(format, stream, state->info.durationMs);
    state->info.codec = avcodec_get_name(parameters.codec_id);
    state->info.date = recordingDate(format, stream, file);
    state->info.camera = cameraOf(format, stream);
    state->info.geo = geoOf(format, stream);
    return VideoFile(std::move(state));
}

const VideoInfo& VideoFile::info() const { return state->info; }

std::optional<std::pair<double, double>> iso6709Point(std::string_view text)
{
    // Each number starts with its sign; degrees only (the forms with minutes and seconds run
    // their digits together, which no phone or camera writes).
    const auto signedNumber = [&text](double& out) {
        if (text.empty() || (text[0] != '+' && text[0] != '-'))
            return false;
        const bool negative = text[0] == '-';
        std::size_t end = 1;
        while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.'))
            ++end;
        double value = 0;
        const auto [ptr, ec] = std::from_chars(text.data() + 1, text.data() + end, value);
        if (ec != std::errc() || ptr != text.data() + end)
            return false;
        out = negative ? -value : value;
        text.remove_prefix(end);
        return true;
    };
    double lat = 0;
    double lon = 0;
    if (!signedNumber(lat) || !signedNumber(lon))
        return std::nullopt;
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::abs(lat) > 90 || std::abs(lon) > 180 || (lat == 0 && lon == 0))
        return std::nullopt;
    const auto round5 = [](double v) { return std::round(v * 1e5) / 1e5; };
    return std::pair{round5(lat), round5(lon)};
}

Opened<PixelBuffer> VideoFile::posterFrame(int maxSide)
{
    State& s = *state;
    s.lastError = 0;
    AVStream& stream = *s.format->streams[s.stream];
    // A little way in: a tenth of the length, at most three seconds.
    const double target = s.info.durationMs > 0 ? std::min(3.0, s.info.durationMs / 10000.0) : 0.0;
    const std::int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
    const std::int64_t ts = start + std::int64_t(target / av_q2d(stream.time_base));

    FramePtr best;
    double bestSpread = -1;
    Ffmpeg::ScalePtr measure;
    int searched = 0;
    double skipBefore = -1;
    const auto take = [&](const AVFrame& frame) {
        ++searched;
        // Decoding from an earlier keyframe passes the frames before the target: the first is
        // kept only in case nothing later decodes.
        if (s.secondsOf(frame) + 0.001 < skipBefore) {
            if (!best) {
                best.reset(av_frame_clone(&frame));
                bestSpread = brightnessSpread(frame, measure);
            }
            return searched >= maxFramesSearched * 3;
        }
        const double spread = brightnessSpread(frame, measure);
        if (spread >= blankSpread || spread > bestSpread) {
            best.reset(av_frame_clone(&frame));
            bestSpread = spread;
        }
        return spread >= blankSpread || searched >= maxFramesSearched;
    };
    // The keyframe at or after the target decodes alone; without one, decode on from the start.
    const bool found = target > 0 && av_seek_frame(s.format.get(), s.stream, ts, 0) >= 0 && s.decodeFrames(take);
    if (!found && av_seek_frame(s.format.get(), s.stream, start, AVSEEK_FLAG_BACKWARD) >= 0) {
        avcodec_flush_buffers(s.codec.get());
        searched = 0;
        skipBefore = target;
        s.decodeFrames(take);
    }
    if (!best || best->width <= 0 || best->height <= 0)
        return {WhyUnreadable::damaged, DecoderMessage::ofFfmpeg(s.lastError)};

    // Scaled to the poster's size before it is turned, pixel aspect included.
    const int shownWidth = std::max(1, int(std::lround(best->width * av_q2d(s.aspect))));
    const int shownHeight = best->height;
    const double scale = std::min(1.0, double(maxSide) / std::max(shownWidth, shownHeight));
    PixelBuffer pixels;
    pixels.width = std::max(1, int(std::lround(shownWidth * scale)));
    pixels.height = std::max(1, int(std::lround(shownHeight * scale)));
    pixels.bands = 3;
    pixels.samples.resize(std::size_t(pixels.width) * pixels.height * 3);
    Ffmpeg::ScalePtr convert(
        sws_getContext(best->width, best->height, AVPixelFormat(best->format), pixels.width, pixels.height,
                       AV_PIX_FMT_RGB24, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
    if (!convert)
        return WhyUnreadable::damaged;
    // The frame's own matrix and range: HD and phone video is BT.709, older video BT.601.
    const int space = best->colorspace == AVCOL_SPC_BT709 || (best->colorspace == AVCOL_SPC_UNSPECIFIED &&
                                                               best->height >= 720)
                          ? SWS_CS_ITU709
                          : SWS_CS_ITU601;
    const int fullRange = best->color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    sws_setColorspaceDetails(convert.get(), sws_getCoefficients(space), fullRange, sws_getCoefficients(SWS_CS_DEFAULT),
                             1, 0, 1 << 16, 1 << 16);
    std::uint8_t* planes[4] = {pixels.samples.data(), nullptr, nullptr, nullptr};
    int strides[4] = {pixels.width * 3, 0, 0, 0};
    if (sws_scale(convert.get(), best->data, best->linesize, 0, best->height, planes, strides) <= 0)
        return WhyUnreadable::damaged;
    return turned(std::move(pixels), s.turns);
}
