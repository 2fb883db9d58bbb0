// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// When a series starts or ends, as the photographer writes it: "now", "limits", a local clock
// time "HH:MM", or a sun event with minutes before or after it ("sunrise-30", "dusk").

enum class SunEvent { Dawn, Sunrise, Sunset, Dusk }; // dawn and dusk are civil twilight

struct SeriesTime {
    enum class Kind { Now, Limits, Clock, Sun };
    Kind kind = Kind::Now;
    int hour = 0; // Clock
    int minute = 0;
    SunEvent event = SunEvent::Sunrise; // Sun
    int offsetMinutes = 0;              // Sun: negative is before the event

    static SeriesTime now() { return {}; }
    static SeriesTime limits() { return {Kind::Limits}; }
    static SeriesTime clock(int hour, int minute) { return {Kind::Clock, hour, minute}; }
    static SeriesTime sun(SunEvent event, int offsetMinutes = 0) {
        return {Kind::Sun, 0, 0, event, offsetMinutes};
    }

    bool operator==(const SeriesTime& other) const;
    bool operator!=(const SeriesTime& other) const { return !(*this == other); }
};

// Offsets go up to half a day either way; words in any case. Empty for anything else.
constexpr int maxSunOffsetMinutes = 720;
std::optional<SeriesTime> parse_series_time(const std::string& text);
// The canonical text, which parse_series_time reads back: "07:30", "sunset+15", "dawn".
std::string series_time_text(const SeriesTime& time);

const char* sun_event_name(SunEvent event);
