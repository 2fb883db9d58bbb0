// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/series_time.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace {

const SunEvent sunEvents[] = {SunEvent::Dawn, SunEvent::Sunrise, SunEvent::Sunset, SunEvent::Dusk};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool all_digits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Digits only: from_chars alone would let a sign through.
std::optional<int> number(const std::string& text, std::size_t maxDigits) {
    if (!all_digits(text) || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::optional<SeriesTime> clock_time(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const auto hour = number(text.substr(0, colon), 2);
    const std::string minutes = text.substr(colon + 1);
    const auto minute = minutes.size() == 2 ? number(minutes, 2) : std::nullopt;
    if (!hour || !minute || *hour > 23 || *minute > 59)
        return std::nullopt;
    return SeriesTime::clock(*hour, *minute);
}

std::optional<SeriesTime> sun_time(const std::string& text) {
    for (SunEvent event : sunEvents) {
        const std::string name = sun_event_name(event);
        if (text.compare(0, name.size(), name) != 0)
            continue;
        const std::string rest = text.substr(name.size());
        if (rest.empty())
            return SeriesTime::sun(event);
        if (rest[0] != '+' && rest[0] != '-')
            return std::nullopt;
        const auto minutes = number(rest.substr(1), 3);
        if (!minutes || *minutes > maxSunOffsetMinutes)
            return std::nullopt;
        return SeriesTime::sun(event, rest[0] == '-' ? -*minutes : *minutes);
    }
    return std::nullopt;
}

} // namespace

bool SeriesTime::operator==(const SeriesTime& other) const {
    if (kind != other.kind)
        return false;
    switch (kind) {
    case Kind::Clock:
        return hour == other.hour && minute == other.minute;
    case Kind::Sun:
        return event == other.event && offsetMinutes == other.offsetMinutes;
    default:
        return true;
    }
}

const char* sun_event_name(SunEvent event) {
    switch (event) {
    case SunEvent::Dawn:
        return "dawn";
    case SunEvent::Sunrise:
        return "sunrise";
    case SunEvent::Sunset:
        return "sunset";
    case SunEvent::Dusk:
        return "dusk";
    }
    return "";
}

std::optional<SeriesTime> parse_series_time(const std::string& text) {
    const std::string word = lower(text);
    if (word == "now")
        return SeriesTime::now();
    if (word == "limits")
        return SeriesTime::limits();
    if (auto clock = clock_time(word))
        return clock;
    return sun_time(word);
}

std::string series_time_text(const SeriesTime& time) {
    char text[32];
    switch (time.kind) {
    case SeriesTime::Kind::Now:
        return "now";
    case SeriesTime::Kind::Limits:
        return "limits";
    case SeriesTime::Kind::Clock:
        std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
        return text;
    case SeriesTime::Kind::Sun:
        if (time.offsetMinutes == 0)
            return sun_event_name(time.event);
        std::snprintf(text, sizeof text, "%s%+d", sun_event_name(time.event), time.offsetMinutes);
        return text;
    }
    return "";
}
