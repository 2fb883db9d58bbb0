// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/series_forecast.h"

#include <algorithm>
#include <cstdint>
#include <wx/datetime.h>
#include <wx/filename.h>

namespace {

using Time = SeriesFigures::Time;
using Duration = std::chrono::system_clock::duration;

// An end further off is as good as none, and the fields take any number: past these the
// arithmetic in nanoseconds would overflow.
const long farthestMinutes = 50L * 366 * 24 * 60;
const long mostFramesPerPass = 1000000;

// The figures as the series itself takes them: an interval out of its range is none.
SeriesFigures within_reach(SeriesFigures f) {
    if (f.plan.interval < 0 || f.plan.interval > long(UINT32_MAX))
        f.plan.interval = 0;
    f.plan.runtimeMinutes = std::clamp(f.plan.runtimeMinutes, -farthestMinutes, farthestMinutes);
    f.plan.maxFrames = std::clamp(f.plan.maxFrames, long(INT32_MIN), long(INT32_MAX));
    f.framesPerPass = std::clamp(f.framesPerPass, 0L, mostFramesPerPass);
    return f;
}

// `passes` periods after `from`, unless that is beyond the farthest end.
std::optional<Time> after(Time from, long long passes, Duration period) {
    const Duration farthest = std::chrono::minutes(farthestMinutes);
    if (passes > 0 && period > Duration::zero() && passes > farthest / period)
        return std::nullopt;
    return from + passes * period;
}

// Where the series stands once the pass under way (or the first, not yet begun) has ended:
// the moment the next pass begins, which is also when the limits are next tested, and the
// frames taken by then.
struct Standing {
    Time nextPass;
    long long frames;
};

Standing standing(const SeriesFigures& f) {
    if (f.nextPass)
        return {*f.nextPass, f.frames};
    const Time passEnd = std::max(f.now, f.passSince + f.passLength);
    return {passEnd + std::chrono::seconds(f.plan.interval),
            f.frames + std::max(0L, f.framesPerPass)};
}

struct Ending {
    Time end;
    std::optional<long long> frames;
};

long long passes_to_cover(Duration span, Duration period) {
    return span <= Duration::zero() ? 0 : (span + period - Duration(1)) / period;
}

std::optional<Ending> frame_limit_end(const SeriesFigures& f, const Standing& s, Duration period) {
    if (f.plan.maxFrames == 0 || f.framesPerPass <= 0)
        return std::nullopt;
    const long long left = f.plan.maxFrames - s.frames;
    const long long passes = left <= 0 ? 0 : (left + f.framesPerPass - 1) / f.framesPerPass;
    const std::optional<Time> end = after(s.nextPass, passes, period);
    if (!end)
        return std::nullopt;
    return Ending{*end, s.frames + passes * f.framesPerPass};
}

// The limit is tested as each pause ends, so the series ends at the first test after it.
std::optional<Ending> time_limit_end(const SeriesFigures& f, const Standing& s, Duration period) {
    if (f.plan.runtimeMinutes == 0)
        return std::nullopt;
    const Time deadline = f.start + std::chrono::minutes(f.plan.runtimeMinutes);
    if (period <= Duration::zero())
        return Ending{std::max(s.nextPass, deadline), std::nullopt};
    const long long passes = passes_to_cover(deadline - s.nextPass, period);
    std::optional<long long> frames;
    if (passes <= INT32_MAX)
        frames = s.frames + passes * f.framesPerPass;
    return Ending{s.nextPass + passes * period, frames};
}

const wxString separator = wxString::FromUTF8(" \u00b7 ");

wxString size_text(std::uint64_t bytes) {
    return wxFileName::GetHumanReadableSize(wxULongLong(bytes), "0 B", 1, wxSIZE_CONV_SI);
}

wxString movie_length(long long frames) {
    const double seconds = static_cast<double>(frames) / movieFramesPerSecond;
    if (seconds < 60)
        return wxString::Format("%.1f s", seconds);
    const long long whole = static_cast<long long>(seconds);
    if (whole < 3600)
        return wxString::Format("%lld:%02lld", whole / 60, whole % 60);
    return wxString::Format("%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
}

wxString clock_text(Time when, Time now) {
    const wxDateTime at(std::chrono::system_clock::to_time_t(when));
    const wxDateTime today(std::chrono::system_clock::to_time_t(now));
    return at.Format(at.IsSameDate(today) ? "%H:%M" : "%a %H:%M");
}

} // namespace

SeriesForecast forecast_series(const SeriesFigures& figures) {
    const SeriesFigures f = within_reach(figures);
    const Standing s = standing(f);
    const Duration period = f.passLength + std::chrono::seconds(f.plan.interval);
    std::optional<Ending> ending = frame_limit_end(f, s, period);
    if (const auto byTime = time_limit_end(f, s, period);
        byTime && (!ending || byTime->end < ending->end))
        ending = byTime;

    SeriesForecast forecast;
    if (!ending)
        return forecast;
    forecast.end = ending->end;
    if (ending->frames && *ending->frames <= INT32_MAX)
        forecast.framesAtEnd = static_cast<int>(*ending->frames);
    if (forecast.framesAtEnd && f.pictureSize)
        forecast.roomNeeded = *f.pictureSize * static_cast<std::uint64_t>(
                                                   std::max(0, *forecast.framesAtEnd - f.frames));
    forecast.diskShort = forecast.roomNeeded && f.freeBytes && *forecast.roomNeeded > *f.freeBytes;
    return forecast;
}

wxString progress_text(const SeriesFigures& f, const SeriesForecast& forecast,
                       const std::optional<std::string>& battery, const std::string& notice) {
    wxArrayString parts;
    if (forecast.diskShort)
        parts.Add("The disk will not last: " + size_text(*forecast.roomNeeded) + " needed, " +
                  size_text(*f.freeBytes) + " free");
    if (!notice.empty())
        parts.Add(wxString::FromUTF8(notice));

    wxString count = wxString::Format("Frame %d", f.frames);
    if (f.plan.maxFrames != 0)
        count += wxString::Format(" of %ld", f.plan.maxFrames);
    if (f.plan.runtimeMinutes != 0) {
        const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(f.now - f.start);
        count += wxString::Format(", minute %lld of %ld", static_cast<long long>(minutes.count()),
                                  f.plan.runtimeMinutes);
    }
    parts.Add(count);

    if (f.armedUntil) {
        const auto wait = std::chrono::ceil<std::chrono::minutes>(*f.armedUntil - f.now);
        const long long minutes = std::max<long long>(0, wait.count());
        parts.Add("starts " + clock_text(*f.armedUntil, f.now) +
                  wxString::Format(", in %lld h %02lld min", minutes / 60, minutes % 60));
    } else if (f.nextPass) {
        const auto wait = std::chrono::ceil<std::chrono::seconds>(*f.nextPass - f.now);
        parts.Add(wxString::Format("next in %lld s",
                                   static_cast<long long>(std::max<long long>(0, wait.count()))));
    } else {
        parts.Add("capturing");
    }
    parts.Add(forecast.end ? "ends about " + clock_text(*forecast.end, f.now) : "no end set");
    parts.Add(forecast.framesAtEnd ? "movie " + movie_length(*forecast.framesAtEnd)
                                   : "movie " + movie_length(f.frames) + " so far");
    if (f.freeBytes && !forecast.diskShort)
        parts.Add(forecast.roomNeeded ? "disk " + size_text(*forecast.roomNeeded) + " of " +
                                            size_text(*f.freeBytes) + " free"
                                      : "disk " + size_text(*f.freeBytes) + " free");
    if (battery)
        parts.Add("battery " + wxString::FromUTF8(*battery));
    wxString line;
    for (const wxString& part : parts)
        line += (line.empty() ? "" : separator) + part;
    return line;
}
