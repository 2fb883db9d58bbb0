#pragma once

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

struct JpegHeader {
    unsigned width = 0;
    unsigned height = 0;
    std::string exif; // the APP1 segment's payload ("Exif\0\0..."), or empty
};

// Reads only the markers before the picture data: the stored size and the EXIF block.
JpegDecodeResult read_jpeg_header(const std::string& path, JpegHeader& header);
