// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/light_meter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

const double midGrey = 0.18;

const std::array<double, 256>& linear_of() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> values{};
        for (size_t i = 0; i < values.size(); ++i) {
            const double encoded = static_cast<double>(i) / 255;
            values[i] =
                encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
        }
        return values;
    }();
    return table;
}

} // namespace

std::optional<double> picture_brightness(const wxImage& picture) {
    if (!picture.IsOk() || picture.GetWidth() <= 0 || picture.GetHeight() <= 0)
        return std::nullopt;
    const auto& linear = linear_of();
    const unsigned char* rgb = picture.GetData();
    const long pixels = static_cast<long>(picture.GetWidth()) * picture.GetHeight();
    double sum = 0;
    for (long i = 0; i < pixels; ++i, rgb += 3)
        sum += 0.2126 * linear[rgb[0]] + 0.7152 * linear[rgb[1]] + 0.0722 * linear[rgb[2]];
    // A black picture reads as the darkest level a pixel can have, not as no light at all.
    const double mean = std::max(sum / static_cast<double>(pixels), linear[1]);
    return std::log2(mean / midGrey);
}
