// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// libjpeg-turbo decoding shared by the preview and the movie maker; free of the toolkit.

enum class JpegDecodeResult {
    NotJpeg,     // no JPEG signature, or the file cannot be opened
    Unsupported, // a JPEG whose colour space we cannot turn into RGB
    Failed,      // damaged, truncated or too big to hold: no other decoder should try it
    Decoded,
};

// How the decoded picture will be brought to its target size.
enum class JpegFit {
    Fill,    // stretched to it: both sides must reach the target
    Contain, // scaled to fit inside it: one side reaching the target is enough
};

// Given the size of the decoded picture, returns where its RGB pixels go (rows packed tight),
// or null when it cannot hold them.
using RgbDestination = std::function<unsigned char*(unsigned width, unsigned height)>;

// Decodes a JPEG file at the smallest DCT scale (1/8, 1/4, 1/2 or 1) whose output is still
// big enough for the target, so big camera files never get decoded whole.
JpegDecodeResult decode_jpeg_scaled(const std::string& path, unsigned targetWidth,
                                    unsigned targetHeight, JpegFit fit,
                                    const RgbDestination& destination);

// The same for a JPEG held in memory.
JpegDecodeResult decode_jpeg_in_memory(const unsigned char* data, std::size_t size,
                                       unsigned targetWidth, unsigned targetHeight, JpegFit fit,
                                       const RgbDestination& destination);

// The planes of a YCbCr JPEG at the chosen scale. The colours are the file's own: BT.601
// full range, as JFIF has them. Cb and Cr are 1 << chromaShift times smaller than the picture.
struct JpegPlaneLayout {
    unsigned width = 0, height = 0;
    unsigned chromaShiftX = 0, chromaShiftY = 0;
    // What each plane's buffer (Y, Cb, Cr) must hold: libjpeg writes whole blocks.
    unsigned stride[3] = {}, rows[3] = {};
};

// Given the layout, returns where the three planes go, or false when it cannot hold them.
using PlaneDestination =
    std::function<bool(const JpegPlaneLayout& layout, unsigned char* planes[3])>;

// As decode_jpeg_scaled, but leaves the colours as they are stored, which saves converting
// every pixel. Unsupported for JPEGs that are not YCbCr with Cb and Cr at full, half or quarter
// size: decode those with decode_jpeg_scaled.
JpegDecodeResult decode_jpeg_planes(const std::string& path, unsigned targetWidth,
                                    unsigned targetHeight, JpegFit fit,
                                    const PlaneDestination& destination);

struct JpegHeader {
    unsigned width = 0;
    unsigned height = 0;
    std::string exif; // the APP1 segment's payload ("Exif\0\0..."), or empty
};

// Reads only the markers before the picture data: the stored size and the EXIF block.
JpegDecodeResult read_jpeg_header(const std::string& path, JpegHeader& header);
