#include "movie/picture_frame.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace {

bool turned_sideways(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// Where the upright picture's pixel (x, y) is stored, for each EXIF orientation.
void stored_position(int orientation, int x, int y, int storedWidth, int storedHeight, int* sx,
                     int* sy) {
    switch (orientation) {
    case 2:
        *sx = storedWidth - 1 - x;
        *sy = y;
        break;
    case 3:
        *sx = storedWidth - 1 - x;
        *sy = storedHeight - 1 - y;
        break;
    case 4:
        *sx = x;
        *sy = storedHeight - 1 - y;
        break;
    case 5:
        *sx = y;
        *sy = x;
        break;
    case 6:
        *sx = y;
        *sy = storedHeight - 1 - x;
        break;
    case 7:
        *sx = storedWidth - 1 - y;
        *sy = storedHeight - 1 - x;
        break;
    case 8:
        *sx = storedWidth - 1 - y;
        *sy = x;
        break;
    default:
        *sx = x;
        *sy = y;
        break;
    }
}

// Turns an RGB picture upright; width and height are the upright picture's.
void turn_upright(const unsigned char* stored, int orientation, int width, int height,
                  unsigned char* upright) {
    const int storedWidth = turned_sideways(orientation) ? height : width;
    const int storedHeight = turned_sideways(orientation) ? width : height;
    for (int y = 0; y < height; ++y) {
        unsigned char* out = upright + std::size_t(y) * width * 3;
        for (int x = 0; x < width; ++x, out += 3) {
            int sx, sy;
            stored_position(orientation, x, y, storedWidth, storedHeight, &sx, &sy);
            std::memcpy(out, stored + (std::size_t(sy) * storedWidth + sx) * 3, 3);
        }
    }
}

void paint_black(AVFrame* frame) {
    const int chromaHeight = (frame->height + 1) / 2;
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? frame->height : chromaHeight;
        std::memset(frame->data[plane], plane == 0 ? 16 : 128,
                    std::size_t(frame->linesize[plane]) * rows);
    }
}

// Scales packed RGB into the frame's area, converting to the movie's BT.709 limited range.
bool scale_into_frame(SwsContext*& context, const unsigned char* rgb, int width, int height,
                      const FrameArea& area, AVFrame* frame) {
    context =
        sws_getCachedContext(context, width, height, AV_PIX_FMT_RGB24, area.width, area.height,
                             AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!context)
        return false;
    sws_setColorspaceDetails(context, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                             sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
    const uint8_t* source[] = {rgb};
    const int sourceStride[] = {width * 3};
    uint8_t* target[] = {frame->data[0] + area.y * frame->linesize[0] + area.x,
                         frame->data[1] + area.y / 2 * frame->linesize[1] + area.x / 2,
                         frame->data[2] + area.y / 2 * frame->linesize[2] + area.x / 2};
    return sws_scale(context, source, sourceStride, 0, height, target, frame->linesize) > 0;
}

bool scale_rgb(SwsContext*& context, const unsigned char* rgb, int width, int height,
               unsigned char* out, int outWidth, int outHeight) {
    context = sws_getCachedContext(context, width, height, AV_PIX_FMT_RGB24, outWidth, outHeight,
                                   AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!context)
        return false;
    const uint8_t* source[] = {rgb};
    const int sourceStride[] = {width * 3};
    uint8_t* target[] = {out};
    const int targetStride[] = {outWidth * 3};
    return sws_scale(context, source, sourceStride, 0, height, target, targetStride) > 0;
}

} // namespace

FrameArea fit_area(unsigned uprightWidth, unsigned uprightHeight, int frameWidth, int frameHeight) {
    const std::uint64_t w = std::max(1u, uprightWidth), h = std::max(1u, uprightHeight);
    std::uint64_t fitWidth, fitHeight;
    if (w * std::uint64_t(frameHeight) >= h * std::uint64_t(frameWidth)) {
        fitWidth = std::uint64_t(frameWidth);
        fitHeight = (h * fitWidth + w / 2) / w;
    } else {
        fitHeight = std::uint64_t(frameHeight);
        fitWidth = (w * fitHeight + h / 2) / h;
    }
    FrameArea area;
    area.width = std::max(2, int(fitWidth) & ~1);
    area.height = std::max(2, int(fitHeight) & ~1);
    area.x = ((frameWidth - area.width) / 2) & ~1;
    area.y = ((frameHeight - area.height) / 2) & ~1;
    return area;
}

void upright_size(const MoviePicture& picture, unsigned* width, unsigned* height) {
    const bool sideways = turned_sideways(picture.orientation);
    *width = sideways ? picture.height : picture.width;
    *height = sideways ? picture.width : picture.height;
}

PictureScratch::~PictureScratch() {
    sws_freeContext(toYuv);
    sws_freeContext(toRgb);
}

AVFrame* alloc_movie_frame(int width, int height) {
    AVFrame* frame = av_frame_alloc();
    if (!frame)
        return nullptr;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame, 0) < 0)
        av_frame_free(&frame);
    return frame;
}

JpegDecodeResult picture_to_frame(const MoviePicture& picture, PictureScratch& scratch,
                                  AVFrame* frame) {
    unsigned uprightWidth, uprightHeight;
    upright_size(picture, &uprightWidth, &uprightHeight);
    const FrameArea area = fit_area(uprightWidth, uprightHeight, frame->width, frame->height);
    const bool sideways = turned_sideways(picture.orientation);

    int width = 0, height = 0;
    JpegDecodeResult result =
        decode_jpeg_scaled(picture.path, unsigned(sideways ? area.height : area.width),
                           unsigned(sideways ? area.width : area.height), JpegFit::Contain,
                           [&](unsigned w, unsigned h) -> unsigned char* {
                               try {
                                   scratch.decoded.resize(std::size_t(w) * h * 3);
                               } catch (const std::bad_alloc&) {
                                   return nullptr;
                               }
                               width = int(w);
                               height = int(h);
                               return scratch.decoded.data();
                           });
    if (result != JpegDecodeResult::Decoded)
        return result;

    paint_black(frame);
    if (picture.orientation == 1)
        return scale_into_frame(scratch.toYuv, scratch.decoded.data(), width, height, area, frame)
                   ? result
                   : JpegDecodeResult::Failed;
    // Turned after scaling down, so the turn moves the fewest pixels.
    const int scaledWidth = sideways ? area.height : area.width;
    const int scaledHeight = sideways ? area.width : area.height;
    const std::size_t bytes = std::size_t(area.width) * area.height * 3;
    scratch.scaled.resize(bytes);
    scratch.upright.resize(bytes);
    if (!scale_rgb(scratch.toRgb, scratch.decoded.data(), width, height, scratch.scaled.data(),
                   scaledWidth, scaledHeight))
        return JpegDecodeResult::Failed;
    turn_upright(scratch.scaled.data(), picture.orientation, area.width, area.height,
                 scratch.upright.data());
    return scale_into_frame(scratch.toYuv, scratch.upright.data(), area.width, area.height, area,
                            frame)
               ? result
               : JpegDecodeResult::Failed;
}
