// SPDX-License-Identifier: GPL-3.0-or-later
// Start and end times as written, and clock times in the local time zone.
#include "capture/series_schedule.h"
#include "capture/series_time.h"
#include "schedule/time_zone.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using Clock = std::chrono::system_clock;

struct ValidText {
    const char* text;
    SeriesTime time;
    const char* canonical;
};

void PrintTo(const ValidText& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class SeriesTimeText : public testing::TestWithParam<ValidText> {};

TEST_P(SeriesTimeText, ParsesAndReadsBack) {
    const auto time = parse_series_time(GetParam().text);
    ASSERT_TRUE(time);
    EXPECT_EQ(*time, GetParam().time);
    EXPECT_EQ(series_time_text(*time), GetParam().canonical);
    EXPECT_EQ(parse_series_time(GetParam().canonical), time);
}

INSTANTIATE_TEST_SUITE_P(
    Valid, SeriesTimeText,
    testing::Values(ValidText{"now", SeriesTime::now(), "now"},
                    ValidText{"Limits", SeriesTime::limits(), "limits"},
                    ValidText{"7:05", SeriesTime::clock(7, 5), "07:05"},
                    ValidText{"00:00", SeriesTime::clock(0, 0), "00:00"},
                    ValidText{"23:59", SeriesTime::clock(23, 59), "23:59"},
                    ValidText{"sunrise-30", SeriesTime::sun(SunEvent::Sunrise, -30), "sunrise-30"},
                    ValidText{"sunset+15", SeriesTime::sun(SunEvent::Sunset, 15), "sunset+15"},
                    ValidText{"dawn", SeriesTime::sun(SunEvent::Dawn), "dawn"},
                    ValidText{"DUSK-10", SeriesTime::sun(SunEvent::Dusk, -10), "dusk-10"},
                    ValidText{"sunset+0", SeriesTime::sun(SunEvent::Sunset), "sunset"},
                    ValidText{"dawn-720", SeriesTime::sun(SunEvent::Dawn, -720), "dawn-720"}));

class SeriesTimeBadText : public testing::TestWithParam<const char*> {};

TEST_P(SeriesTimeBadText, IsRefused) {
    EXPECT_FALSE(parse_series_time(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Invalid, SeriesTimeBadText,
                         testing::Values("", " now", "later", "24:00", "12:60", "12:5", "123:00",
                                         "-1:00", "12:30pm", "1230", "noon", "sunrise+",
                                         "sunrise30", "sunrise -30", "sunrise+-5", "sunrise+1.5",
                                         "sunrise+721", "sunset-0030", "twilight", "sunrises"));

// Local time at the given fields, as the photographer's clock shows it.
Clock::time_point local(int year, int month, int day, int hour, int minute) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    return Clock::from_time_t(std::mktime(&tm));
}

std::tm fields(Clock::time_point time) {
    const std::time_t seconds = Clock::to_time_t(time);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    return tm;
}

class ClockTimes : public testing::TestWithParam<const char*> {
  protected:
    TimeZone zone_{GetParam()};
};

// Noon on 28 March 2026, the day before Europe moves its clocks forward: a clock time that has
// passed is tomorrow's, by the clock on the wall, summer time or not.
TEST_P(ClockTimes, PastTodayMeansTomorrowByTheLocalClock) {
    const Clock::time_point now = local(2026, 3, 28, 12, 0);
    struct Case {
        int hour, minute, day;
    };
    for (const Case c : {Case{12, 0, 28}, Case{12, 1, 28}, Case{23, 59, 28}, Case{11, 59, 29},
                         Case{0, 0, 29}, Case{7, 30, 29}}) {
        SCOPED_TRACE(testing::Message() << c.hour << ':' << c.minute);
        const NextTime next = next_series_time(SeriesTime::clock(c.hour, c.minute), {}, now);
        ASSERT_EQ(next.outcome, NextTime::Outcome::At);
        EXPECT_GE(next.time, now);
        EXPECT_LT(next.time - now, std::chrono::hours(25));
        const std::tm tm = fields(next.time);
        EXPECT_EQ(tm.tm_year + 1900, 2026);
        EXPECT_EQ(tm.tm_mon + 1, 3);
        EXPECT_EQ(tm.tm_mday, c.day);
        EXPECT_EQ(tm.tm_hour, c.hour);
        EXPECT_EQ(tm.tm_min, c.minute);
        EXPECT_EQ(tm.tm_sec, 0);
    }
    // A moment into the minute has passed it.
    const NextTime next =
        next_series_time(SeriesTime::clock(12, 0), {}, now + std::chrono::milliseconds(1));
    EXPECT_EQ(fields(next.time).tm_mday, 29);

    EXPECT_EQ(next_series_time(SeriesTime::now(), {}, now).time, now);
    EXPECT_EQ(next_series_time(SeriesTime::now(), {}, now).outcome, NextTime::Outcome::At);
    EXPECT_EQ(next_series_time(SeriesTime::limits(), {}, now).outcome, NextTime::Outcome::Never);
    const NextTime noPlace = next_series_time(SeriesTime::sun(SunEvent::Sunset, 15), {}, now);
    EXPECT_EQ(noPlace.outcome, NextTime::Outcome::NoLocation);
    EXPECT_EQ(series_time_problem(SeriesTime::sun(SunEvent::Sunset, 15), noPlace),
              "sunset+15 needs the place: set Latitude and Longitude.");
}

// POSIX rules, so that no time zone database is needed: UTC, central Europe, the US west
// coast (already on summer time that day), India and the Chatham Islands (quarter hours).
INSTANTIATE_TEST_SUITE_P(Zones, ClockTimes,
                         testing::Values("UTC0", "CET-1CEST,M3.5.0,M10.5.0/3",
                                         "PST8PDT,M3.2.0,M11.1.0", "IST-5:30",
                                         "<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45"));

} // namespace
