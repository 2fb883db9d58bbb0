// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "camera/parameter_writer.h"
#include "capture/exposure_scale.h"

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// A camera setting that makes the exposure, as its box shows it.
struct RampSetting {
    std::string key; // the box's registry key
    std::vector<std::string> choices;
    std::string value;
    bool chosenByHand = false; // during the series: the ramp leaves it alone
};

// The shutter, aperture and ISO boxes; a setting the camera lacks is unset.
using RampSettings = std::array<std::optional<RampSetting>, 3>; // in ExposureKind's order

// What the photographer allows.
struct RampLimits {
    double target = 0;          // brightness, EV from mid-grey
    double maxStep = 0.33;      // EV a pass
    double slowestShutter = 30; // seconds: the longer of the option and the interval's room
    double highestIso = 6400;
    bool apertureFree = false;
};

struct RampStep {
    struct Change {
        ParameterSetting setting;
        std::string from;
        std::string line; // for the console once it is written
    };
    std::vector<Change> changes;
    std::vector<std::string> notes;   // for the console, each a line of its own, said once
    std::optional<double> currentEv;  // of the settings the pass was taken with
    std::optional<double> exposureEv; // of the settings for the next pass
};

// The console's line for a change that the camera refused.
std::string refused_ramp_change(const RampStep::Change& change, int result);

// Moves the exposure toward the target, pass by pass: from the settings a picture was taken
// with and its brightness, it estimates the scene's light, smooths it over the last passes and
// picks the settings that come nearest to it within one step. Falling light lengthens the
// shutter before it raises the ISO and opens the aperture last; rising light lowers the ISO
// first. Free of the camera and the toolkit.
class LightRamp {
  public:
    explicit LightRamp(const RampLimits& limits) : limits_(limits) {}

    // After a pass whose last picture, taken with `settings`, measured `brightness` (none when
    // the pass had no picture to measure).
    RampStep after_pass(std::optional<double> brightness, const RampSettings& settings,
                        double slowestShutter);

  private:
    // The settings that `after_pass` may move, with their scales.
    struct Setting {
        ExposureKind kind;
        const RampSetting* box;
        std::vector<ExposureChoice> scale;
        int current; // in `scale`
        bool movable;
    };
    std::vector<Setting> readable(const RampSettings& settings, RampStep& step);
    void say_once(bool& said, bool now, const std::string& line, RampStep& step);

    RampLimits limits_;
    std::deque<double> scene_; // estimates of the scene's EV, newest last
    bool saidUnmeasured_ = false;
    bool saidNoSetting_ = false;
    bool saidLimit_ = false;
    std::array<bool, 3> saidUnreadable_{};
    std::array<bool, 3> saidByHand_{};
};
