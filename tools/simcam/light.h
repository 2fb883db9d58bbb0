// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace simcam {

// What the light's curve runs along: the number of the capture, or seconds since the scenario
// was loaded.
enum class LightClock { Captures, Seconds };

// A point of a curve given as pairs: the scene's EV at a capture or a second.
struct LightPoint {
    double at = 0;
    double ev = 0;
};

// The scene's light, in EV at ISO 100: pairs joined by straight lines, or a day that falls from
// `from` to `to` along half a cosine over `span` captures or seconds, steepest at its middle.
struct SceneLight {
    LightClock clock = LightClock::Captures;
    // Sorted by `at`; empty for a day.
    std::vector<LightPoint> points;
    double span = 0;
    double from = 13;
    double to = -1;
    // Largest error of a picture's exposure either way, in EV; 0 for none.
    double flicker = 0;
    // The shutter, aperture and ISO settings, when the scenario names them.
    std::vector<std::string> exposure_settings;

    bool on() const { return !points.empty() || span > 0; }
    // The scene's EV at the nth capture, taken `seconds` after the scenario was loaded.
    double ev_at(int capture, double seconds) const;
};

// The light on one picture.
struct LightReading {
    double scene_ev = 0;
    // Nothing when the camera's settings give no exposure (bulb, a setting it lacks).
    std::optional<double> camera_ev;
    // By how many EV the picture came out brighter than its settings make it.
    double flicker = 0;

    // The picture's brightness in stops from mid-grey, if known.
    std::optional<double> stops() const;
    // The capture line's tail: "\tscene_ev=12.00\tcamera_ev=12.33", and "\tflicker=-0.05" with
    // flicker.
    std::string log_fields(bool with_flicker) const;
};

// The flicker of successive pictures: uniform in ±amplitude, the same series in every run.
class Flicker {
  public:
    void restart() { engine_.seed(kSeed); }
    double next(double amplitude);

  private:
    // The standard fixes mt19937's output for a seed; its distributions it leaves to each
    // library, so next() scales the raw output itself.
    static constexpr std::mt19937::result_type kSeed = 21;
    std::mt19937 engine_{kSeed};
};

} // namespace simcam
