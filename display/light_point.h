// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

// One pass of a series whose exposure follows the light, as the photographer sees it plotted.
struct LightPoint {
    int frame = 0;                    // the series' frame count after the pass
    std::optional<double> brightness; // of its last picture, EV from mid-grey; none unmeasured
    double target = 0;                // EV from mid-grey
    // The exposure chosen for the next pass, log2(N²/t) − log2(ISO/100); none when the settings
    // do not tell it.
    std::optional<double> exposureEv;
};
