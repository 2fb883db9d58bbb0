// SPDX-License-Identifier: GPL-3.0-or-later
// Sun times checked against facts anyone can look up: day length at the equinoxes and at
// midsummer, solar noon at Greenwich through the year, the midnight sun and the polar night.
#include "capture/series_schedule.h"
#include "schedule/time_zone.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using Clock = std::chrono::system_clock;
using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

Clock::time_point utc(int year, int month, int day, int hour = 0, int minute = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    return Clock::from_time_t(timegm(&tm));
}

double in_minutes(Clock::duration d) {
    return std::chrono::duration<double, std::ratio<60>>(d).count();
}

Clock::time_point next(SunEvent event, const Location& where, Clock::time_point now,
                       int offsetMinutes = 0) {
    const NextTime found = next_series_time(SeriesTime::sun(event, offsetMinutes), where, now);
    EXPECT_EQ(found.outcome, NextTime::Outcome::At) << sun_event_name(event);
    EXPECT_GE(found.time, now) << sun_event_name(event);
    return found.time;
}

// One day's dawn, sunrise, sunset and dusk, from the first sunrise after `from`.
struct Day {
    Clock::time_point dawn, sunrise, sunset, dusk;
};

Day day_after(const Location& where, Clock::time_point from) {
    Day day;
    day.sunrise = next(SunEvent::Sunrise, where, from);
    day.sunset = next(SunEvent::Sunset, where, day.sunrise);
    day.dawn = next(SunEvent::Dawn, where, day.sunrise - hours(3));
    day.dusk = next(SunEvent::Dusk, where, day.sunset);
    return day;
}

struct Place {
    const char* name;
    Location where;
};

void PrintTo(const Place& p, std::ostream* out) {
    *out << p.name;
}

class Equinox : public testing::TestWithParam<Place> {};

// About 12 h 07 min of day away from the poles: the sun's disc and refraction add minutes at
// both ends. Civil twilight lasts some 20 to 35 minutes there.
TEST_P(Equinox, DayLastsTwelveHoursAndSevenMinutes) {
    for (const Clock::time_point date : {utc(2026, 3, 20), utc(2026, 9, 23)}) {
        const Day day = day_after(GetParam().where, date);
        EXPECT_LT(day.sunrise - date, hours(24));
        EXPECT_NEAR(in_minutes(day.sunset - day.sunrise), 12 * 60 + 7, 3);
        EXPECT_GT(day.sunrise - day.dawn, minutes(20));
        EXPECT_LT(day.sunrise - day.dawn, minutes(35));
        EXPECT_GT(day.dusk - day.sunset, minutes(20));
        EXPECT_LT(day.dusk - day.sunset, minutes(35));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Places, Equinox,
    testing::Values(Place{"Gulf of Guinea", {0, 0}}, Place{"Quito", {-0.18, -78.47}},
                    Place{"Cairo", {30.04, 31.24}}, Place{"Mexico City", {19.43, -99.13}},
                    Place{"Singapore", {1.35, 103.82}}, Place{"Kiribati", {1.87, -157.36}}));

// Quito is five hours behind UTC and lies almost on the equator: sunrise is close to 06:15
// local time, 11:15 UTC, all year. Taken as east, its longitude would give 00:45 UTC.
TEST(SunTimes, LongitudeIsEastPositive) {
    const Clock::time_point sunrise = next(SunEvent::Sunrise, {-0.18, -78.47}, utc(2026, 3, 20));
    EXPECT_NEAR(in_minutes(sunrise - utc(2026, 3, 20)), 11 * 60 + 15, 20);
}

class Midsummer : public testing::TestWithParam<Place> {};

// At 60 degrees north the longest day lasts about 18 h 50 min, and civil twilight does not
// quite end at midnight.
TEST_P(Midsummer, DayAtSixtyNorthLastsEighteenHoursFifty) {
    const Day day = day_after(GetParam().where, utc(2026, 6, 21));
    EXPECT_NEAR(in_minutes(day.sunset - day.sunrise), 18 * 60 + 50, 6);
    EXPECT_GT(day.sunrise - day.dawn, minutes(60));
    EXPECT_GT(day.dusk - day.sunset, minutes(60));
}

INSTANTIATE_TEST_SUITE_P(Places, Midsummer,
                         testing::Values(Place{"Greenwich meridian", {60, 0}},
                                         Place{"Oslo", {60, 10.75}}, Place{"Helsinki", {60, 25}},
                                         Place{"Alaska", {60, -150}}));

struct NoonCase {
    int month, day;
    double noonMinutes; // after 12:00 UTC, from the equation of time
};

void PrintTo(const NoonCase& c, std::ostream* out) {
    *out << c.month << '-' << c.day;
}

class SolarNoon : public testing::TestWithParam<NoonCase> {};

// Solar noon at Greenwich, halfway between sunrise and sunset, runs from a quarter of an hour
// early in early November to a quarter of an hour late in mid-February.
TEST_P(SolarNoon, AtGreenwichFollowsTheEquationOfTime) {
    const NoonCase c = GetParam();
    const Location greenwich{51.4779, 0};
    const Clock::time_point midnight = utc(2026, c.month, c.day);
    const Day day = day_after(greenwich, midnight);
    const Clock::time_point noon = day.sunrise + (day.sunset - day.sunrise) / 2;
    const double late = in_minutes(noon - (midnight + hours(12)));
    EXPECT_NEAR(late, c.noonMinutes, 1.5);
    EXPECT_GE(late, -17);
    EXPECT_LE(late, 15);
}

INSTANTIATE_TEST_SUITE_P(Dates, SolarNoon,
                         testing::Values(NoonCase{2, 11, 14.2}, NoonCase{4, 15, 0.0},
                                         NoonCase{6, 13, 0.0}, NoonCase{7, 26, 6.5},
                                         NoonCase{11, 3, -16.4}, NoonCase{12, 25, 0.0}));

// Offsets move the event, and a time that has passed today is the next day's.
TEST(SunTimes, OffsetsAndTimesAlreadyPast) {
    const Location greenwich{51.4779, 0};
    const Day day = day_after(greenwich, utc(2026, 5, 1));
    const auto near = [](Clock::time_point found, Clock::time_point expected, double tolerance) {
        EXPECT_NEAR(in_minutes(found - expected), 0, tolerance);
    };
    // The day after, sunrise and sunset move by about two minutes at the start of May.
    near(next(SunEvent::Sunrise, greenwich, day.sunrise - minutes(40), -30),
         day.sunrise - minutes(30), 1);
    near(next(SunEvent::Sunrise, greenwich, day.sunrise - minutes(20), -30),
         day.sunrise + hours(24) - minutes(30), 4);
    near(next(SunEvent::Sunset, greenwich, day.sunset + minutes(5), 15), day.sunset + minutes(15),
         1);
    near(next(SunEvent::Sunset, greenwich, day.sunset + minutes(20), 15),
         day.sunset + hours(24) + minutes(15), 4);
    near(next(SunEvent::Sunrise, greenwich, day.sunrise), day.sunrise, 1);
    near(next(SunEvent::Sunrise, greenwich, day.sunrise + minutes(2)), day.sunrise + hours(24), 4);
    near(next(SunEvent::Dusk, greenwich, day.sunset, -10), day.dusk - minutes(10), 1);
}

class Sweep : public testing::TestWithParam<Place> {};

// Asked at any hour, the next event is less than a day ahead; asked in the minutes before an
// event, it is that one, and a second after it, the next day's. None is skipped or served twice.
TEST_P(Sweep, EveryEventComesOnceAndInTurn) {
    const Location where = GetParam().where;
    const Clock::time_point start = utc(2026, 10, 10);
    for (const SunEvent event :
         {SunEvent::Dawn, SunEvent::Sunrise, SunEvent::Sunset, SunEvent::Dusk}) {
        SCOPED_TRACE(sun_event_name(event));
        for (Clock::time_point now = start; now < start + hours(48); now += minutes(53))
            EXPECT_LT(next(event, where, now) - now, hours(24) + minutes(5));
        Clock::time_point coming = next(event, where, start);
        for (int day = 0; day < 3; ++day) {
            for (int early = 0; early <= 12; ++early)
                EXPECT_NEAR(in_minutes(next(event, where, coming - minutes(early)) - coming), 0,
                            0.1)
                    << early << " minutes before";
            const Clock::time_point following = next(event, where, coming + seconds(1));
            EXPECT_NEAR(in_minutes(following - coming), 24 * 60, 5);
            coming = following;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Places, Sweep,
                         testing::Values(Place{"Greenwich", {51.4779, 0}},
                                         Place{"Honolulu", {21.31, -157.86}},
                                         Place{"Tokyo", {35.68, 139.69}},
                                         Place{"Punta Arenas", {-53.16, -70.91}}));

struct PolarCase {
    int month;
    SunEvent event;
    NextTime::Outcome outcome;
    const char* problem;
};

void PrintTo(const PolarCase& c, std::ostream* out) {
    *out << sun_event_name(c.event) << " in month " << c.month;
}

class Polar : public testing::TestWithParam<PolarCase> {};

// Tromso, at 69.6 degrees north: midnight sun on 21 June, polar night on 21 December, when
// the sun still climbs to within 6 degrees of the horizon at noon, so dawn and dusk happen.
TEST_P(Polar, DayAndNightAtSeventyNorth) {
    const PolarCase c = GetParam();
    const TimeZone norway("CET-1CEST,M3.5.0,M10.5.0/3"); // the date in the sentence is local
    const SeriesTime when = SeriesTime::sun(c.event, -30);
    const Clock::time_point now = utc(2026, c.month, 21, 12);
    const NextTime next = next_series_time(when, Location{69.65, 18.96}, now);
    EXPECT_EQ(next.outcome, c.outcome);
    EXPECT_EQ(series_time_problem(when, next), c.problem);
    if (c.outcome == NextTime::Outcome::At) {
        EXPECT_GE(next.time, now);
        EXPECT_LT(next.time - now, hours(24));
    }
}

using O = NextTime::Outcome;
INSTANTIATE_TEST_SUITE_P(
    Tromso, Polar,
    testing::Values(
        PolarCase{6, SunEvent::Sunrise, O::SunStaysUp,
                  "There is no sunrise on 2026-06-21 here: the sun stays above the horizon all "
                  "day (polar day)."},
        PolarCase{6, SunEvent::Sunset, O::SunStaysUp,
                  "There is no sunset on 2026-06-21 here: the sun stays above the horizon all "
                  "day (polar day)."},
        PolarCase{6, SunEvent::Dusk, O::SunStaysUp,
                  "There is no dusk on 2026-06-21 here: the sun stays less than 6 degrees below "
                  "the horizon all night."},
        PolarCase{12, SunEvent::Sunrise, O::SunStaysDown,
                  "There is no sunrise on 2026-12-21 here: the sun stays below the horizon all "
                  "day (polar night)."},
        PolarCase{12, SunEvent::Sunset, O::SunStaysDown,
                  "There is no sunset on 2026-12-21 here: the sun stays below the horizon all "
                  "day (polar night)."},
        PolarCase{12, SunEvent::Dawn, O::At, ""}, PolarCase{12, SunEvent::Dusk, O::At, ""}));

} // namespace
