// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/follow_light.h"

#include <gphoto2/gphoto2-result.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace {

// The ramp of the newest series. Camera thread.
struct SeriesRamp {
    unsigned series = 0;
    std::optional<LightRamp> ramp;
};

SeriesRamp& series_ramp() {
    static SeriesRamp ramp;
    return ramp;
}

std::optional<double> number_of(const RampSettings& settings, ExposureKind kind) {
    const auto& setting = settings[static_cast<size_t>(kind)];
    return setting ? exposure_number(kind, setting->value) : std::nullopt;
}

std::string number_text(std::optional<double> number) {
    if (!number)
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", *number);
    return text;
}

} // namespace

std::optional<double> shutter_seconds(const RampSettings& settings) {
    return number_of(settings, ExposureKind::Shutter);
}

FollowLightResult follow_light(const FollowLightRequest& request, std::optional<double> brightness,
                               int frame, std::chrono::steady_clock::duration afterExposure) {
    SeriesRamp& current = series_ramp();
    if (!current.ramp || current.series != request.series) {
        current.series = request.series;
        current.ramp.emplace(request.limits);
    }
    double slowest = request.limits.slowestShutter;
    if (request.interval) {
        slowest = std::min(slowest, *request.interval -
                                        std::chrono::duration<double>(afterExposure).count());
    }
    const RampStep step = current.ramp->after_pass(brightness, request.settings, slowest);

    FollowLightResult result;
    result.point = {frame, brightness, request.limits.target, step.exposureEv};
    for (const std::string& line : step.notes)
        std::cout << line << std::endl;
    for (const RampStep::Change& change : step.changes) {
        const int written = write_setting(change.setting);
        if (written == GP_OK) {
            result.written.push_back(change.setting);
            std::cout << change.line << std::endl;
        } else {
            result.point.exposureEv = step.currentEv;
            std::cout << refused_ramp_change(change, written) << std::endl;
        }
    }
    if (!step.notes.empty() || !step.changes.empty())
        std::cout << std::endl;
    return result;
}

std::vector<std::string> exposure_columns() {
    return {record_column::shutterSeconds, record_column::aperture, record_column::iso,
            record_column::brightnessEv};
}

RecordFields exposure_fields(const RampSettings& settings, std::optional<double> brightness) {
    char ev[32] = "";
    if (brightness)
        std::snprintf(ev, sizeof ev, "%.3f", *brightness);
    return {{record_column::shutterSeconds, number_text(shutter_seconds(settings))},
            {record_column::aperture, number_text(number_of(settings, ExposureKind::Aperture))},
            {record_column::iso, number_text(number_of(settings, ExposureKind::Iso))},
            {record_column::brightnessEv, ev}};
}
