// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/movie_reader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

// Converts with the matrix and range the movie says it uses.
RgbImage to_rgb(const AVFrame* frame, SwsContext*& scaler) {
    RgbImage image;
    image.width = frame->width;
    image.height = frame->height;
    // swscale may write a little past the last pixel.
    image.pixels.resize(std::size_t(image.width) * image.height * 3 + 64);
    scaler = sws_getCachedContext(scaler, frame->width, frame->height, AVPixelFormat(frame->format),
                                  frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr,
                                  nullptr, nullptr);
    const int space = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    sws_setColorspaceDetails(scaler, sws_getCoefficients(space),
                             frame->color_range == AVCOL_RANGE_JPEG, sws_getCoefficients(space), 1,
                             0, 1 << 16, 1 << 16);
    uint8_t* out[] = {image.pixels.data()};
    const int stride[] = {image.width * 3};
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, out, stride);
    return image;
}

void receive_frames(AVCodecContext* codec, AVFrame* frame, SwsContext*& scaler,
                    MovieOnDisk& movie) {
    while (avcodec_receive_frame(codec, frame) == 0) {
        movie.frames.push_back(to_rgb(frame, scaler));
        av_frame_unref(frame);
    }
}

} // namespace

MovieOnDisk read_movie(const std::string& path) {
    MovieOnDisk movie;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, ("file:" + path).c_str(), nullptr, nullptr) < 0)
        return movie;
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        avformat_close_input(&format);
        return movie;
    }
    const AVStream* stream = format->streams[index];
    const AVCodecParameters* parameters = stream->codecpar;
    movie.opened = true;
    movie.format = format->iformat->name;
    movie.codec = avcodec_get_name(parameters->codec_id);
    const char* pixelFormat = av_get_pix_fmt_name(AVPixelFormat(parameters->format));
    movie.pixelFormat = pixelFormat ? pixelFormat : "";
    movie.colourSpace = av_color_space_name(parameters->color_space);
    movie.width = parameters->width;
    movie.height = parameters->height;
    movie.rateNum = stream->avg_frame_rate.num;
    movie.rateDen = stream->avg_frame_rate.den;

    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    AVCodecContext* codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, parameters);
    avcodec_open2(codec, decoder, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* scaler = nullptr;
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(codec, packet) == 0)
            receive_frames(codec, frame, scaler, movie);
        av_packet_unref(packet);
    }
    avcodec_send_packet(codec, nullptr);
    receive_frames(codec, frame, scaler, movie);

    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return movie;
}
