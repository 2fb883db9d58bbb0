// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/movie_encoder.h"

#include <algorithm>
#include <mutex>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

const MovieEncoderSettings& movie_encoder_settings() {
    // x264 keeps every frame it looks ahead at in memory, at some 10 MB each at 1920 x 1080;
    // the preset's 40 would take more memory than all the rest together.
    static const MovieEncoderSettings settings{"medium", 20, "rc-lookahead=10:sync-lookahead=0"};
    return settings;
}

namespace {

// libx264 reports its settings and statistics on every run; only errors are worth showing.
void quiet_libav() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

} // namespace

MovieEncoder::~MovieEncoder() {
    avcodec_free_context(&codec_);
    if (format_)
        avio_closep(&format_->pb);
    avformat_free_context(format_);
    av_packet_free(&packet_);
}

int MovieEncoder::open(const std::string& path, int width, int height, int fps) {
    quiet_libav();
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        return AVERROR_ENCODER_NOT_FOUND;
    // "file:" keeps a colon in the path from being taken for a protocol.
    const std::string url = "file:" + path;
    int result = avformat_alloc_output_context2(&format_, nullptr, "mp4", url.c_str());
    if (result < 0)
        return result;
    codec_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    AVStream* stream = avformat_new_stream(format_, nullptr);
    if (!codec_ || !packet_ || !stream)
        return AVERROR(ENOMEM);

    codec_->width = width;
    codec_->height = height;
    codec_->pix_fmt = AV_PIX_FMT_YUV420P;
    codec_->time_base = AVRational{1, fps};
    codec_->framerate = AVRational{fps, 1};
    codec_->sample_aspect_ratio = AVRational{1, 1};
    // The pictures' own colours: JPEG's BT.601 matrix on sRGB primaries and curve.
    codec_->color_range = AVCOL_RANGE_MPEG;
    codec_->colorspace = AVCOL_SPC_BT470BG;
    codec_->color_primaries = AVCOL_PRI_BT709;
    codec_->color_trc = AVCOL_TRC_IEC61966_2_1;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER)
        codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const MovieEncoderSettings& settings = movie_encoder_settings();
    av_opt_set(codec_->priv_data, "preset", settings.preset, 0);
    av_opt_set_int(codec_->priv_data, "crf", settings.crf, 0);
    av_opt_set(codec_->priv_data, "x264-params", settings.x264Params, 0);
    // x264 would take one and a half threads a core, each with frames of its own; the decoders
    // share the cores anyway.
    codec_->thread_count = int(std::max(1u, std::thread::hardware_concurrency()));
    if ((result = avcodec_open2(codec_, codec, nullptr)) < 0) {
        // Every other setting is fixed or checked by the caller: the size is what it refused.
        sizeRefused_ = result != AVERROR(ENOMEM);
        return result;
    }

    stream->time_base = codec_->time_base;
    stream->avg_frame_rate = codec_->framerate;
    stream->r_frame_rate = codec_->framerate;
    if ((result = avcodec_parameters_from_context(stream->codecpar, codec_)) < 0)
        return result;
    if ((result = avio_open(&format_->pb, url.c_str(), AVIO_FLAG_WRITE)) < 0)
        return result;
    AVDictionary* options = nullptr;
    // The index goes to the front, so that players can start before the whole file is read.
    av_dict_set(&options, "movflags", "+faststart", 0);
    result = avformat_write_header(format_, &options);
    av_dict_free(&options);
    return result < 0 ? result : 0;
}

int MovieEncoder::add(AVFrame* frame) {
    frame->pts = nextPts_++;
    int result = avcodec_send_frame(codec_, frame);
    return result < 0 ? result : drain(false);
}

int MovieEncoder::drain(bool flushing) {
    for (;;) {
        int result = avcodec_receive_packet(codec_, packet_);
        if (result == AVERROR(EAGAIN) && !flushing)
            return 0;
        if (result == AVERROR_EOF)
            return 0;
        if (result < 0)
            return result;
        AVStream* stream = format_->streams[0];
        av_packet_rescale_ts(packet_, codec_->time_base, stream->time_base);
        packet_->stream_index = stream->index;
        if ((result = av_interleaved_write_frame(format_, packet_)) < 0)
            return result;
    }
}

int MovieEncoder::finish() {
    int result = avcodec_send_frame(codec_, nullptr);
    if (result >= 0)
        result = drain(true);
    if (result >= 0)
        result = av_write_trailer(format_);
    // Buffered data reaches the disk here, so a full disk may only show now.
    const int closed = avio_closep(&format_->pb);
    if (result >= 0 && closed < 0)
        result = closed;
    return result < 0 ? result : 0;
}

std::string libav_error_text(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}
