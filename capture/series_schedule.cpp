// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/series_schedule.h"

#include <libnova/julian_day.h>
#include <libnova/precession.h>
#include <libnova/rise_set.h>
#include <libnova/solar.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using Clock = std::chrono::system_clock;

namespace {

const std::chrono::hours halfDay(12);

NextTime at(Clock::time_point time) {
    return {NextTime::Outcome::At, time};
}

NextTime next_clock_time(int hour, int minute, Clock::time_point now) {
    const std::time_t nowSeconds = Clock::to_time_t(now);
    std::tm local{};
    localtime_r(&nowSeconds, &local);
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = 0;
    // Let mktime find the offset of that moment, which a change to or from summer time between
    // now and then makes differ from the present one.
    local.tm_isdst = -1;
    std::tm asked = local;
    auto time = Clock::from_time_t(std::mktime(&asked));
    if (time < now) {
        ++local.tm_mday;
        asked = local;
        time = Clock::from_time_t(std::mktime(&asked));
    }
    return at(time);
}

bool is_rise(SunEvent event) {
    return event == SunEvent::Dawn || event == SunEvent::Sunrise;
}

double horizon(SunEvent event) {
    return event == SunEvent::Dawn || event == SunEvent::Dusk ? LN_SOLAR_CIVIL_HORIZON
                                                              : LN_SOLAR_STANDART_HORIZON;
}

// libnova gives the sun's place against the equinox of 2000; its rise and set times then come
// out early by as much as the equinox has moved since (1.5 minutes in 2026). Precessed to the
// date, they agree with published tables to seconds.
void sun_of_date(double julianDay, ln_equ_posn* position) {
    ln_equ_posn j2000{};
    ln_get_solar_equ_coords(julianDay, &j2000);
    ln_get_equ_prec(&j2000, julianDay, position);
}

// libnova's answer for the day around `time`: 0 with the event set, 1 when the sun stays above
// the horizon, -1 when it stays below.
int sun_event_near(SunEvent event, const Location& where, Clock::time_point time,
                   Clock::time_point& found) {
    std::time_t seconds = Clock::to_time_t(time);
    ln_lnlat_posn observer{where.longitude, where.latitude};
    ln_rst_time rst{};
    const int status = ln_get_body_rst_horizon(ln_get_julian_from_timet(&seconds), &observer,
                                               sun_of_date, horizon(event), &rst);
    if (status == 0) {
        std::time_t eventSeconds = 0;
        ln_get_timet_from_julian(is_rise(event) ? rst.rise : rst.set, &eventSeconds);
        found = Clock::from_time_t(eventSeconds);
    }
    return status;
}

NextTime sun_problem(int status, Clock::time_point day) {
    return {status > 0 ? NextTime::Outcome::SunStaysUp : NextTime::Outcome::SunStaysDown, day};
}

// libnova's estimate of an event, made `lead` ahead of it.
struct Estimate {
    Clock::time_point time;
    Clock::duration lead;
};

// The first event at or after `from`. libnova answers with one event within about a day of the
// date it is given, but which day that is differs between its versions, an event just after
// that date can come back as the next day's, and two dates give estimates of one event some
// seconds apart. So it is asked at fixed times half a day apart, and of the estimates of each
// event the one made half a day ahead is taken, the same whenever the question is asked.
NextTime next_sun_event(SunEvent event, const Location& where, Clock::time_point from) {
    using HalfDays = std::chrono::duration<long, std::ratio<12 * 3600>>;
    const Clock::time_point grid = std::chrono::floor<HalfDays>(from);
    std::vector<Estimate> estimates;
    std::optional<NextTime> missing; // the first half day from `from` on without the event
    for (int step = -2; step <= 5; ++step) {
        const Clock::time_point asked = grid + step * halfDay;
        Clock::time_point found;
        const int status = sun_event_near(event, where, asked, found);
        if (status == 0)
            estimates.push_back({found, found - asked});
        else if (step >= 0 && !missing)
            missing = sun_problem(status, step == 0 ? from : asked);
    }
    // An event on a later day does not stand in for a day without one.
    if (missing && missing->time == from)
        return *missing;
    std::sort(estimates.begin(), estimates.end(),
              [](const Estimate& a, const Estimate& b) { return a.time < b.time; });
    for (auto begin = estimates.begin(); begin != estimates.end();) {
        auto end = begin + 1;
        while (end != estimates.end() && end->time - (end - 1)->time < std::chrono::hours(2))
            ++end;
        const auto best = std::min_element(begin, end, [](const Estimate& a, const Estimate& b) {
            return std::chrono::abs(a.lead - halfDay) < std::chrono::abs(b.lead - halfDay);
        });
        if (best->time >= from)
            return at(best->time);
        begin = end;
    }
    // Eight dates over three and a half days hold an event after `from` unless one lacks it.
    return missing.value_or(sun_problem(-1, from));
}

} // namespace

NextTime next_series_time(const SeriesTime& when, const std::optional<Location>& where,
                          Clock::time_point now) {
    switch (when.kind) {
    case SeriesTime::Kind::Now:
        return at(now);
    case SeriesTime::Kind::Limits:
        return {NextTime::Outcome::Never, now};
    case SeriesTime::Kind::Clock:
        return next_clock_time(when.hour, when.minute, now);
    case SeriesTime::Kind::Sun: {
        if (!where)
            return {NextTime::Outcome::NoLocation, now};
        // An event with an offset is due when the event itself is due at `now` less the offset.
        const std::chrono::minutes offset(when.offsetMinutes);
        NextTime next = next_sun_event(when.event, *where, now - offset);
        if (next.outcome == NextTime::Outcome::At)
            next.time += offset;
        return next;
    }
    }
    return at(now);
}

std::string series_time_problem(const SeriesTime& when, const NextTime& next) {
    const std::string text = series_time_text(when);
    const std::string event = sun_event_name(when.event);
    const bool twilight = horizon(when.event) == LN_SOLAR_CIVIL_HORIZON;
    switch (next.outcome) {
    case NextTime::Outcome::At:
    case NextTime::Outcome::Never:
        return "";
    case NextTime::Outcome::NoLocation:
        return text + " needs the place: set Latitude and Longitude.";
    case NextTime::Outcome::SunStaysUp:
        return "There is no " + event + " on " + local_time_text(next.time, "%Y-%m-%d") +
               " here: the sun stays " +
               (twilight ? "less than 6 degrees below the horizon all night."
                         : "above the horizon all day (polar day).");
    case NextTime::Outcome::SunStaysDown:
        return "There is no " + event + " on " + local_time_text(next.time, "%Y-%m-%d") +
               " here: the sun stays " +
               (twilight ? "more than 6 degrees below the horizon all day."
                         : "below the horizon all day (polar night).");
    }
    return "";
}

std::string local_time_text(std::chrono::system_clock::time_point when, const char* format) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::strftime(text, sizeof text, format, &local);
    return text;
}
