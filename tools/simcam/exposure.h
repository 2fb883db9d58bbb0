// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scenario.h"

#include <optional>
#include <string>
#include <vector>

namespace simcam {

// The camera's exposure in EV at ISO 100, log2(N²/t) − log2(ISO/100), from its shutter,
// aperture and ISO settings: those `names` gives, else the first of the names the two common
// driver families use. Each value counts as the third of a stop it stands for, as a body's
// scale does ("1/125" is 2^-7 s). Nothing when a setting is missing or gives no time (bulb).
// An ISO of "Auto" takes the listed ISO that comes nearest to `scene_ev`, as a body in manual
// with automatic ISO does.
std::optional<double> camera_ev(ConfigNode& config, const std::vector<std::string>& names,
                                double scene_ev);

} // namespace simcam
