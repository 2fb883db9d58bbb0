// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jpeg/jpeg_decoder.h"
#include "movie/movie_source.h"

#include <vector>

struct AVFrame;
struct SwsContext;

// Where a picture goes in a frame: scaled to fit, never stretched, centred, with black bars.
// Offsets and sizes are even, as the halved colour planes of yuv420p need.
struct FrameArea {
    int x, y, width, height;
};
FrameArea fit_area(unsigned uprightWidth, unsigned uprightHeight, int frameWidth, int frameHeight);

// The picture's size once turned upright as its EXIF orientation says.
void upright_size(const MoviePicture& picture, unsigned* width, unsigned* height);

// One decoding thread's buffers and scalers, kept from picture to picture so that big buffers
// are not made again for each.
struct PictureScratch {
    std::vector<unsigned char> decoded[3]; // the JPEG's planes, or RGB in the first
    std::vector<unsigned char> scaled;     // scaled, before it goes into the frame
    SwsContext* scaler = nullptr;

    PictureScratch() = default;
    ~PictureScratch();
    PictureScratch(const PictureScratch&) = delete;
    PictureScratch& operator=(const PictureScratch&) = delete;
};

// A yuv420p frame of the movie's size, or null when there is no memory for it.
AVFrame* alloc_movie_frame(int width, int height);

// Whether the picture decodes, tried at the smallest DCT scale so that it costs little.
bool picture_decodes(const MoviePicture& picture, PictureScratch& scratch);

// Paints the picture into the frame, decoded at the smallest DCT scale that still covers its
// area, in BT.601 limited-range colours. Unless the result is Decoded, the frame holds nothing
// to show.
JpegDecodeResult picture_to_frame(const MoviePicture& picture, PictureScratch& scratch,
                                  AVFrame* frame);
