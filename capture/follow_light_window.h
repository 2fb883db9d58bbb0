// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/follow_light.h"
#include "capture/series_options.h"

#include <optional>
#include <wx/object.h>

// The window's side of a series whose exposure follows the light: what a pass asks of the ramp,
// read from the boxes, and what it brings back, shown in them and in the plot. GUI thread.

// A series starts with these options; in a steady cadence, `interval` is its interval.
void begin_follow_light(const SeriesOptions& options, std::optional<double> interval);

// For the next pass, while a series that follows the light runs.
std::optional<FollowLightRequest> follow_light_request();

// The boxes take the settings the ramp wrote, without a selection event; the plot its point.
void show_follow_light(const FollowLightResult& result);

// A box chosen by hand while such a series runs is the photographer's from then on.
void note_box_chosen(const wxObject* box);
