// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/deflicker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

extern "C" {
#include <libavutil/frame.h>
}

namespace {

// The movie's limited range.
const int black = 16, white = 235, colourZero = 128, colourMin = 16, colourMax = 240;
// Every fourth pixel of every fourth row: plenty for a mean, a sixteenth of the work.
const int sampleStep = 4;

const std::array<double, 256>& log_luma() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> logs;
        // The first step above black stands for everything darker, which holds no exposure.
        for (int v = 0; v < 256; ++v)
            logs[std::size_t(v)] = std::log2(std::max(v - black, 1));
        return logs;
    }();
    return table;
}

void map_plane(uint8_t* data, int stride, int width, int height, const uint8_t* table) {
    for (int y = 0; y < height; ++y) {
        uint8_t* row = data + std::size_t(y) * stride;
        for (int x = 0; x < width; ++x)
            row[x] = table[row[x]];
    }
}

uint8_t scaled(int value, int zero, double gain, int low, int high) {
    return uint8_t(std::clamp(int(std::lround(zero + (value - zero) * gain)), low, high));
}

} // namespace

int deflicker_half_window(int frames) {
    return frames > 1 ? (frames - 1) / 2 : 0;
}

double frame_brightness(const AVFrame* frame, const FrameArea& area) {
    const std::array<double, 256>& logs = log_luma();
    double sum = 0;
    std::size_t count = 0;
    for (int y = area.y; y < area.y + area.height; y += sampleStep) {
        const uint8_t* row = frame->data[0] + std::size_t(y) * frame->linesize[0];
        for (int x = area.x; x < area.x + area.width; x += sampleStep, ++count)
            sum += logs[row[x]];
    }
    return count ? sum / double(count) : std::numeric_limits<double>::quiet_NaN();
}

double deflicker_gain(const std::vector<double>& brightness, std::size_t index, int half) {
    const double own = brightness[index];
    if (std::isnan(own))
        return 1;
    const std::size_t first = index - std::min(index, std::size_t(half));
    const std::size_t last = std::min(brightness.size() - 1, index + std::size_t(half));
    double sum = 0;
    int count = 0;
    for (std::size_t i = first; i <= last; ++i)
        if (!std::isnan(brightness[i])) {
            sum += brightness[i];
            ++count;
        }
    return std::exp2(sum / count - own);
}

void apply_gain(AVFrame* frame, double gain) {
    if (gain == 1)
        return;
    uint8_t luma[256], colour[256];
    for (int v = 0; v < 256; ++v) {
        luma[v] = scaled(v, black, gain, black, white);
        colour[v] = scaled(v, colourZero, gain, colourMin, colourMax);
    }
    map_plane(frame->data[0], frame->linesize[0], frame->width, frame->height, luma);
    const int chromaWidth = (frame->width + 1) / 2, chromaHeight = (frame->height + 1) / 2;
    for (int p = 1; p < 3; ++p)
        map_plane(frame->data[p], frame->linesize[p], chromaWidth, chromaHeight, colour);
}
