// How each FFmpeg object is let go, and how a video file is opened.
#include "engine/decode/FfmpegOwners.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <mutex>
#include <string>

namespace Ffmpeg {

void InputClose::operator()(AVFormatContext* c) const { avformat_close_input(&c); }

void OutputClose::operator()(AVFormatContext* c) const
{
    if (c->pb)
        avio_closep(&c->pb);
    avformat_free_context(c);
}

void CodecFree::operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
void FrameFree::operator()(AVFrame* f) const { av_frame_free(&f); }
void PacketFree::operator()(AVPacket* p) const { av_packet_free(&p); }
void ScaleFree::operator()(SwsContext* s) const { sws_freeContext(s); }
void ResampleFree::operator()(SwrContext* s) const { swr_free(&s); }
void FifoFree::operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }

InputPtr openInput(const std::filesystem::path& file, int& status)
{
    static std::once_flag quiet;
    // A large collection holds damaged videos; their warnings must not flood the terminal.
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    // A "file:" prefix keeps a name with a colon in it from being read as another protocol.
    const std::string url = "file:" + file.string();
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", "mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,avi,mpegts", 0);
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* opened = nullptr;
    status = avformat_open_input(&opened, url.c_str(), nullptr, &options);
    // The options the demuxer did not take are left in the dictionary; nothing here throws.
    av_dict_free(&options);
    return InputPtr(status < 0 ? nullptr : opened);
}

} // namespace Ffmpeg
