// SPDX-License-Identifier: GPL-3.0-or-later
#include "light.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace simcam {
namespace {

std::string two_decimals(double value, bool sign) {
    // No "-0.00" for a value that rounds to nothing.
    if (std::fabs(value) < 0.005)
        value = 0;
    char text[32];
    std::snprintf(text, sizeof text, sign ? "%+.2f" : "%.2f", value);
    return text;
}

} // namespace

double SceneLight::ev_at(int capture, double seconds) const {
    const double at = clock == LightClock::Captures ? capture : seconds;
    if (points.empty()) {
        // A day by captures starts at the first one, by seconds at loading.
        const double start = clock == LightClock::Captures ? 1 : 0;
        const double pi = std::acos(-1.0);
        const double part = std::clamp((at - start) / span, 0.0, 1.0);
        return to + (from - to) * (1 + std::cos(pi * part)) / 2;
    }
    if (at <= points.front().at)
        return points.front().ev;
    if (at >= points.back().at)
        return points.back().ev;
    const auto after =
        std::upper_bound(points.begin(), points.end(), at,
                         [](double value, const LightPoint& point) { return value < point.at; });
    const LightPoint& before = *(after - 1);
    return before.ev + (after->ev - before.ev) * (at - before.at) / (after->at - before.at);
}

std::optional<double> LightReading::stops() const {
    if (!camera_ev)
        return std::nullopt;
    return scene_ev - *camera_ev + flicker;
}

std::string LightReading::log_fields(bool with_flicker) const {
    std::string fields = "\tscene_ev=" + two_decimals(scene_ev, false) +
                         "\tcamera_ev=" + (camera_ev ? two_decimals(*camera_ev, false) : "?");
    if (with_flicker)
        fields += "\tflicker=" + two_decimals(flicker, true);
    return fields;
}

double Flicker::next(double amplitude) {
    const double unit = engine_() / 4294967296.0;
    return amplitude * (2 * unit - 1);
}

} // namespace simcam
