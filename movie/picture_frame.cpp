// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/picture_frame.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

// swscale reads and writes whole vectors, a little past the end of a row.
const std::size_t readSlack = 64;

// A decoded picture as stored: the JPEG's own planes, or RGB for the JPEGs that have none
// swscale takes.
struct StoredPicture {
    AVPixelFormat format = AV_PIX_FMT_NONE;
    int width = 0, height = 0;
    const uint8_t* planes[3] = {};
    int strides[3] = {};
};

// Planes of a yuv420p picture: pointers and strides.
struct Planes {
    uint8_t* data[3];
    int strides[3];
};

bool turned_sideways(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// Where the upright picture's pixel (x, y) is stored, for each EXIF orientation.
void stored_position(int orientation, int x, int y, int storedWidth, int storedHeight, int* sx,
                     int* sy) {
    switch (orientation) {
    case 2: // mirrored left to right
        *sx = storedWidth - 1 - x;
        *sy = y;
        break;
    case 3: // upside down
        *sx = storedWidth - 1 - x;
        *sy = storedHeight - 1 - y;
        break;
    case 4: // mirrored top to bottom
        *sx = x;
        *sy = storedHeight - 1 - y;
        break;
    case 5: // mirrored along the diagonal
        *sx = y;
        *sy = x;
        break;
    case 6: // stored turned left: turn right to see it
        *sx = y;
        *sy = storedHeight - 1 - x;
        break;
    case 7: // mirrored along the other diagonal
        *sx = storedWidth - 1 - y;
        *sy = storedHeight - 1 - x;
        break;
    case 8: // stored turned right: turn left to see it
        *sx = storedWidth - 1 - y;
        *sy = x;
        break;
    default:
        *sx = x;
        *sy = y;
        break;
    }
}

// Copies one plane into the frame, turned upright; width and height are the upright plane's.
void place_plane(const uint8_t* stored, int storedStride, int orientation, int width, int height,
                 uint8_t* upright, int uprightStride) {
    if (orientation == 1) {
        for (int y = 0; y < height; ++y)
            std::memcpy(upright + std::size_t(y) * uprightStride,
                        stored + std::size_t(y) * storedStride, std::size_t(width));
        return;
    }
    const int storedWidth = turned_sideways(orientation) ? height : width;
    const int storedHeight = turned_sideways(orientation) ? width : height;
    for (int y = 0; y < height; ++y) {
        uint8_t* out = upright + std::size_t(y) * uprightStride;
        for (int x = 0; x < width; ++x) {
            int sx, sy;
            stored_position(orientation, x, y, storedWidth, storedHeight, &sx, &sy);
            out[x] = stored[std::size_t(sy) * storedStride + sx];
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

Planes area_planes(AVFrame* frame, const FrameArea& area) {
    return {{frame->data[0] + area.y * frame->linesize[0] + area.x,
             frame->data[1] + area.y / 2 * frame->linesize[1] + area.x / 2,
             frame->data[2] + area.y / 2 * frame->linesize[2] + area.x / 2},
            {frame->linesize[0], frame->linesize[1], frame->linesize[2]}};
}

// A scaler from the picture's size and format to the movie's, from the JPEG's full range to the
// limited one players expect. The ranges go in before it is set up: given only afterwards, a
// picture that the decoder had already brought to the movie's size and format was copied as it
// stood, full range and all, its shadows darkened and its highlights burnt.
SwsContext* range_scaler(SwsContext* context, const StoredPicture& picture, int width, int height) {
    const std::pair<const char*, std::int64_t> options[] = {{"srcw", picture.width},
                                                            {"srch", picture.height},
                                                            {"src_format", picture.format},
                                                            {"dstw", width},
                                                            {"dsth", height},
                                                            {"dst_format", AV_PIX_FMT_YUV420P},
                                                            {"sws_flags", SWS_BICUBIC},
                                                            {"src_range", 1},
                                                            {"dst_range", 0}};
    auto holds = [context](const char* name, std::int64_t value) {
        std::int64_t held = 0;
        return av_opt_get_int(context, name, 0, &held) >= 0 && held == value;
    };
    if (context && std::all_of(std::begin(options), std::end(options), [&](const auto& option) {
            return holds(option.first, option.second);
        }))
        return context;
    sws_freeContext(context);
    context = sws_alloc_context();
    if (!context)
        return nullptr;
    for (const auto& [name, value] : options)
        av_opt_set_int(context, name, value, 0);
    if (sws_init_context(context, nullptr, nullptr) < 0) {
        sws_freeContext(context);
        return nullptr;
    }
    return context;
}

// Scales the picture to the given size in the movie's colours: the JPEG's own BT.601 matrix,
// in the limited range players expect.
bool scale(SwsContext*& context, const StoredPicture& picture, int width, int height,
           const Planes& out) {
    context = range_scaler(context, picture, width, height);
    if (!context)
        return false;
    const int* bt601 = sws_getCoefficients(SWS_CS_ITU601);
    sws_setColorspaceDetails(context, bt601, 1, bt601, 0, 0, 1 << 16, 1 << 16);
    return sws_scale(context, picture.planes, picture.strides, 0, picture.height, out.data,
                     out.strides) > 0;
}

AVPixelFormat planar_format(const JpegPlaneLayout& layout) {
    static const AVPixelFormat formats[2][2] = {{AV_PIX_FMT_YUV444P, AV_PIX_FMT_YUV440P},
                                                {AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUV420P}};
    return formats[layout.chromaShiftX][layout.chromaShiftY];
}

template <class Buffer> bool fit_buffer(Buffer& buffer, std::size_t size) {
    try {
        buffer.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Decodes the picture at the scale its area needs, as YCbCr planes when it has them.
JpegDecodeResult decode(const MoviePicture& picture, unsigned width, unsigned height,
                        PictureScratch& scratch, StoredPicture& stored) {
    JpegDecodeResult result = decode_jpeg_planes(
        picture.path, width, height, JpegFit::Contain,
        [&](const JpegPlaneLayout& layout, unsigned char* planes[3]) {
            for (int p = 0; p < 3; ++p) {
                if (!fit_buffer(scratch.decoded[p],
                                std::size_t(layout.stride[p]) * layout.rows[p] + readSlack))
                    return false;
                planes[p] = scratch.decoded[p].data();
                stored.planes[p] = planes[p];
                stored.strides[p] = int(layout.stride[p]);
            }
            stored.format = planar_format(layout);
            stored.width = int(layout.width);
            stored.height = int(layout.height);
            return true;
        });
    if (result != JpegDecodeResult::Unsupported)
        return result;
    return decode_jpeg_scaled(
        picture.path, width, height, JpegFit::Contain,
        [&](unsigned w, unsigned h) -> unsigned char* {
            if (!fit_buffer(scratch.decoded[0], std::size_t(w) * h * 3 + readSlack))
                return nullptr;
            stored = StoredPicture();
            stored.format = AV_PIX_FMT_RGB24;
            stored.width = int(w);
            stored.height = int(h);
            stored.planes[0] = scratch.decoded[0].data();
            stored.strides[0] = int(w) * 3;
            return scratch.decoded[0].data();
        });
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
    sws_freeContext(scaler);
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

bool picture_decodes(const MoviePicture& picture, PictureScratch& scratch) {
    StoredPicture stored;
    return decode(picture, 1, 1, scratch, stored) == JpegDecodeResult::Decoded;
}

JpegDecodeResult picture_to_frame(const MoviePicture& picture, PictureScratch& scratch,
                                  AVFrame* frame) {
    unsigned uprightWidth, uprightHeight;
    upright_size(picture, &uprightWidth, &uprightHeight);
    const FrameArea area = fit_area(uprightWidth, uprightHeight, frame->width, frame->height);
    const bool sideways = turned_sideways(picture.orientation);
    // The area as the picture is stored, before it is turned.
    const int storedWidth = sideways ? area.height : area.width;
    const int storedHeight = sideways ? area.width : area.height;

    StoredPicture stored;
    JpegDecodeResult result =
        decode(picture, unsigned(storedWidth), unsigned(storedHeight), scratch, stored);
    if (result != JpegDecodeResult::Decoded)
        return result;

    // Scaled into rows of its own, whose ends swscale may overwrite, then copied into the
    // frame between the bars.
    const int lumaStride = (storedWidth + 63) & ~63, chromaStride = (storedWidth / 2 + 63) & ~63;
    const std::size_t lumaSize = std::size_t(lumaStride) * storedHeight;
    const std::size_t chromaSize = std::size_t(chromaStride) * (storedHeight / 2);
    if (!fit_buffer(scratch.scaled, lumaSize + 2 * chromaSize + readSlack))
        return JpegDecodeResult::Failed;
    uint8_t* luma = scratch.scaled.data();
    const Planes scaled = {{luma, luma + lumaSize, luma + lumaSize + chromaSize},
                           {lumaStride, chromaStride, chromaStride}};
    if (!scale(scratch.scaler, stored, storedWidth, storedHeight, scaled))
        return JpegDecodeResult::Failed;

    paint_black(frame);
    const Planes target = area_planes(frame, area);
    for (int p = 0; p < 3; ++p) {
        const int shift = p == 0 ? 0 : 1;
        place_plane(scaled.data[p], scaled.strides[p], picture.orientation, area.width >> shift,
                    area.height >> shift, target.data[p], target.strides[p]);
    }
    return result;
}
