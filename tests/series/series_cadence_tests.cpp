// SPDX-License-Identifier: GPL-3.0-or-later
// When the passes of a series fall, on a series clock that the test drives: a steady cadence
// against the classic pause after each pass, and a series armed to start and end by the clock.
#include "series/series_window.h"

#include "app/command_turns.h"
#include "app/series_options_store.h"
#include "app/series_page.h"
#include "capture/series.h"
#include "movie/movie_source.h"
#include "record/series_record.h"
#include "support/driven_clock.h"
#include "support/time_zone.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <wx/statusbr.h>

namespace {

using namespace std::chrono_literals;
using Wall = std::chrono::system_clock;

// 2026-06-21 10:00:00 UTC.
const Wall::time_point tenOClock = Wall::from_time_t(1782036000);

// The options a series reads while the test lives; the defaults again afterwards. Made once
// the window, which loads them, is built.
class OptionsInUse {
  public:
    explicit OptionsInUse(const SeriesOptions& options) { set_window_series_options(options); }
    ~OptionsInUse() { set_window_series_options(SeriesOptions()); }
};

SeriesOptions with_cadence(Cadence cadence) {
    SeriesOptions options;
    options.cadence = cadence;
    return options;
}

// Pumps events until a pass later than `pass` is at the camera, and returns its number.
int next_pass_at_camera(int pass) {
    int now = 0;
    pump_until(
        [&] {
            now = series_pass();
            return now > pass && command_turns().camera_busy();
        },
        10000);
    return now > pass ? now : 0;
}

std::string record_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The lines after the header, without their ends.
std::vector<std::string> data_lines(const std::string& text) {
    std::vector<std::string> lines;
    for (auto at = text.find("\r\n"); at + 2 < text.size();) {
        const auto end = text.find("\r\n", at + 2);
        lines.push_back(text.substr(at + 2, end - at - 2));
        at = end;
    }
    return lines;
}

// Fields of a line without quotes.
std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

const char oldHeader[] = "frame,pass,time,file,camera_folder,camera_name,size,outcome";

struct CadenceCase {
    const char* name;
    Cadence cadence;
    const char* waits[3];     // the sleeping lines after the three passes
    const char* nextPassWall; // when the pass after the third is due, as the record writes it
    std::vector<int> passes;  // the record's pass numbers of the three frames
    std::string header;       // of the record
    // Each row: frame:pass, then its outcome and what follows it.
    std::vector<std::string> rowEnds;
};

class SeriesCadenceTest : public testing::TestWithParam<CadenceCase> {};

// Interval 10 s; the three passes take 3 s, 25 s and 2 s of the clock; Stop during the pause
// after the third.
TEST_P(SeriesCadenceTest, SlowPassesStopDuringTheWaitAndTheRecord) {
    const CadenceCase& c = GetParam();
    TimeZone zone("UTC0");
    DrivenClock clock(tenOClock);
    SeriesWindow w("capture-delay-ms 300\n");
    OptionsInUse options(with_cadence(c.cadence));
    w.settings("10", "0", "0");
    click(startButton);

    const std::chrono::seconds takes[] = {3s, 25s, 2s};
    int pass = 0;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("pass " + std::to_string(i + 1));
        pass = next_pass_at_camera(pass);
        ASSERT_NE(pass, 0);
        clock.advance(takes[i]);
        // The pass ends, then the worker waits for the clock or, with nothing to wait for,
        // goes on at once.
        ASSERT_TRUE(pump_until(
            [&] {
                return clock.waiting_until() ||
                       (series_pass() > pass && command_turns().camera_busy());
            },
            10000));
        if (i < 2)
            clock.finish_wait();
    }
    ASSERT_TRUE(w.console_ends_with(std::string("Sleeping for ") + c.waits[2], 10000));
    const SeriesProgress progress = series_progress();
    EXPECT_TRUE(progress.underWay);
    EXPECT_EQ(progress.framesTaken, 3);
    EXPECT_EQ(progress.nextPass, clock.waiting_until());
    ASSERT_TRUE(progress.nextPassWall);
    EXPECT_EQ(record_time_text(*progress.nextPassWall), c.nextPassWall);

    click(stopButton);
    EXPECT_EQ(buttons(), idle);
    pump_events(100);
    EXPECT_EQ(workers(), 1u) << "Stop takes effect when the wait under way ends";
    EXPECT_FALSE(series_progress().underWay);
    clock.finish_wait();
    ASSERT_TRUE(series_ended(10000));

    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) +
                                    "Sleeping for " + c.waits[0] + "done.\n\n" + w.pass(2, 2) +
                                    "Sleeping for " + c.waits[1] + "done.\n\n" + w.pass(3, 3) +
                                    "Sleeping for " + c.waits[2] + stopping);
    EXPECT_EQ(w.camera.count("capture "), 3);

    const std::string path = newest_series_record(w.pictures.path());
    const std::string text = record_text(path);
    ASSERT_EQ(text.substr(0, text.find("\r\n")), c.header);
    std::vector<std::string> ends;
    for (const std::string& line : data_lines(text)) {
        const std::vector<std::string> fields = split(line);
        std::string end = fields[0] + ":" + fields[1];
        for (std::size_t f = 7; f < fields.size(); ++f)
            end += "," + fields[f];
        ends.push_back(end);
    }
    EXPECT_EQ(ends, c.rowEnds) << text;
    if (c.cadence == Cadence::Steady) {
        EXPECT_NE(text.find("\r\n0,3,2026-06-21T10:00:20.000Z,,,,,missed,"
                            "2026-06-21T10:00:20.000Z,\r\n"),
                  std::string::npos)
            << "a missed slot's row is dated when it was due and names no file";
    }

    const SeriesRecord record = read_series_record(path);
    EXPECT_EQ(record.unreadableRows, 0);
    ASSERT_EQ(record.rows.size(), c.rowEnds.size());
    std::vector<int> passes;
    for (const SeriesRecordRow& row : record.rows)
        if (row.outcome == SeriesOutcome::Written)
            passes.push_back(row.pass);
    EXPECT_EQ(passes, c.passes);
    const MovieSource movie = gather_pictures(path);
    EXPECT_EQ(movie.error, "");
    ASSERT_EQ(movie.pictures.size(), 3u) << "a missed slot has no picture to show";
    EXPECT_EQ(std::filesystem::path(movie.pictures[2].path).filename(), "IMG_0003.JPG");
    EXPECT_TRUE(movie.missing.empty());
}

INSTANTIATE_TEST_SUITE_P(
    PauseAndSteady, SeriesCadenceTest,
    testing::Values(
        // The classic series waits the interval after each pass, whatever the pass took.
        CadenceCase{"Pause",
                    Cadence::Pause,
                    {"10 seconds... ", "10 seconds... ", "10 seconds... "},
                    "2026-06-21T10:01:00.000Z",
                    {1, 2, 3},
                    oldHeader,
                    {"1:1,written", "2:2,written", "3:3,written"}},
        // Slots at 0, 10, 20, 30 s: the second pass ends at 35 s, so the slot at 20 s is
        // missed and the one at 30 s runs at once, 5 s late.
        CadenceCase{
            "Steady",
            Cadence::Steady,
            {"7.0 seconds... ", "0.0 seconds... ", "3.0 seconds... "},
            "2026-06-21T10:00:40.000Z",
            {1, 2, 4},
            std::string(oldHeader) + ",scheduled,lateness_ms",
            {"1:1,written,2026-06-21T10:00:00.000Z,0", "2:2,written,2026-06-21T10:00:10.000Z,0",
             "0:3,missed,2026-06-21T10:00:20.000Z,", "3:4,written,2026-06-21T10:00:30.000Z,5000"}}),
    [](const testing::TestParamInfo<CadenceCase>& info) { return info.param.name; });

struct ArmedCase {
    const char* name;
    SeriesTime endAt;
    const char* runtime;
    const char* announced; // after the armed line
    const char* ending;
};

class SeriesArmedTest : public testing::TestWithParam<ArmedCase> {};

// Armed at 10:00 for 10:30, steady passes every 20 s from then on: at 10:30:00, :20 and :40;
// the end is found after the pause that ends at 10:31:00.
TEST_P(SeriesArmedTest, CountsDownStartsAtTheSetTimeAndEnds) {
    const ArmedCase& c = GetParam();
    TimeZone zone("UTC0");
    DrivenClock clock(tenOClock);
    SeriesWindow w;
    SeriesOptions chosen = with_cadence(Cadence::Steady);
    chosen.startAt = SeriesTime::clock(10, 30);
    chosen.endAt = c.endAt;
    OptionsInUse options(chosen);
    w.settings("20", c.runtime, "0");
    click(startButton);

    ASSERT_TRUE(pump_until([&] { return clock.waiting_until().has_value(); }, 10000));
    EXPECT_EQ(*clock.waiting_until() - clock.now(), 30min);
    EXPECT_EQ(buttons(), (Buttons{false, false, true})) << "armed";
    const SeriesProgress armed = series_progress();
    EXPECT_TRUE(armed.underWay);
    EXPECT_EQ(armed.armedUntil, tenOClock + 30min);
    EXPECT_FALSE(armed.nextPass);
    EXPECT_FALSE(armed.runtimeEnd) << "the runtime counts from the first pass";
    clock.advance(29min);
    pump_events(100);
    EXPECT_EQ(w.camera.count("capture "), 0);
    ASSERT_TRUE(series_progress().armedUntil);
    EXPECT_EQ(*series_progress().armedUntil - clock.wall_now(), 1min) << "counting down";
    wxStatusBar* bar = (*w.frame)->GetStatusBar();
    EXPECT_TRUE(pump_until(
        [&] {
            return bar->GetFieldsCount() == 2 &&
                   bar->GetStatusText(1).Contains("starts 10:30, in 0 h 01 min");
        },
        3000))
        << bar->GetStatusText(1);
    EXPECT_EQ(newest_series_record(w.pictures.path()), "") << "no record before the first pass";

    ASSERT_TRUE(pump_until(
        [&] {
            clock.finish_wait();
            return workers() == 0 && buttons() == idle;
        },
        20000));
    const char slept[] = "Sleeping for 20.0 seconds... done.\n\n";
    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" +
                                    "Armed: the series starts at 2026-06-21 10:30:00 (10:30).\n" +
                                    c.announced + w.pass(1, 1) + slept + w.pass(2, 2) + slept +
                                    w.pass(3, 3) + slept + c.ending);
    EXPECT_TRUE(w.log.errors().empty());

    const std::string path = newest_series_record(w.pictures.path());
    EXPECT_EQ(std::filesystem::path(path).filename(), "vantlow-series-20260621-103000.csv")
        << "named after the first pass";
    const SeriesRecord record = read_series_record(path);
    ASSERT_EQ(record.rows.size(), 3u);
    const char* due[] = {"2026-06-21T10:30:00.000Z", "2026-06-21T10:30:20.000Z",
                         "2026-06-21T10:30:40.000Z"};
    for (int i = 0; i < 3; ++i) {
        const SeriesRecordRow& row = record.rows[i];
        ASSERT_TRUE(row.field(record_column::scheduled) && row.field(record_column::latenessMs));
        EXPECT_EQ(*row.field(record_column::scheduled), due[i]);
        EXPECT_EQ(*row.field(record_column::latenessMs), "0");
    }
}

INSTANTIATE_TEST_SUITE_P(
    ByEndTimeAndByRuntime, SeriesArmedTest,
    testing::Values(ArmedCase{"EndAt", SeriesTime::clock(10, 31), "0",
                              "The series ends at 2026-06-21 10:31:00 (10:31) at the latest.\n",
                              "End time 10:31 reached - stopping capture.\n"},
                    // Counted from Start, the runtime would end the series after its first pass.
                    ArmedCase{"Runtime", SeriesTime::limits(), "1", "",
                              "1 minutes have elapsed - stopping capture.\n"}),
    [](const testing::TestParamInfo<ArmedCase>& info) { return info.param.name; });

TEST(SeriesArmed, StopDisarmsAtOnce) {
    TimeZone zone("UTC0");
    DrivenClock clock(tenOClock);
    SeriesWindow w;
    SeriesOptions chosen;
    chosen.startAt = SeriesTime::clock(9, 0); // tomorrow's
    OptionsInUse options(chosen);
    w.settings("5", "0", "0");
    click(startButton);
    ASSERT_TRUE(pump_until([&] { return clock.waiting_until().has_value(); }, 10000));
    EXPECT_EQ(*series_progress().armedUntil, tenOClock + 23h);
    click(stopButton);
    ASSERT_TRUE(series_ended(5000)) << "with the clock standing still";
    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" +
                                    "Armed: the series starts at 2026-06-22 09:00:00 (09:00).\n" +
                                    stopping);
    EXPECT_EQ(w.camera.count("capture "), 0);
    EXPECT_EQ(newest_series_record(w.pictures.path()), "");
    EXPECT_FALSE(series_progress().underWay);
}

// A start or end time that cannot come is said at Start, and nothing is armed.
TEST(SeriesArmed, ATimeThatCannotComeIsSaidAtStart) {
    TimeZone zone("UTC0");
    DrivenClock clock(tenOClock);
    SeriesWindow w;
    struct Case {
        SeriesTime startAt, endAt;
        std::optional<double> latitude, longitude;
        const char* line;
    };
    // Longyearbyen, Svalbard: the midnight sun in June.
    const Case cases[] = {
        {SeriesTime::sun(SunEvent::Sunrise, -30),
         SeriesTime::limits(),
         {},
         {},
         "The series is not armed: sunrise-30 needs the place: set Latitude and Longitude."},
        {SeriesTime::now(), SeriesTime::sun(SunEvent::Sunset), 78.22, 15.65,
         "The series is not armed: There is no sunset on 2026-06-21 here: the sun stays above "
         "the horizon all day (polar day)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SeriesOptions chosen;
        chosen.startAt = c.startAt;
        chosen.endAt = c.endAt;
        chosen.latitude = c.latitude;
        chosen.longitude = c.longitude;
        OptionsInUse options(chosen);
        StdoutCapture console;
        LogCapture log;
        click(startButton);
        ASSERT_TRUE(series_ended(5000));
        EXPECT_EQ(console.text(), std::string("Starting capture.\n\n") + c.line + "\n");
        EXPECT_EQ(log.errors(), std::vector<std::string>{c.line});
        EXPECT_FALSE(series_progress().underWay);
    }
    EXPECT_EQ(w.camera.count("capture "), 0);
    EXPECT_EQ(newest_series_record(w.pictures.path()), "");
}

} // namespace
