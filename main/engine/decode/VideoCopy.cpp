// Playable copies of videos: decode with FFmpeg, scale once to a screen's size, encode H.264
// with libx264 and AAC with FFmpeg's own encoder, mux into an MP4 with its index first.
//
// The picture's turn travels as the stream's display matrix rather than turned pixels: the MP4
// keeps it in its track header, both browsers honour it, and the encoder then works on the frame
// as it was stored, without a turn of every frame.
#include "engine/decode/VideoCopy.h"

#include "engine/base/AsciiText.h"
#include "engine/decode/DecoderMessage.h"
#include "engine/decode/FfmpegOwners.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

namespace fs = std::filesystem;

namespace VideoCopy {
namespace {

// x264's constant quality: 23 is its own default, a copy that looks like the original on a
// screen. The rate cap keeps a grainy or dark clip from taking the original's size again; it
// scales with the frame, 8 Mbit/s at 1920 x 1080.
constexpr int quality = 23;
constexpr double maxBitsPerPixel = 8'000'000.0 / (1920 * 1080);
// "veryfast" encodes a 1080p clip several times faster than "medium" for a tenth more bytes at
// the same quality (bench/media.sh): a wall of a phone's videos is made in an evening.
constexpr const char* preset = "veryfast";
constexpr std::int64_t audioBitRate = 128'000;
// Each worker encodes one video; two threads each keep a machine of a few cores busy without
// every worker asking for all of them.
constexpr int threadsPerCopy = 2;

using Ffmpeg::CodecPtr;
using Ffmpeg::FramePtr;
using Ffmpeg::PacketPtr;

/// Thrown inside this file only: how the copy ended early, and FFmpeg's error when it was one
/// of FFmpeg's (0 when the decision was ours).
struct Ended {
    Made made;
    int status = 0;
};
[[noreturn]] void fail(Made made, int status = 0) { throw Ended{made, status}; }

/// The stream's decoder, opened; nothing when FFmpeg has none or cannot open it, and then
/// `status` is FFmpeg's error.
CodecPtr openDecoder(const AVStream& stream, int& status)
{
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    status = AVERROR_DECODER_NOT_FOUND;
    if (!codec)
        return nullptr;
    CodecPtr context(avcodec_alloc_context3(codec));
    status = AVERROR(ENOMEM);
    if (!context || (status = avcodec_parameters_to_context(context.get(), stream.codecpar)) < 0)
        return nullptr;
    context->pkt_timebase = stream.time_base;
    context->thread_count = threadsPerCopy;
    if ((status = avcodec_open2(context.get(), codec, nullptr)) < 0)
        return nullptr;
    return context;
}

/// The display matrix the stream carries, or one made of an old "rotate" tag; nothing when the
/// picture is shown as stored.
std::optional<std::array<std::int32_t, 9>> displayMatrix(const AVStream& stream)
{
    std::array<std::int32_t, 9> matrix{};
    std::size_t size = 0;
    if (const auto* data = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
        data && size >= sizeof matrix) {
        std::memcpy(matrix.data(), data, sizeof matrix);
        return matrix;
    }
    if (const AVDictionaryEntry* e = av_dict_get(stream.metadata, "rotate", nullptr, 0)) {
        const double degrees = std::atof(e->value);
        if (std::isfinite(degrees) && std::fmod(degrees, 360.0) != 0) {
            // The tag turns clockwise, the matrix counter-clockwise.
            av_display_rotation_set(matrix.data(), -degrees);
            return matrix;
        }
    }
    return std::nullopt;
}

int even(double value) { return std::max(2, int(std::lround(value / 2)) * 2); }

class Copy {
public:
    Copy(const fs::path& source, const fs::path& target, const std::function<bool()>& keepGoing)
        : source(source), target(target), keepGoing(keepGoing)
    {
    }

    Outcome run()
    {
        try {
            openInput();
            openOutput();
            pump();
            finish();
            return {Made::done, {}};
        } catch (const Ended& ended) {
            return {ended.made, DecoderMessage::ofFfmpeg(ended.status)};
        }
    }

private:
    void openInput()
    {
        int status = 0;
        in = Ffmpeg::openInput(source, status);
        if (!in)
            fail(Made::unreadable, status);
        if (const int found = avformat_find_stream_info(in.get(), nullptr); found < 0)
            fail(Made::unreadable, found);
        for (unsigned i = 0; i < in->nb_streams; ++i) {
            const AVStream& s = *in->streams[i];
            if (s.codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s.disposition & AV_DISPOSITION_ATTACHED_PIC)
                && s.codecpar->width > 0 && s.codecpar->height > 0) {
                videoIn = int(i);
                break;
            }
        }
        if (videoIn < 0)
            fail(Made::unreadable, AVERROR_STREAM_NOT_FOUND);
        if (!(videoDecoder = openDecoder(*in->streams[videoIn], status)))
            fail(Made::unreadable, status);
        // A video without sound, or with a sound no decoder reads, is copied silent.
        audioIn = av_find_best_stream(in.get(), AVMEDIA_TYPE_AUDIO, -1, videoIn, nullptr, 0);
        if (audioIn >= 0 && !(audioDecoder = openDecoder(*in->streams[audioIn], status)))
            audioIn = -1;
        if (audioDecoder && audioDecoder->ch_layout.nb_channels <= 0) {
            audioDecoder.reset();
            audioIn = -1;
        }
        // Both streams keep their distance from the earliest start.
        origin = in->start_time == AV_NOPTS_VALUE ? 0 : in->start_time;
    }

    void openOutput()
    {
        const std::string url = "file:" + target.string();
        AVFormatContext* made = nullptr;
        if (const int allocated = avformat_alloc_output_context2(&made, nullptr, "mp4", url.c_str()); allocated < 0 || !made)
            fail(Made::unwritable, allocated < 0 ? allocated : AVERROR(ENOMEM));
        out.reset(made);
        openVideoEncoder();
        if (audioDecoder)
            openAudioEncoder();
        if (const int opened = avio_open(&out->pb, url.c_str(), AVIO_FLAG_WRITE); opened < 0)
            fail(Made::unwritable, opened);
        // The index goes first, so that a browser starts playing before the whole file has come.
        AVDictionary* options = nullptr;
        av_dict_set(&options, "movflags", "+faststart", 0);
        const int status = avformat_write_header(out.get(), &options);
        av_dict_free(&options);
        if (status < 0)
            fail(Made::unwritable, status);
    }

    void openVideoEncoder()
    {
        const AVStream& stream = *in->streams[videoIn];
        const AVCodecParameters& p = *stream.codecpar;
        AVRational aspect = av_guess_sample_aspect_ratio(in.get(), const_cast<AVStream*>(&stream), nullptr);
        if (aspect.num <= 0 || aspect.den <= 0 || av_q2d(aspect) > 8 || av_q2d(aspect) < 0.125)
            aspect = {1, 1};
        // Square pixels in the copy: a camcorder's wide pixels become more of them.
        const double shownWidth = p.width * av_q2d(aspect);
        const double longSide = std::max<double>(shownWidth, p.height), shortSide = std::min<double>(shownWidth, p.height);
        const double scale = std::min({1.0, longestSide / longSide, shortestSide / shortSide});
        width = even(shownWidth * scale);
        height = even(p.height * scale);

        const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
        if (!codec)
            fail(Made::unreadable, AVERROR_ENCODER_NOT_FOUND);
        videoEncoder.reset(avcodec_alloc_context3(codec));
        if (!videoEncoder)
            fail(Made::unreadable);
        AVCodecContext& e = *videoEncoder;
        e.width = width;
        e.height = height;
        e.pix_fmt = AV_PIX_FMT_YUV420P;
        e.sample_aspect_ratio = {1, 1};
        e.time_base = stream.time_base;
        const AVRational rate = av_guess_frame_rate(in.get(), const_cast<AVStream*>(&stream), nullptr);
        if (rate.num > 0 && rate.den > 0)
            e.framerate = rate;
        // The colours are described as the original describes them; scaling keeps their matrix.
        e.color_primaries = videoDecoder->color_primaries;
        e.color_trc = videoDecoder->color_trc;
        e.colorspace = videoDecoder->colorspace;
        e.color_range = AVCOL_RANGE_MPEG;
        e.thread_count = threadsPerCopy;
        const double maxRate = maxBitsPerPixel * width * height;
        e.rc_max_rate = std::int64_t(maxRate);
        e.rc_buffer_size = int(std::min(2 * maxRate, double(INT32_MAX)));
        if (out->oformat->flags & AVFMT_GLOBALHEADER)
            e.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* options = nullptr;
        av_dict_set(&options, "preset", preset, 0);
        av_dict_set(&options, "profile", "high", 0);
        av_dict_set_int(&options, "crf", quality, 0);
        const int status = avcodec_open2(&e, codec, &options);
        av_dict_free(&options);
        if (status < 0)
            fail(Made::unreadable, status);
        videoOut = avformat_new_stream(out.get(), nullptr);
        if (!videoOut || avcodec_parameters_from_context(videoOut->codecpar, &e) < 0)
            fail(Made::unwritable);
        videoOut->time_base = e.time_base;
        if (const auto matrix = displayMatrix(stream)) {
            auto* data = av_stream_new_side_data(videoOut, AV_PKT_DATA_DISPLAYMATRIX, sizeof *matrix);
            if (!data)
                fail(Made::unwritable);
            std::memcpy(data, matrix->data(), sizeof *matrix);
        }
    }

    void openAudioEncoder()
    {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!codec)
            return;
        CodecPtr encoder(avcodec_alloc_context3(codec));
        if (!encoder)
            return;
        AVCodecContext& e = *encoder;
        // The original's rate where AAC has it, else 48 kHz; at most two channels.
        int rate = 48000;
        for (const int* r = codec->supported_samplerates; r && *r; ++r) {
            if (*r == audioDecoder->sample_rate)
                rate = *r;
        }
        e.sample_rate = rate;
        e.sample_fmt = AV_SAMPLE_FMT_FLTP;
        av_channel_layout_default(&e.ch_layout, std::min(audioDecoder->ch_layout.nb_channels, 2));
        e.bit_rate = audioBitRate;
        e.time_base = {1, rate};
        if (out->oformat->flags & AVFMT_GLOBALHEADER)
            e.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(&e, codec, nullptr) < 0)
            return;
        AVChannelLayout inLayout{};
        if (audioDecoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inLayout, audioDecoder->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&inLayout, &audioDecoder->ch_layout);
        SwrContext* made = nullptr;
        const int status = swr_alloc_set_opts2(&made, &e.ch_layout, e.sample_fmt, e.sample_rate, &inLayout,
                                               audioDecoder->sample_fmt, audioDecoder->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        resample.reset(made);
        if (status < 0 || !resample || swr_init(resample.get()) < 0)
            return;
        fifo.reset(av_audio_fifo_alloc(e.sample_fmt, e.ch_layout.nb_channels, std::max(e.frame_size, 1024)));
        if (!fifo)
            return;
        audioOut = avformat_new_stream(out.get(), nullptr);
        if (!audioOut || avcodec_parameters_from_context(audioOut->codecpar, &e) < 0)
            fail(Made::unwritable);
        audioOut->time_base = e.time_base;
        audioEncoder = std::move(encoder);
    }

    void pump()
    {
        PacketPtr packet(av_packet_alloc());
        FramePtr frame(av_frame_alloc());
        if (!packet || !frame)
            fail(Made::unreadable);
        while (true) {
            if (keepGoing && !keepGoing())
                fail(Made::stopped);
            const int read = av_read_frame(in.get(), packet.get());
            if (read == AVERROR(EAGAIN))
                continue;
            if (read < 0) {
                // The end, or where a damaged file stops making sense.
                if (read != AVERROR_EOF)
                    lastDecodeError = read;
                break;
            }
            if (packet->stream_index == videoIn) {
                // A damaged packet is passed over; the next keyframe may decode.
                if (const int sent = avcodec_send_packet(videoDecoder.get(), packet.get()); sent >= 0)
                    drainVideo(*frame);
                else
                    lastDecodeError = sent;
            } else if (packet->stream_index == audioIn && audioEncoder) {
                if (avcodec_send_packet(audioDecoder.get(), packet.get()) >= 0)
                    drainAudio(*frame);
            }
            av_packet_unref(packet.get());
        }
        avcodec_send_packet(videoDecoder.get(), nullptr);
        drainVideo(*frame);
        if (audioEncoder) {
            avcodec_send_packet(audioDecoder.get(), nullptr);
            drainAudio(*frame);
        }
    }

    void drainVideo(AVFrame& frame)
    {
        int got = 0;
        while ((got = avcodec_receive_frame(videoDecoder.get(), &frame)) >= 0) {
            encodeVideo(frame);
            av_frame_unref(&frame);
        }
        if (got != AVERROR(EAGAIN) && got != AVERROR_EOF)
            lastDecodeError = got;
    }

    void encodeVideo(const AVFrame& frame)
    {
        if (frame.width <= 0 || frame.height <= 0)
            return;
        // One scaler for the stream; a stream that changes its frame size midway (a camcorder's
        // joined recordings) gets a new one then.
        if (!scale || frame.width != scaledFrom.width || frame.height != scaledFrom.height
            || frame.format != scaledFrom.format) {
            scale.reset(sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format), width, height,
                                       AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
            if (!scale)
                fail(Made::unreadable);
            scaledFrom = {frame.width, frame.height, frame.format};
            // A full-range picture (a phone's, Motion JPEG's) is brought to the video range the
            // copy declares; the matrix stays the original's.
            const int* coefficients = sws_getCoefficients(frame.colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT);
            sws_setColorspaceDetails(scale.get(), coefficients, frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0, coefficients,
                                     0, 0, 1 << 16, 1 << 16);
            scaled.reset(av_frame_alloc());
            if (!scaled)
                fail(Made::unreadable);
            scaled->format = AV_PIX_FMT_YUV420P;
            scaled->width = width;
            scaled->height = height;
            if (av_frame_get_buffer(scaled.get(), 0) < 0)
                fail(Made::unreadable);
        }
        // The encoder may still hold the last frame's buffer.
        if (av_frame_make_writable(scaled.get()) < 0)
            fail(Made::unreadable);
        if (sws_scale(scale.get(), frame.data, frame.linesize, 0, frame.height, scaled->data, scaled->linesize) <= 0)
            return;
        const AVRational base = in->streams[videoIn]->time_base;
        std::int64_t pts = frame.best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE)
            pts = lastVideoPts == AV_NOPTS_VALUE ? 0 : lastVideoPts + std::max<std::int64_t>(1, frame.pkt_duration);
        else
            pts -= av_rescale_q(origin, AV_TIME_BASE_Q, base);
        pts = std::max<std::int64_t>(pts, 0);
        // The encoder takes rising times only; a repeated one is a frame shown twice.
        if (lastVideoPts != AV_NOPTS_VALUE && pts <= lastVideoPts)
            return;
        lastVideoPts = pts;
        scaled->pts = pts;
        scaled->pict_type = AV_PICTURE_TYPE_NONE;
        if (const int sent = avcodec_send_frame(videoEncoder.get(), scaled.get()); sent < 0)
            fail(Made::unreadable, sent);
        ++framesEncoded;
        writePackets(*videoEncoder, *videoOut);
    }

    void drainAudio(AVFrame& frame)
    {
        while (avcodec_receive_frame(audioDecoder.get(), &frame) >= 0) {
            takeAudio(&frame);
            av_frame_unref(&frame);
        }
    }

    /// Resamples the decoded sound into the queue and encodes whole frames of it; nothing at
    /// the end, which takes what the resampler and the queue still hold.
    void takeAudio(const AVFrame* frame)
    {
        AVCodecContext& e = *audioEncoder;
        if (frame && nextAudioPts == AV_NOPTS_VALUE) {
            const std::int64_t pts = frame->best_effort_timestamp;
            const AVRational base = in->streams[audioIn]->time_base;
            nextAudioPts = pts == AV_NOPTS_VALUE ? 0
                                                 : std::max<std::int64_t>(0, av_rescale_q(pts, base, e.time_base)
                                                                                 - av_rescale_q(origin, AV_TIME_BASE_Q, e.time_base));
        }
        const int inSamples = frame ? frame->nb_samples : 0;
        const int room = swr_get_out_samples(resample.get(), inSamples);
        if (room > 0) {
            uint8_t** planes = nullptr;
            if (av_samples_alloc_array_and_samples(&planes, nullptr, e.ch_layout.nb_channels, room, e.sample_fmt, 0) < 0)
                fail(Made::unreadable);
            const int got = swr_convert(resample.get(), planes, room, frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                                        inSamples);
            const bool queued = got <= 0 || av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(planes), got) == got;
            av_freep(&planes[0]);
            av_freep(&planes);
            if (!queued)
                fail(Made::unreadable);
        }
        const int frameSize = e.frame_size > 0 ? e.frame_size : 1024;
        while (av_audio_fifo_size(fifo.get()) >= frameSize || (!frame && av_audio_fifo_size(fifo.get()) > 0))
            encodeAudio(std::min(frameSize, av_audio_fifo_size(fifo.get())));
    }

    void encodeAudio(int samples)
    {
        AVCodecContext& e = *audioEncoder;
        FramePtr frame(av_frame_alloc());
        if (!frame)
            fail(Made::unreadable);
        frame->nb_samples = samples;
        frame->format = e.sample_fmt;
        frame->sample_rate = e.sample_rate;
        if (av_channel_layout_copy(&frame->ch_layout, &e.ch_layout) < 0 || av_frame_get_buffer(frame.get(), 0) < 0)
            fail(Made::unreadable);
        if (av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(frame->data), samples) != samples)
            fail(Made::unreadable);
        frame->pts = nextAudioPts == AV_NOPTS_VALUE ? 0 : nextAudioPts;
        nextAudioPts = frame->pts + samples;
        if (avcodec_send_frame(&e, frame.get()) < 0)
            fail(Made::unreadable);
        writePackets(e, *audioOut);
    }

    void writePackets(AVCodecContext& encoder, AVStream& stream)
    {
        PacketPtr packet(av_packet_alloc());
        if (!packet)
            fail(Made::unreadable);
        while (true) {
            const int got = avcodec_receive_packet(&encoder, packet.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return;
            if (got < 0)
                fail(Made::unreadable, got);
            av_packet_rescale_ts(packet.get(), encoder.time_base, stream.time_base);
            packet->stream_index = stream.index;
            if (const int written = av_interleaved_write_frame(out.get(), packet.get()); written < 0)
                fail(Made::unwritable, written);
        }
    }

    void finish()
    {
        // A video of which not one frame decoded is no copy; the decoder's last error says why.
        if (framesEncoded == 0)
            fail(Made::unreadable, lastDecodeError);
        avcodec_send_frame(videoEncoder.get(), nullptr);
        writePackets(*videoEncoder, *videoOut);
        if (audioEncoder) {
            takeAudio(nullptr);
            avcodec_send_frame(audioEncoder.get(), nullptr);
            writePackets(*audioEncoder, *audioOut);
        }
        // The index is written here, and moved before the frames.
        if (const int trailer = av_write_trailer(out.get()); trailer < 0)
            fail(Made::unwritable, trailer);
        if (const int closed = avio_closep(&out->pb); closed < 0)
            fail(Made::unwritable, closed);
    }

    const fs::path& source;
    const fs::path& target;
    const std::function<bool()>& keepGoing;

    Ffmpeg::InputPtr in;
    Ffmpeg::OutputPtr out;
    int videoIn = -1;
    int audioIn = -1;
    CodecPtr videoDecoder, audioDecoder, videoEncoder, audioEncoder;
    AVStream* videoOut = nullptr;
    AVStream* audioOut = nullptr;
    int width = 0, height = 0;
    std::int64_t origin = 0; ///< the earliest stream's start, in AV_TIME_BASE
    struct Source {
        int width = 0, height = 0, format = -1;
    } scaledFrom;
    Ffmpeg::ScalePtr scale;
    FramePtr scaled;
    Ffmpeg::ResamplePtr resample;
    Ffmpeg::FifoPtr fifo;
    std::int64_t lastVideoPts = AV_NOPTS_VALUE;
    std::int64_t nextAudioPts = AV_NOPTS_VALUE;
    std::int64_t framesEncoded = 0;
    int lastDecodeError = 0; ///< FFmpeg's last error in reading or decoding the picture
};

} // namespace

Outcome make(const fs::path& source, const fs::path& target, const std::function<bool()>& keepGoing)
{
    try {
        return Copy(source, target, keepGoing).run();
    } catch (const std::bad_alloc&) {
        return {Made::unreadable, {}};
    }
}

} // namespace VideoCopy
