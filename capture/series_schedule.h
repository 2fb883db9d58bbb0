// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/series_time.h"

#include <chrono>
#include <optional>
#include <string>

// The moment a start or end time next comes round. Pure: the clock is the caller's, so that a
// test can stand on any day; only the time zone comes from the process (TZ), for clock times.

struct Location {
    double latitude;  // degrees, north positive
    double longitude; // degrees, east positive
};

struct NextTime {
    enum class Outcome {
        At,           // at `time`
        Never,        // "limits": no clock ends the series
        NoLocation,   // a sun event, but no latitude and longitude
        SunStaysUp,   // polar day (or a white night, for dawn and dusk) on the day of `time`
        SunStaysDown, // polar night on the day of `time`
    };
    Outcome outcome;
    std::chrono::system_clock::time_point time;
};

// The first moment at or after `now`: "now" is `now` itself; a clock time or a sun event that
// has already passed today is tomorrow's. Sun times come from libnova, with the sun's upper
// limb on the horizon after refraction (-0.833 degrees) for sunrise and sunset and its centre
// 6 degrees down for civil dawn and dusk.
NextTime next_series_time(const SeriesTime& when, const std::optional<Location>& where,
                          std::chrono::system_clock::time_point now);

// Why a start or end time cannot be armed, as a sentence for the photographer; empty when the
// outcome is At or Never.
std::string series_time_problem(const SeriesTime& when, const NextTime& next);

// A moment in local time, written with strftime's format.
std::string local_time_text(std::chrono::system_clock::time_point when, const char* format);
