// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A decoded picture, three bytes (RGB) a pixel, row after row.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    const uint8_t* at(int x, int y) const { return &pixels[3 * (size_t(y) * width + x)]; }
};

// Decodes with libjpeg; nothing if the bytes are no JPEG.
std::optional<RgbImage> decode_jpeg(const std::string& bytes);
