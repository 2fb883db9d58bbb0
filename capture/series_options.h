// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/series_schedule.h"
#include "capture/series_time.h"

#include <optional>
#include <string>

// The options of a series that are kept between runs: group [Series] of
// $XDG_CONFIG_HOME/vantlow/vantlow.conf. Without the file every option has its default and
// the program behaves as it always did.

enum class Cadence { Pause, Steady };
enum class CameraLost { End, Reconnect };
enum class Apertures { Fixed, Free };

struct SeriesOptions {
    Cadence cadence = Cadence::Pause;
    CameraLost onCameraLost = CameraLost::End;
    long reconnectMinutes = 30;
    bool keepAwake = true;
    SeriesTime startAt = SeriesTime::now();
    SeriesTime endAt = SeriesTime::limits();
    std::optional<double> latitude;  // degrees, north positive
    std::optional<double> longitude; // degrees, east positive
    // The exposure follows the light between passes.
    bool followLight = false;
    double targetBrightness = 0; // EV from mid-grey
    double maxStepEv = 0.33;     // a third of a stop, as the settings' scales count it
    double slowestShutter = 30;  // seconds
    long highestIso = 6400;
    Apertures apertures = Apertures::Fixed;

    // Both coordinates, or nothing when either is unset.
    std::optional<Location> location() const;

    bool operator==(const SeriesOptions& other) const;
    bool operator!=(const SeriesOptions& other) const { return !(*this == other); }
};

// $XDG_CONFIG_HOME/vantlow/vantlow.conf, with ~/.config when the variable is unset, empty or
// not an absolute path.
std::string series_options_path();

// Reads the options; a missing file gives the defaults silently. A value that does not parse
// gets its default and one line on the console, as does each line that the file's reader
// cannot make sense of. Keys it does not know are left alone: a later version's file reads
// without complaint.
SeriesOptions load_series_options(const std::string& path);

// Writes every key of [Series], making the folder if need be, and keeps whatever else the file
// holds. On failure returns false with the reason in `failure`.
bool save_series_options(const std::string& path, const SeriesOptions& options,
                         std::string& failure);

// One key of [Series] by its name, for a page that edits them one at a time. Setting returns
// false, leaving `options` alone, when the text is no value of the key; expected is what the
// key takes ("decimal degrees from -90 to 90"). The text is the one the file holds.
bool set_series_option(SeriesOptions& options, const std::string& key, const std::string& text);
std::string series_option_text(const SeriesOptions& options, const std::string& key);
std::string series_option_expected(const std::string& key);
