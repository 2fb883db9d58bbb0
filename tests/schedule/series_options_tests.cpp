// SPDX-License-Identifier: GPL-3.0-or-later
// The series options file as the photographer edits it and as the options page saves it.
#include "capture/series_options.h"
#include "support/environment_variable.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <wx/init.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <sstream>

namespace {

// The program reads its options with the toolkit running, which wxFileConfig asks after.
class Toolkit : public testing::Environment {
    void SetUp() override { ASSERT_TRUE(wxInitialize()); }
    void TearDown() override { wxUninitialize(); }
};
const auto* const toolkit = testing::AddGlobalTestEnvironment(new Toolkit);

// What the code under test writes to std::cout, line by line.
class Console {
  public:
    Console() : previous_(std::cout.rdbuf(text_.rdbuf())) {}
    ~Console() { std::cout.rdbuf(previous_); }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::istringstream in(text_.str());
        for (std::string line; std::getline(in, line);)
            out.push_back(line);
        return out;
    }

  private:
    std::ostringstream text_;
    std::streambuf* previous_;
};

// Every key away from its default.
SeriesOptions all_changed() {
    SeriesOptions options;
    options.cadence = Cadence::Steady;
    options.onCameraLost = CameraLost::Reconnect;
    options.reconnectMinutes = 45;
    options.keepAwake = false;
    options.startAt = SeriesTime::sun(SunEvent::Sunset, 15);
    options.endAt = SeriesTime::sun(SunEvent::Sunrise, -30);
    options.latitude = 69.649208;
    options.longitude = -18.955324;
    options.followLight = true;
    options.targetBrightness = -0.7;
    options.maxStepEv = 0.5;
    options.slowestShutter = 0.25;
    options.highestIso = 3200;
    options.apertures = Apertures::Free;
    return options;
}

const char allChangedText[] = "[Series]\n"
                              "Cadence=steady\n"
                              "OnCameraLost=reconnect\n"
                              "ReconnectMinutes=45\n"
                              "KeepAwake=false\n"
                              "StartAt=sunset+15\n"
                              "EndAt=sunrise-30\n"
                              "Latitude=69.649208\n"
                              "Longitude=-18.955324\n"
                              "FollowLight=true\n"
                              "TargetBrightness=-0.7\n"
                              "MaxStepEV=0.5\n"
                              "SlowestShutter=0.25\n"
                              "HighestISO=3200\n"
                              "Apertures=free\n";

TEST(SeriesOptionsFile, MissingFileGivesTheDefaultsAndNothingElse) {
    TempDir dir;
    const std::string path = dir.file("vantlow/vantlow.conf");
    Console console;
    const SeriesOptions options = load_series_options(path);

    EXPECT_EQ(options.cadence, Cadence::Pause);
    EXPECT_EQ(options.onCameraLost, CameraLost::End);
    EXPECT_EQ(options.reconnectMinutes, 30);
    EXPECT_TRUE(options.keepAwake);
    EXPECT_EQ(options.startAt, SeriesTime::now());
    EXPECT_EQ(options.endAt, SeriesTime::limits());
    EXPECT_FALSE(options.latitude);
    EXPECT_FALSE(options.longitude);
    EXPECT_FALSE(options.location());
    EXPECT_TRUE(console.lines().empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "loading made a file or folder";
}

struct PathCase {
    const char* configHome; // nullptr: unset
    const char* expected;   // with HOME=/home/photographer
};

class SeriesOptionsPath : public testing::TestWithParam<PathCase> {};

TEST_P(SeriesOptionsPath, FollowsXdgConfigHome) {
    EnvironmentVariable home("HOME", "/home/photographer");
    EnvironmentVariable configHome("XDG_CONFIG_HOME", GetParam().configHome);
    EXPECT_EQ(series_options_path(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SeriesOptionsPath,
    testing::Values(PathCase{"/srv/conf", "/srv/conf/vantlow/vantlow.conf"},
                    PathCase{nullptr, "/home/photographer/.config/vantlow/vantlow.conf"},
                    PathCase{"", "/home/photographer/.config/vantlow/vantlow.conf"},
                    // Relative paths are to be ignored.
                    PathCase{"conf", "/home/photographer/.config/vantlow/vantlow.conf"}));

// Saved into a folder that does not exist yet, beside a group and a key of a later version,
// then read back.
TEST(SeriesOptionsFile, EveryKeyRoundTripsAndTheRestOfTheFileStays) {
    TempDir dir;
    const std::string path = dir.file("config/vantlow/vantlow.conf");
    std::string failure;
    ASSERT_TRUE(save_series_options(path, SeriesOptions(), failure)) << failure;
    std::string text = read_file(path);
    EXPECT_NE(text.find("StartAt=now\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Latitude=\n"), std::string::npos) << text;
    write_file(path, "[Window]\nWidth=690\n" + text + "SkyQuality=21.5\n");

    Console console;
    for (const SeriesOptions& options : {all_changed(), SeriesOptions(), [] {
                                             SeriesOptions clock;
                                             clock.startAt = SeriesTime::clock(7, 5);
                                             clock.endAt = SeriesTime::clock(23, 59);
                                             clock.latitude = -33.8688;
                                             return clock;
                                         }()}) {
        ASSERT_TRUE(save_series_options(path, options, failure)) << failure;
        const SeriesOptions back = load_series_options(path);
        EXPECT_EQ(back, options) << read_file(path);
        EXPECT_EQ(back.startAt, options.startAt);
        EXPECT_EQ(back.latitude, options.latitude);
        EXPECT_EQ(back.longitude, options.longitude);
        EXPECT_EQ(back.reconnectMinutes, options.reconnectMinutes);
    }
    EXPECT_TRUE(console.lines().empty()) << console.lines().front();

    ASSERT_TRUE(save_series_options(path, all_changed(), failure)) << failure;
    text = read_file(path);
    EXPECT_NE(text.find("[Window]\nWidth=690\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SkyQuality=21.5\n"), std::string::npos) << text;
    std::istringstream lines(allChangedText);
    for (std::string line; std::getline(lines, line);)
        EXPECT_NE(text.find(line + "\n"), std::string::npos) << line << " missing in\n" << text;

    // A file written by hand, words in any case.
    write_file(path, "[Series]\nCadence=Steady\nOnCameraLost=RECONNECT\nReconnectMinutes=45\n"
                     "KeepAwake=False\nStartAt=Sunset+15\nEndAt=sunrise-30\n"
                     "Latitude=69.649208\nLongitude=-18.955324\nFollowLight=TRUE\n"
                     "TargetBrightness=-0.7\nMaxStepEV=0.5\nSlowestShutter=0.25\n"
                     "HighestISO=3200\nApertures=Free\n");
    EXPECT_EQ(load_series_options(path), all_changed());
    EXPECT_TRUE(console.lines().empty()) << console.lines().front();
}

TEST(SeriesOptionsFile, SaveThatCannotWriteSaysWhy) {
    TempDir dir;
    write_file(dir.file("vantlow"), "a file where the folder should be");
    std::string failure;
    EXPECT_FALSE(save_series_options(dir.file("vantlow/vantlow.conf"), all_changed(), failure));
    EXPECT_NE(failure.find("vantlow"), std::string::npos) << failure;
}

struct DamagedCase {
    const char* key;
    const char* value;
    const char* line;
    std::function<void(SeriesOptions&)> toDefault;
};

void PrintTo(const DamagedCase& c, std::ostream* out) {
    *out << c.key << '=' << c.value;
}

class DamagedValue : public testing::TestWithParam<DamagedCase> {};

// The damaged key gets its default and one line; every other key keeps its value.
TEST_P(DamagedValue, GetsItsDefaultAndOneLine) {
    const DamagedCase& damaged = GetParam();
    TempDir dir;
    const std::string path = dir.file("vantlow.conf");
    std::string text = allChangedText;
    const std::string key = std::string("\n") + damaged.key + "=";
    const auto start = text.find(key) + key.size();
    text.replace(start, text.find('\n', start) - start, damaged.value);
    write_file(path, text);

    Console console;
    const SeriesOptions options = load_series_options(path);
    SeriesOptions expected = all_changed();
    damaged.toDefault(expected);
    EXPECT_EQ(options, expected) << text;
    ASSERT_EQ(console.lines().size(), 1u) << text;
    EXPECT_EQ(console.lines()[0], damaged.line);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKey, DamagedValue,
    testing::Values(
        DamagedCase{"Cadence", "fast",
                    "vantlow.conf: [Series] Cadence=\"fast\" is not one of pause, steady; using "
                    "pause",
                    [](SeriesOptions& o) { o.cadence = Cadence::Pause; }},
        DamagedCase{"OnCameraLost", "",
                    "vantlow.conf: [Series] OnCameraLost=\"\" is not one of end, reconnect; using "
                    "end",
                    [](SeriesOptions& o) { o.onCameraLost = CameraLost::End; }},
        DamagedCase{"ReconnectMinutes", "12abc",
                    "vantlow.conf: [Series] ReconnectMinutes=\"12abc\" is not a whole number from "
                    "1 to 10080; using 30",
                    [](SeriesOptions& o) { o.reconnectMinutes = 30; }},
        DamagedCase{"ReconnectMinutes", "0",
                    "vantlow.conf: [Series] ReconnectMinutes=\"0\" is not a whole number from 1 "
                    "to 10080; using 30",
                    [](SeriesOptions& o) { o.reconnectMinutes = 30; }},
        DamagedCase{"KeepAwake", "yes",
                    "vantlow.conf: [Series] KeepAwake=\"yes\" is not one of true, false; using "
                    "true",
                    [](SeriesOptions& o) { o.keepAwake = true; }},
        DamagedCase{"StartAt", "limits",
                    "vantlow.conf: [Series] StartAt=\"limits\" is not now, HH:MM or dawn, "
                    "sunrise, sunset or dusk with optional +/- minutes; using now",
                    [](SeriesOptions& o) { o.startAt = SeriesTime::now(); }},
        DamagedCase{"EndAt", "25:00",
                    "vantlow.conf: [Series] EndAt=\"25:00\" is not limits, HH:MM or dawn, "
                    "sunrise, sunset or dusk with optional +/- minutes; using limits",
                    [](SeriesOptions& o) { o.endAt = SeriesTime::limits(); }},
        DamagedCase{"Latitude", "91",
                    "vantlow.conf: [Series] Latitude=\"91\" is not decimal degrees from -90 to "
                    "90; left unset",
                    [](SeriesOptions& o) { o.latitude.reset(); }},
        DamagedCase{"Longitude", "18,95E",
                    "vantlow.conf: [Series] Longitude=\"18,95E\" is not decimal degrees from "
                    "-180 to 180; left unset",
                    [](SeriesOptions& o) { o.longitude.reset(); }},
        DamagedCase{"Longitude", "nan",
                    "vantlow.conf: [Series] Longitude=\"nan\" is not decimal degrees from -180 "
                    "to 180; left unset",
                    [](SeriesOptions& o) { o.longitude.reset(); }},
        DamagedCase{"FollowLight", "on",
                    "vantlow.conf: [Series] FollowLight=\"on\" is not one of true, false; using "
                    "false",
                    [](SeriesOptions& o) { o.followLight = false; }},
        DamagedCase{"TargetBrightness", "-6",
                    "vantlow.conf: [Series] TargetBrightness=\"-6\" is not a decimal from -5 to "
                    "5; using 0",
                    [](SeriesOptions& o) { o.targetBrightness = 0; }},
        DamagedCase{"MaxStepEV", "1/3",
                    "vantlow.conf: [Series] MaxStepEV=\"1/3\" is not a decimal from 0.05 to 3; "
                    "using 0.33",
                    [](SeriesOptions& o) { o.maxStepEv = 0.33; }},
        DamagedCase{"SlowestShutter", "0",
                    "vantlow.conf: [Series] SlowestShutter=\"0\" is not a decimal from 0.0001 "
                    "to 3600; using 30",
                    [](SeriesOptions& o) { o.slowestShutter = 30; }},
        DamagedCase{"HighestISO", "6400.5",
                    "vantlow.conf: [Series] HighestISO=\"6400.5\" is not a whole number from 50 "
                    "to 409600; using 6400",
                    [](SeriesOptions& o) { o.highestIso = 6400; }},
        DamagedCase{"Apertures", "open",
                    "vantlow.conf: [Series] Apertures=\"open\" is not one of fixed, free; using "
                    "fixed",
                    [](SeriesOptions& o) { o.apertures = Apertures::Fixed; }}));

// A line the file's reader cannot parse is one console line too, and costs only that line.
TEST(SeriesOptionsFile, DamagedLineIsOneLineAndTheRestIsRead) {
    TempDir dir;
    const std::string path = dir.file("vantlow.conf");
    std::string text = allChangedText;
    text.insert(text.find("KeepAwake"), "ReconnectMinutes\n");
    write_file(path, text);

    Console console;
    EXPECT_EQ(load_series_options(path), all_changed());
    const auto lines = console.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("vantlow.conf: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("line 5"), std::string::npos) << lines[0];
}

} // namespace
