// How each FFmpeg object is let go.
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
void DictionaryFree::operator()(AVDictionary* d) const { av_dict_free(&d); }

} // namespace Ffmpeg
