// SPDX-License-Identifier: GPL-3.0-or-later
// A series told to wait for a lost camera: a body that drops off the cable is taken back, the
// pictures left on its card are fetched and the series goes on with nothing lost. Another body,
// a camera that stays away, or a failure of another kind ends it as a failed capture does.
#include "series/series_window.h"

#include "app/series_options_store.h"
#include "app/series_page.h"
#include "capture/series_clock.h"
#include "record/series_record.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The body's serial number is in its configuration, as on most cameras.
std::string body(const char* serial) {
    return std::string("config \"Camera Configuration\"\n  text serialnumber \"Serial Number\" "
                       "value=\"") +
           serial + "\"\nend\npicture jpeg 64 48\n";
}

// What the window prints as it opens on such a body.
const char opened[] =
    "Detecting Camera.\n\nCamera initialised.\n\nFound parameter: serialnumber\n\n";

SeriesOptions reconnecting(long minutes) {
    SeriesOptions options;
    options.onCameraLost = CameraLost::Reconnect;
    options.reconnectMinutes = minutes;
    return options;
}

std::string lost_line(const char* minutes) {
    return std::string("Camera lost (-7: I/O problem); trying to reconnect every 2 seconds for up "
                       "to ") +
           minutes + ".\n";
}

const char failedCapture[] = "Could not capture image:\t-7\nCheck the camera and re-initialise.\n";
const char slept[] = "Sleeping for 1 seconds... done.\n\n";
const char back[] = "<back>\n\n";
// The pass after the return writes every box, though none has changed.
const char boxes[] = "Setting camera paramaters:\n\n";

std::string located(const std::string& name) {
    return "New file is in location /DCIM/100SIMCM/" + name + " on the camera.\n";
}

std::string written(const SeriesWindow& w, const std::string& name, int count) {
    return "Written file " + std::to_string(count) + ": " + w.pictures.file(name) + "\n";
}

std::string deleted(const std::string& name) {
    return "File " + name + " deleted from camera.\n";
}

// The one line that says the camera is back, with its time away, becomes `back`.
std::string with_return_marked(const std::string& console) {
    static const std::regex line("Camera back after [0-9]+ s; going on with the series\\.\n\n");
    return std::regex_replace(console, line, back);
}

// Frame, outcome and camera name of each row of the newest record.
std::vector<std::string> record_rows(const TempDir& dir) {
    std::vector<std::string> rows;
    for (const SeriesRecordRow& row : read_series_record(newest_series_record(dir.path())).rows)
        rows.push_back(std::to_string(row.frame) + " " + outcome_text(row.outcome) + " " +
                       row.cameraName);
    return rows;
}

std::set<std::string> pictures_in(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (!is_series_record_name(entry.path().filename().string()))
            names.insert(entry.path().filename().string());
    return names;
}

struct VanishCase {
    const char* name;
    const char* directive;
    const char* frames; // per pass
    const char* maxFrames;
    const char* lostCall;  // the call that found the camera gone, as the camera logs it
    const char* firstBack; // the first call on the picture after the return
    std::string (*console)(const SeriesWindow& w);
    std::vector<std::string> rows;
    std::set<std::string> files;
};

void PrintTo(const VanishCase& c, std::ostream* out) {
    *out << c.name;
}

const VanishCase vanishCases[] = {
    {"capture",
     "capture-vanish 4 800",
     "2",
     "6",
     "capture failed -7 /DCIM/100SIMCM/IMG_0004.JPG",
     "file_get /DCIM/100SIMCM/IMG_0003.JPG",
     [](const SeriesWindow& w) {
         return "Capturing Image...\n" + located("IMG_0001.JPG") + located("IMG_0002.JPG") +
                written(w, "IMG_0001.JPG", 2) + deleted("IMG_0001.JPG") + "\n" +
                written(w, "IMG_0002.JPG", 2) + deleted("IMG_0002.JPG") + "\n" + slept +
                "Capturing Image...\n" + located("IMG_0003.JPG") + lost_line("30 minutes") + back +
                written(w, "IMG_0003.JPG", 4) + deleted("IMG_0003.JPG") + "\n" +
                written(w, "IMG_0004.JPG", 4) + deleted("IMG_0004.JPG") + "\n" + slept + boxes +
                "Capturing Image...\n" + located("IMG_0005.JPG") + located("IMG_0006.JPG") +
                written(w, "IMG_0005.JPG", 6) + deleted("IMG_0005.JPG") + "\n" +
                written(w, "IMG_0006.JPG", 6) + deleted("IMG_0006.JPG") + "\n" + slept +
                "6 frames captured - stopping capture.\n";
     },
     // The capture that lost the camera took its picture all the same: it is found on the card.
     {"1 written IMG_0001.JPG", "2 written IMG_0002.JPG", "3 camera lost ", "3 camera back ",
      "3 written IMG_0003.JPG", "4 written IMG_0004.JPG", "5 written IMG_0005.JPG",
      "6 written IMG_0006.JPG"},
     {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG", "IMG_0004.JPG", "IMG_0005.JPG",
      "IMG_0006.JPG"}},
    {"download",
     "download-vanish 2 800",
     "1",
     "3",
     "file_get failed -7 /DCIM/100SIMCM/IMG_0002.JPG",
     "file_get /DCIM/100SIMCM/IMG_0002.JPG",
     [](const SeriesWindow& w) {
         return w.pass(1, 1) + slept + "Capturing Image...\n" + located("IMG_0002.JPG") +
                lost_line("30 minutes") + back + written(w, "IMG_0002.JPG", 2) +
                deleted("IMG_0002.JPG") + "\n" + slept + boxes + w.pass(3, 3) + slept +
                "3 frames captured - stopping capture.\n";
     },
     {"1 written IMG_0001.JPG", "2 camera lost IMG_0002.JPG", "2 camera back ",
      "2 written IMG_0002.JPG", "3 written IMG_0003.JPG"},
     {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"}},
    {"delete",
     "delete-vanish 2 800",
     "1",
     "3",
     "file_delete failed -7 /DCIM/100SIMCM/IMG_0002.JPG",
     "file_delete /DCIM/100SIMCM/IMG_0002.JPG",
     [](const SeriesWindow& w) {
         return w.pass(1, 1) + slept + "Capturing Image...\n" + located("IMG_0002.JPG") +
                written(w, "IMG_0002.JPG", 2) + lost_line("30 minutes") + "\n" + back +
                deleted("IMG_0002.JPG") + "\n" + slept + boxes + w.pass(3, 3) + slept +
                "3 frames captured - stopping capture.\n";
     },
     {"1 written IMG_0001.JPG", "2 written IMG_0002.JPG", "2 camera lost IMG_0002.JPG",
      "2 camera back ", "3 written IMG_0003.JPG"},
     {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"}},
};

class SeriesReconnect : public testing::TestWithParam<VanishCase> {};

TEST_P(SeriesReconnect, TheSameBodyIsTakenBackAndNothingIsLost) {
    const VanishCase& c = GetParam();
    SeriesWindow w(body("SN-0001") + c.directive);
    set_window_series_options(reconnecting(30));
    w.settings("1", "0", c.maxFrames, c.frames);
    click(startButton);

    const std::string lost = lost_line("30 minutes");
    ASSERT_TRUE(
        pump_until([&] { return w.console.text().find(lost) != std::string::npos; }, 10000));
    // Said once, in the status bar too, and the window stays at the series' service.
    const std::string status = lost.substr(0, lost.size() - 1);
    EXPECT_TRUE(pump_until(
        [&] { return w.frame->get()->GetStatusBar()->GetStatusText(0) == status; }, 2000));
    EXPECT_EQ(buttons(), (Buttons{false, false, true}));

    ASSERT_TRUE(series_ended(20000));
    EXPECT_EQ(with_return_marked(w.console.text()),
              std::string(opened) + "Starting capture.\n\n" + c.console(w));
    EXPECT_TRUE(w.log.errors().empty()) << "no message box for a camera that comes back";
    EXPECT_EQ(record_rows(w.pictures), c.rows);
    EXPECT_EQ(pictures_in(w.pictures), c.files);

    // From the failed call on, the camera is left alone until it is opened again; then the
    // picture it kept is the first thing asked for.
    const std::vector<std::string> ops = w.camera.log();
    const auto lostAt = std::find(ops.begin(), ops.end(), c.lostCall);
    ASSERT_NE(lostAt, ops.end());
    const auto reopened = std::find(lostAt, ops.end(), "init");
    ASSERT_NE(reopened, ops.end());
    for (auto op = lostAt + 1; op != reopened; ++op)
        EXPECT_TRUE(*op == "exit") << "asked while it was gone: " << *op;
    const auto fetched = std::find_if(reopened, ops.end(), [](const std::string& op) {
        return op.rfind("file_", 0) == 0 || op.rfind("capture", 0) == 0;
    });
    ASSERT_NE(fetched, ops.end());
    EXPECT_EQ(*fetched, c.firstBack);
    EXPECT_EQ(w.camera.count("init"), 2);
}

INSTANTIATE_TEST_SUITE_P(Vanish, SeriesReconnect, testing::ValuesIn(vanishCases),
                         [](const testing::TestParamInfo<VanishCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(SeriesReconnectFailure, AFullCardStillEndsTheSeriesAsAFailedCapture) {
    SeriesWindow w("capture-fail 2 -115");
    set_window_series_options(reconnecting(30));
    w.settings("1", "0", "10");
    click(startButton);
    ASSERT_TRUE(series_ended(10000)) << w.console.text() << testing::PrintToString(w.camera.log());
    EXPECT_EQ(w.console.text(),
              std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) + slept +
                  "Capturing Image...\nCould not capture image:\t-115\nCheck the camera and "
                  "re-initialise.\n");
    EXPECT_EQ(w.log.errors(),
              std::vector<std::string>{"Could not capture an image. Please check the camera and "
                                       "re-initialise."});
    EXPECT_EQ(w.camera.log().back(), "exit");
    EXPECT_EQ(w.camera.count("init"), 1) << "no reconnecting";
}

// Time that moves only when the test says so.
class DrivenClock : public SeriesClock {
  public:
    Steady::time_point now() override { return start_ + offset(); }
    Wall::time_point wall_now() override {
        return Wall::now() + std::chrono::duration_cast<Wall::duration>(offset());
    }
    void wait_until(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                    Steady::time_point when, const std::function<bool()>& wake) override {
        while (!wake() && now() < when)
            changed.wait_for(lock, 2ms);
    }
    void advance(Steady::duration by) { offset_ += by.count(); }

  private:
    Steady::duration offset() const { return Steady::duration(offset_.load()); }
    const Steady::time_point start_ = Steady::now();
    std::atomic<Steady::rep> offset_{0};
};

struct ClockInPlace {
    explicit ClockInPlace(SeriesClock* clock) { use_series_clock(clock); }
    ~ClockInPlace() { use_series_clock(nullptr); }
};

TEST(SeriesReconnectFailure, AnotherBodyIsRefusedAndTheSeriesEndsOnceTheMinutesAreUp) {
    DrivenClock clock;
    ClockInPlace inPlace(&clock);
    SeriesWindow w(body("SN-0001") + "capture-vanish 2 3600000");
    set_window_series_options(reconnecting(1));
    w.settings("0", "0", "0");
    click(startButton);
    const std::string lost = "Capturing Image...\n" + lost_line("1 minute");
    ASSERT_TRUE(w.console_ends_with(lost, 10000));

    // A body of the same model, but another one, comes onto the cable.
    w.camera.replace(body("SN-0002"));
    // One try every 2 s of the minute, each opening the other body and letting it go.
    for (int tick = 1; tick < 30; ++tick) {
        clock.advance(2s);
        ASSERT_TRUE(pump_until([&] { return w.camera.count("init") == 1 + tick; }, 10000))
            << "try " << tick;
    }
    EXPECT_TRUE(ends_with(w.console.text(), lost)) << "nothing said while it tries";
    EXPECT_EQ(buttons(), (Buttons{false, false, true}));
    clock.advance(2s);

    ASSERT_TRUE(series_ended(10000));
    EXPECT_EQ(w.console.text(), std::string(opened) + "Starting capture.\n\n" + w.pass(1, 1) +
                                    "Sleeping for 0 seconds... done.\n\n" + lost + failedCapture);
    EXPECT_EQ(w.log.errors(),
              std::vector<std::string>{"Could not capture an image. Please check the camera and "
                                       "re-initialise."});
    EXPECT_EQ(w.camera.count("init"), 30);
    EXPECT_EQ(w.camera.count("capture"), 2) << "nothing taken with the other body";
    EXPECT_EQ(record_rows(w.pictures),
              (std::vector<std::string>{"1 written IMG_0001.JPG", "1 camera lost "}));
}

enum class Ending { Stop, Exit };

class SeriesReconnectEnding : public testing::TestWithParam<Ending> {};

TEST_P(SeriesReconnectEnding, StopAndExitEndTheWaitAtOnce) {
    SeriesWindow w(body("SN-0001") + "capture-vanish 2 60000");
    set_window_series_options(reconnecting(30));
    w.settings("1", "0", "0");
    click(startButton);
    const std::string lost = "Capturing Image...\n" + lost_line("30 minutes");
    ASSERT_TRUE(w.console_ends_with(lost, 10000));
    // A try or two while the body is away, the window as live as ever.
    pump_events(2500);
    EXPECT_EQ(w.camera.count("init"), 1);
    EXPECT_TRUE(ends_with(w.console.text(), lost));

    const Clock::time_point ending = Clock::now();
    if (GetParam() == Ending::Stop) {
        click(stopButton);
        EXPECT_EQ(buttons(), idle);
        // The worker ends after the interval of the pass, as after any Stop.
        ASSERT_TRUE(series_ended(5000));
        EXPECT_LT(Clock::now() - ending, 2s);
        EXPECT_EQ(w.console.text(), std::string(opened) + "Starting capture.\n\n" + w.pass(1, 1) +
                                        slept + lost + stopping);
    } else {
        MyFrame* window = w.frame->get();
        wxCommandEvent chosen(wxEVT_MENU, wxID_EXIT);
        window->ProcessWindowEvent(chosen);
        EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(window));
        w.frame.reset();
        EXPECT_LT(Clock::now() - ending, 2s);
        EXPECT_EQ(workers(), 0u);
        EXPECT_TRUE(ends_with(w.console.text(), lost));
    }
    EXPECT_TRUE(w.log.errors().empty());
    EXPECT_EQ(w.camera.count("init"), 1) << "no try after the end";
}

INSTANTIATE_TEST_SUITE_P(Ending, SeriesReconnectEnding, testing::Values(Ending::Stop, Ending::Exit),
                         [](const testing::TestParamInfo<Ending>& info) {
                             return info.param == Ending::Stop ? "Stop" : "Exit";
                         });

} // namespace
