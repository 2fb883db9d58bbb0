// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/light_ramp.h"
#include "display/light_point.h"
#include "record/series_record.h"

#include <chrono>
#include <optional>
#include <vector>

// What a pass of a series that follows the light needs, read on the GUI thread with the rest of
// its request.
struct FollowLightRequest {
    unsigned series = 0; // a series of its own starts its ramp afresh
    RampLimits limits;
    RampSettings settings;          // as the boxes show them for this pass
    std::optional<double> interval; // seconds, when the passes keep a steady cadence
};

// What the window shows of it: the settings written for the next pass, and the plot's point.
struct FollowLightResult {
    std::vector<ParameterSetting> written;
    LightPoint point;
};

// Camera thread, after the pass's own lines. From the brightness of the pass's last picture
// (none when it had none) moves the exposure: writes the settings that change, one by one, and
// says each on the console. `afterExposure` is how long the pass took after its last capture
// (download, saving): in a steady cadence the shutter leaves that much of the interval free.
FollowLightResult follow_light(const FollowLightRequest& request, std::optional<double> brightness,
                               int frame, std::chrono::steady_clock::duration afterExposure);

// The seconds the shutter of `settings` stays open; none when it tells no time.
std::optional<double> shutter_seconds(const RampSettings& settings);

// The columns a frame adds to the series record: its settings and its brightness.
std::vector<std::string> exposure_columns();
RecordFields exposure_fields(const RampSettings& settings, std::optional<double> brightness);
