// SPDX-License-Identifier: GPL-3.0-or-later
// What the window does beside a series: the sleep lock, taken from a stand-in logind on a
// private bus, and the progress line in the status bar. The console stays as without them.
#include "series/series_window.h"

#include "app/series_page.h"
#include "platform/free_space.h"
#include "platform/private_bus.h"
#include "support/environment_variable.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <wx/checkbox.h>
#include <wx/filename.h>
#include <wx/statusbr.h>

namespace {

const char pausedNone[] = "Sleeping for 0 seconds... done.\n\n";
const char noLogind[] = "Sleep is not held off: no logind on the system bus.";

// Options of the test's own: the defaults, KeepAwake on, whatever the user running it keeps.
struct ConfigHome {
    TempDir dir;
    EnvironmentVariable variable{"XDG_CONFIG_HOME", dir.path().c_str()};
};

wxStatusBar* status_bar(const SeriesWindow& w) {
    return (*w.frame)->GetStatusBar();
}

std::string progress(const SeriesWindow& w) {
    wxStatusBar* bar = status_bar(w);
    return bar->GetFieldsCount() > 1 ? bar->GetStatusText(1).utf8_string() : std::string();
}

bool progress_has(const SeriesWindow& w, const std::string& part, int timeout_ms = 5000) {
    return pump_until([&] { return progress(w).find(part) != std::string::npos; }, timeout_ms);
}

bool logind_has(const StandInLogind& logind, std::size_t lines) {
    return pump_until([&] { return logind.lines().size() >= lines; }, 5000);
}

bool logind_logs(const StandInLogind& logind, const std::string& line) {
    return pump_until(
        [&] {
            const auto all = logind.lines();
            return std::find(all.begin(), all.end(), line) != all.end();
        },
        5000);
}

void expect_inhibit_call(const std::string& line, int number) {
    EXPECT_TRUE(
        std::regex_match(line, std::regex("inhibit " + std::to_string(number) +
                                          " what=sleep:idle who=Vantlow why=.+ mode=block")))
        << line;
}

void keep_awake(const SeriesWindow& w, bool on) {
    auto* box = find_control<wxCheckBox>(w.frame->get(), "KeepAwake");
    ASSERT_NE(box, nullptr);
    box->SetValue(on);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(on);
    box->GetEventHandler()->ProcessEvent(event);
}

std::string series_of_two(const SeriesWindow& w, int first) {
    return "Starting capture.\n\n" + w.pass(first, 1) + pausedNone + w.pass(first + 1, 2) +
           pausedNone + "2 frames captured - stopping capture.\n";
}

// Start, a limit, Stop, KeepAwake off, and the window closed during a series.
TEST(SeriesAwake, LockIsHeldFromStartToEveryEnd) {
    TempDir dir;
    PrivateSystemBus bus;
    StandInLogind logind(bus, dir);
    ConfigHome config;
    SeriesWindow w;
    EXPECT_EQ(status_bar(w)->GetFieldsCount(), 1);

    w.settings("0", "0", "2");
    click(startButton);
    ASSERT_TRUE(logind_has(logind, 1));
    expect_inhibit_call(logind.lines()[0], 1);
    ASSERT_TRUE(series_ended(20000));
    EXPECT_TRUE(logind_logs(logind, "released 1")) << "at the frame limit";
    EXPECT_EQ(w.console.text(), startUp + series_of_two(w, 1));
    EXPECT_EQ(status_bar(w)->GetFieldsCount(), 1);

    w.settings("1", "0", "0");
    click(startButton);
    ASSERT_TRUE(logind_has(logind, 3));
    expect_inhibit_call(logind.lines()[2], 2);
    ASSERT_TRUE(w.console_ends_with("Sleeping for 1 seconds... ", 10000));
    click(stopButton);
    EXPECT_TRUE(logind_logs(logind, "released 2")) << "at Stop";
    ASSERT_TRUE(series_ended(5000));

    keep_awake(w, false);
    click(startButton);
    ASSERT_TRUE(w.console_ends_with("Sleeping for 1 seconds... ", 10000));
    click(stopButton);
    ASSERT_TRUE(series_ended(5000));
    pump_events(300);
    EXPECT_EQ(logind.lines().size(), 4u) << "KeepAwake off asks for no lock";

    keep_awake(w, true);
    click(startButton);
    ASSERT_TRUE(logind_has(logind, 5));
    expect_inhibit_call(logind.lines()[4], 3);
    ASSERT_TRUE(w.console_ends_with("Sleeping for 1 seconds... ", 10000));
    w.frame.reset();
    EXPECT_TRUE(logind_logs(logind, "released 3")) << "at Exit";
    EXPECT_TRUE(w.log.errors().empty());
}

// A bus without logind: the status bar says so, once, and the series goes on as ever.
TEST(SeriesAwake, WithoutLogindTheStatusBarSaysSoOnce) {
    PrivateSystemBus bus;
    ConfigHome config;
    SeriesWindow w;
    w.settings("1", "0", "2");
    click(startButton);
    EXPECT_TRUE(progress_has(w, noLogind)) << progress(w);
    ASSERT_TRUE(series_ended(20000));
    EXPECT_EQ(status_bar(w)->GetFieldsCount(), 1);
    const std::string first = w.console.text();
    EXPECT_TRUE(ends_with(first, "2 frames captured - stopping capture.\n")) << first;
    EXPECT_EQ(occurrences(first, "Sleeping for 1 seconds... done.\n\n"), 2);
    EXPECT_EQ(occurrences(first, "Capturing Image...\n"), 2);
    EXPECT_EQ(status_bar(w)->GetStatusText(0), "Written file 2: " + w.pictures.file("IMG_0002.JPG"))
        << "field 0 keeps the captures' texts";

    click(startButton);
    ASSERT_TRUE(progress_has(w, "Frame 1 of 2", 10000));
    EXPECT_EQ(progress(w).find("Sleep is not held off"), std::string::npos) << progress(w);
    ASSERT_TRUE(series_ended(20000));
    EXPECT_TRUE(w.log.errors().empty());
}

// Puts a probe in place of the filesystem's free space while it lives.
class FreeSpace {
  public:
    FreeSpace() {
        use_free_space_probe([this](const std::string& dir) {
            asked = dir;
            return bytes;
        });
    }
    ~FreeSpace() { use_free_space_probe(nullptr); }

    std::optional<std::uint64_t> bytes;
    std::string asked;
};

std::string size_text(std::uint64_t bytes) {
    return wxFileName::GetHumanReadableSize(wxULongLong(bytes), "0 B", 1, wxSIZE_CONV_SI)
        .utf8_string();
}

std::string picture_name(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "IMG_%04d.JPG", number);
    return name;
}

std::uint64_t picture_size(const SeriesWindow& w, int number) {
    return std::filesystem::file_size(w.pictures.file(picture_name(number)));
}

// A camera that reads one setting alone, with a battery.
const char batteryCamera[] = "single-config yes\n"
                             "config \"Camera Configuration\"\n"
                             "  text batterylevel \"Battery Level\" value=\"80%\"\n"
                             "end\n"
                             "picture-grain 24\n";

TEST(SeriesProgress, FiguresAfterThreePassesAndTheDiskThatWillNotLast) {
    ConfigHome config;
    // Without the sleep lock's notice, whatever bus the machine has.
    std::filesystem::create_directories(config.dir.file("vantlow"));
    write_file(config.dir.file("vantlow/vantlow.conf"), "[Series]\nKeepAwake=false\n");
    FreeSpace disk;
    disk.bytes = 1000000000;
    SeriesWindow w(batteryCamera);
    w.settings("3", "0", "10");
    click(startButton);
    EXPECT_EQ(status_bar(w)->GetFieldsCount(), 2);
    EXPECT_EQ(progress(w).rfind("Frame 0 of 10", 0), 0u) << progress(w);

    ASSERT_TRUE(w.console_ends_with(w.pass(3, 3) + "Sleeping for 3 seconds... ", 20000));
    const std::uint64_t mean = (picture_size(w, 1) + picture_size(w, 2) + picture_size(w, 3)) / 3;
    ASSERT_NE(picture_size(w, 1), picture_size(w, 2)) << "grain makes the sizes differ";
    ASSERT_TRUE(progress_has(w, "Frame 3 of 10"));
    const std::string text = progress(w);
    const std::string dot = "\u00b7";
    EXPECT_TRUE(std::regex_search(text, std::regex("^Frame 3 of 10 " + dot + " next in [1-3] s " +
                                                   dot + " ends about [0-9]{2}:[0-9]{2} " + dot +
                                                   " movie 0\\.4 s " + dot)))
        << text;
    EXPECT_NE(text.find("disk " + size_text(mean * 7) + " of 1.0 GB free"), std::string::npos)
        << text;
    EXPECT_TRUE(ends_with(text, "battery 80%")) << text;
    EXPECT_EQ(disk.asked, w.pictures.path());
    EXPECT_EQ(w.camera.count("get_single_config"), 1) << "the battery, once in five minutes";

    disk.bytes = mean * 7 - 1;
    EXPECT_TRUE(progress_has(w, "The disk will not last: " + size_text(mean * 7) + " needed, " +
                                    size_text(mean * 7 - 1) + " free " + dot + " Frame 3 of 10"))
        << progress(w);
    click(stopButton);
    ASSERT_TRUE(series_ended(5000));
    EXPECT_EQ(status_bar(w)->GetFieldsCount(), 1);
    const int taken = w.camera.count("capture ");
    EXPECT_EQ(status_bar(w)->GetStatusText(0), "Written file " + std::to_string(taken) + ": " +
                                                   w.pictures.file(picture_name(taken)));

    // Before the first picture of a series, the last one stands in for the mean: the warning
    // is there as Start returns.
    const std::uint64_t last = picture_size(w, taken);
    disk.bytes = last * 10 - 1;
    const std::string console = w.console.text();
    click(startButton);
    EXPECT_EQ(progress(w).rfind("The disk will not last: " + size_text(last * 10) + " needed", 0),
              0u)
        << progress(w);
    EXPECT_EQ(w.console.text(), console + "Starting capture.\n\n");
    click(stopButton);
    ASSERT_TRUE(series_ended(5000));
    EXPECT_TRUE(w.log.errors().empty()) << "no message box";
}

} // namespace
