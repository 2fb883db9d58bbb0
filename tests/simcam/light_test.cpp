// SPDX-License-Identifier: GPL-3.0-or-later
// The scene's light: its curve, the exposure the camera's own settings give, pictures rendered
// at the difference and clipped as a sensor clips, flicker, and the capture lines that report
// scene and camera EV.

#include "camera_session.h"
#include "jpeg_image.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>

namespace {

using Settings = std::vector<std::pair<std::string, std::string>>;

std::string shipped(const std::string& name) {
    const char* folder = std::getenv("SIMCAM_SCENARIOS");
    return read_file(std::string(folder ? folder : "") + "/" + name);
}

// Writes the values through a full configuration write, as the program does.
void write_settings(CameraSession& session, const Settings& settings) {
    WidgetTree tree;
    ASSERT_EQ(session.get_config(tree), GP_OK);
    for (const auto& [name, value] : settings) {
        CameraWidget* widget = nullptr;
        ASSERT_EQ(gp_widget_get_child_by_name(tree.get(), name.c_str(), &widget), GP_OK) << name;
        ASSERT_EQ(gp_widget_set_value(widget, value.c_str()), GP_OK) << name;
    }
    ASSERT_EQ(session.set_config(tree), GP_OK);
}

// The NAME=VALUE fields after the path of each capture line.
std::vector<std::map<std::string, std::string>> capture_fields(const SimcamScenario& scenario) {
    std::vector<std::map<std::string, std::string>> captures;
    for (const std::string& line : scenario.log()) {
        const size_t start = line.find("capture /");
        if (start == std::string::npos)
            continue;
        std::map<std::string, std::string> fields;
        for (size_t tab = line.find('\t', start); tab != std::string::npos;) {
            const size_t next = line.find('\t', tab + 1);
            const std::string field = line.substr(tab + 1, next - tab - 1);
            const size_t equals = field.find('=');
            fields[field.substr(0, equals)] = field.substr(equals + 1);
            tab = next;
        }
        captures.push_back(fields);
    }
    return captures;
}

std::string field(const std::map<std::string, std::string>& fields, const std::string& key) {
    const auto found = fields.find(key);
    return found == fields.end() ? "(none)" : found->second;
}

double linear(uint8_t value) {
    const double encoded = value / 255.0;
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

// The picture's mean luminance in linear light, 0 (black) to 1 (full scale).
double mean_luminance(const RgbImage& image) {
    double sum = 0;
    for (size_t i = 0; i < image.pixels.size(); i += 3)
        sum += 0.2126 * linear(image.pixels[i]) + 0.7152 * linear(image.pixels[i + 1]) +
               0.0722 * linear(image.pixels[i + 2]);
    return sum / (image.pixels.size() / 3);
}

// Captures and downloads one picture.
RgbImage take_picture(CameraSession& session) {
    std::string path, bytes;
    EXPECT_EQ(session.capture(path), GP_OK);
    EXPECT_EQ(session.download(path, bytes), GP_OK);
    std::optional<RgbImage> image = decode_jpeg(bytes);
    EXPECT_TRUE(image) << path;
    return image ? *image : RgbImage{};
}

TEST(SimcamLight, PicturesFollowTheShutterAndClipAtTheTop) {
    // EV 10 throughout; f/5.6 and ISO 100 from the default tree, so the shutter alone sets the
    // exposure: 1/500 is EV 14, four stops under the scene.
    SimcamScenario scenario("picture jpeg 300 200\nscene-ev 1 10\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    const std::vector<std::pair<std::string, int>> shutters = {
        {"1/500", -4}, {"1/250", -3}, {"1/125", -2}, {"1/60", -1}, {"8", 8}};
    std::vector<double> means;
    std::vector<RgbImage> pictures;
    for (const auto& [shutter, stops] : shutters) {
        write_settings(session, {{"shutterspeed", shutter}});
        pictures.push_back(take_picture(session));
        means.push_back(mean_luminance(pictures.back()));
        // Below clipping: mid-grey (18%) at the scene's own exposure, halved for each stop less.
        if (stops < 0) {
            EXPECT_NEAR(means.back() / (0.18 * std::exp2(stops)), 1.0, 0.08) << shutter;
        }
    }
    for (size_t i = 1; i < 4; ++i)
        EXPECT_NEAR(means[i] / means[i - 1], 2.0, 0.1) << shutters[i].first;

    // Four stops under, nothing comes near full scale; eight over, every channel clips.
    uint8_t darkest_of_overexposed = 255, brightest_of_underexposed = 0;
    for (uint8_t value : pictures.front().pixels)
        brightest_of_underexposed = std::max(brightest_of_underexposed, value);
    for (uint8_t value : pictures.back().pixels)
        darkest_of_overexposed = std::min(darkest_of_overexposed, value);
    EXPECT_LT(brightest_of_underexposed, 160);
    EXPECT_GE(darkest_of_overexposed, 250);
    EXPECT_GT(means.back(), 0.97);

    const auto captures = capture_fields(scenario);
    ASSERT_EQ(captures.size(), shutters.size());
    const std::vector<std::string> camera_evs = {"14.00", "13.00", "12.00", "11.00", "2.00"};
    for (size_t i = 0; i < captures.size(); ++i) {
        EXPECT_EQ(field(captures[i], "scene_ev"), "10.00") << i;
        EXPECT_EQ(field(captures[i], "camera_ev"), camera_evs[i]) << shutters[i].first;
        EXPECT_EQ(field(captures[i], "flicker"), "(none)") << i;
    }
}

struct Spelling {
    const char* family;
    std::string scenario;
    Settings settings;
    const char* camera_ev;
};

void PrintTo(const Spelling& spelling, std::ostream* out) {
    *out << spelling.family;
    for (const auto& [name, value] : spelling.settings)
        *out << " " << name << "=" << value;
}

class SimcamLightSpelling : public testing::TestWithParam<Spelling> {};

TEST_P(SimcamLightSpelling, CaptureLineGivesTheExposureOfTheSettingsWritten) {
    const Spelling& spelling = GetParam();
    SimcamScenario scenario(spelling.scenario);
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    write_settings(session, spelling.settings);
    const RgbImage picture = take_picture(session);

    const auto captures = capture_fields(scenario);
    ASSERT_EQ(captures.size(), 1u);
    EXPECT_EQ(field(captures[0], "scene_ev"), "13.00");
    EXPECT_EQ(field(captures[0], "camera_ev"), spelling.camera_ev);
    // Where the exposure is known and unclipped, the picture shows it.
    const double camera_ev = std::atof(spelling.camera_ev);
    if (spelling.camera_ev != std::string("?") && std::fabs(13 - camera_ev) <= 1) {
        EXPECT_NEAR(mean_luminance(picture) / (0.18 * std::exp2(13 - camera_ev)), 1.0, 0.1);
    }
}

// A third spelling, generic PTP's: seconds with four decimals, "f/" and "ISO ", under names the
// scenario gives.
const char* const kGenericPtp = R"(picture jpeg 300 200
scene-ev 1 13
exposure-settings exptime fnumber isospeed
config "Camera"
  section capturesettings "Capture Settings"
    radio exptime "Exposure Time" value=0.0080s choice=0.0040s choice=0.0080s choice=0.0166s
    radio fnumber "F-Number" value=f/5.6 choice=f/4 choice=f/5.6 choice=f/8
    radio isospeed "ISO Speed" value="ISO 100" choice="ISO 100" choice="ISO 200" choice="ISO 400"
  end
end
)";

INSTANTIATE_TEST_SUITE_P(
    Families, SimcamLightSpelling,
    testing::Values(Spelling{"Canon", shipped("sunset.scenario"), {}, "13.00"},
                    Spelling{"Canon",
                             shipped("sunset.scenario"),
                             {{"shutterspeed", "1/4000"}, {"aperture", "2.8"}, {"iso", "25600"}},
                             "7.00"},
                    Spelling{"Canon",
                             shipped("sunset.scenario"),
                             {{"shutterspeed", "0.3"}, {"aperture", "7.1"}, {"iso", "640"}},
                             "4.67"},
                    // Automatic ISO picks the listed speed nearest to the scene: 1600.
                    Spelling{"Canon",
                             shipped("sunset.scenario"),
                             {{"shutterspeed", "1/2000"}, {"aperture", "8"}, {"iso", "Auto"}},
                             "13.00"},
                    Spelling{"Canon", shipped("sunset.scenario"), {{"shutterspeed", "bulb"}}, "?"},
                    Spelling{"Nikon", shipped("sunset-nikon.scenario"), {}, "13.00"},
                    Spelling{"Nikon",
                             shipped("sunset-nikon.scenario"),
                             {{"shutterspeed2", "10/25"}, {"f-number", "f/4.5"}, {"iso", "3200"}},
                             "0.67"},
                    Spelling{"Nikon",
                             shipped("sunset-nikon.scenario"),
                             {{"shutterspeed2", "1/3200"}, {"f-number", "f/16"}, {"iso", "125"}},
                             "19.33"},
                    Spelling{"Nikon",
                             shipped("sunset-nikon.scenario"),
                             {{"shutterspeed2", "30"}, {"f-number", "f/22"}, {"iso", "100"}},
                             "4.00"},
                    Spelling{"generic PTP", kGenericPtp, {}, "12.00"},
                    Spelling{"generic PTP",
                             kGenericPtp,
                             {{"exptime", "0.0166s"}, {"fnumber", "f/4"}, {"isospeed", "ISO 400"}},
                             "8.00"}));

struct Curve {
    const char* text;
    std::vector<std::string> scene_evs;
};

void PrintTo(const Curve& curve, std::ostream* out) {
    *out << curve.text;
}

class SimcamLightCurve : public testing::TestWithParam<Curve> {};

TEST_P(SimcamLightCurve, SceneEvAtEachCapture) {
    const Curve& curve = GetParam();
    SimcamScenario scenario(curve.text);
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::string path;
    for (size_t i = 0; i < curve.scene_evs.size(); ++i)
        ASSERT_EQ(session.capture(path), GP_OK);
    std::vector<std::string> scene_evs;
    for (const auto& fields : capture_fields(scenario))
        scene_evs.push_back(field(fields, "scene_ev"));
    EXPECT_EQ(scene_evs, curve.scene_evs);
}

INSTANTIATE_TEST_SUITE_P(
    Curves, SimcamLightCurve,
    testing::Values(
        // Straight lines between the pairs, level before the first and after the last.
        Curve{
            "scene-ev 5 8\nscene-ev 1 12\nscene-ev 9 10\n",
            {"12.00", "11.00", "10.00", "9.00", "8.00", "8.50", "9.00", "9.50", "10.00", "10.00"}},
        Curve{"scene-ev 3 -0.5\n", {"-0.50", "-0.50", "-0.50"}},
        // Noon to night: 6 + 7 cos(pi (n - 1) / 4), steepest at the middle, night after it.
        Curve{"scene-day 5\n", {"13.00", "10.95", "6.00", "1.05", "-1.00", "-1.00"}},
        Curve{"scene-day 3 -1 13\n", {"-1.00", "6.00", "13.00", "13.00"}}));

TEST(SimcamLight, ShippedSunsetFallsFastestAtItsMiddle) {
    SimcamScenario scenario(shipped("sunset.scenario"));
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::string path;
    for (int i = 0; i < 301; ++i)
        ASSERT_EQ(session.capture(path), GP_OK);
    std::vector<double> scene_evs;
    for (const auto& fields : capture_fields(scenario))
        scene_evs.push_back(std::atof(field(fields, "scene_ev").c_str()));
    ASSERT_EQ(scene_evs.size(), 301u);
    EXPECT_EQ(scene_evs[0], 13.0);
    EXPECT_EQ(scene_evs[149], 6.04);
    EXPECT_EQ(scene_evs[150], 5.96);
    EXPECT_EQ(scene_evs[299], -1.0);
    EXPECT_EQ(scene_evs[300], -1.0) << "night after the last capture of the day";
    for (size_t i = 1; i < scene_evs.size(); ++i)
        EXPECT_LE(scene_evs[i], scene_evs[i - 1]) << i;
    // Half a cosine: 50 captures about the middle fall almost four times what the first or the
    // last 50 do, at 7 pi / 299 EV a capture.
    const double first = scene_evs[0] - scene_evs[50];
    const double middle = scene_evs[125] - scene_evs[175];
    const double last = scene_evs[249] - scene_evs[299];
    EXPECT_NEAR(first, 0.94, 0.02);
    EXPECT_NEAR(last, 0.94, 0.02);
    EXPECT_NEAR(middle, 3.64, 0.02);
}

TEST(SimcamLight, CurveInSecondsRunsOnTheLogClock) {
    SimcamScenario scenario("log-times yes\ncapture-delay-ms 150\nscene-ev-at 0 10\n"
                            "scene-ev-at 2 6\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::string path;
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(session.capture(path), GP_OK);
    std::vector<double> scene_evs;
    for (const std::string& line : scenario.log()) {
        if (line.find("\tcapture /") == std::string::npos)
            continue;
        const double seconds = std::atof(line.c_str()) / 1000;
        const size_t at = line.find("scene_ev=");
        ASSERT_NE(at, std::string::npos) << line;
        scene_evs.push_back(std::atof(line.c_str() + at + 9));
        // Read just before the line was written: two EV a second from 10.
        EXPECT_NEAR(scene_evs.back(), 10 - 2 * seconds, 0.03) << line;
    }
    ASSERT_EQ(scene_evs.size(), 4u);
    for (size_t i = 1; i < scene_evs.size(); ++i)
        EXPECT_LE(scene_evs[i], scene_evs[i - 1] - 0.25) << "150 ms later the light is lower";
}

TEST(SimcamLight, FlickerRepeatsAcrossRunsAndStaysWithinItsBound) {
    const std::string text = "picture jpeg 300 200\nscene-ev 1 12\nflicker 0.25\n";
    std::vector<std::vector<double>> runs;
    std::vector<double> means;
    for (int run = 0; run < 2; ++run) {
        // A scenario of its own each time: the camera loads it afresh.
        SimcamScenario scenario(text);
        CameraSession session;
        ASSERT_EQ(session.init(), GP_OK);
        std::string path;
        for (int i = 0; i < 3; ++i)
            means.push_back(mean_luminance(take_picture(session)));
        for (int i = 3; i < 20; ++i)
            ASSERT_EQ(session.capture(path), GP_OK);
        runs.emplace_back();
        for (const auto& fields : capture_fields(scenario)) {
            EXPECT_EQ(field(fields, "camera_ev"), "12.00");
            runs.back().push_back(std::atof(field(fields, "flicker").c_str()));
        }
    }
    ASSERT_EQ(runs[0].size(), 20u);
    EXPECT_EQ(runs[0], runs[1]);
    const auto [least, most] = std::minmax_element(runs[0].begin(), runs[0].end());
    EXPECT_GE(*least, -0.25);
    EXPECT_LE(*most, 0.25);
    EXPECT_GT(*most - *least, 0.25) << "a flicker that hardly varies";
    EXPECT_LT(*least, 0);
    EXPECT_GT(*most, 0);
    // The pictures carry it: at the scene's exposure, mid-grey moved by the flicker.
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(means[i] / (0.18 * std::exp2(runs[0][i])), 1.0, 0.05) << i;
}

TEST(SimcamLight, WithoutACurveFlickerAndSettingNamesChangeNothing) {
    std::vector<std::string> pictures;
    std::vector<std::vector<std::string>> logs;
    for (const char* extra : {"", "flicker 0.5\nexposure-settings shutterspeed aperture iso\n"}) {
        SimcamScenario scenario(std::string("picture jpeg 300 200\n") + extra);
        CameraSession session;
        ASSERT_EQ(session.init(), GP_OK);
        std::string path, bytes;
        ASSERT_EQ(session.capture(path), GP_OK);
        ASSERT_EQ(session.download(path, bytes), GP_OK);
        pictures.push_back(bytes);
        logs.push_back(scenario.log());
    }
    EXPECT_EQ(pictures[0], pictures[1]);
    EXPECT_EQ(logs[0], logs[1]);
    EXPECT_EQ(logs[0], (std::vector<std::string>{"init", "capture /DCIM/100SIMCM/IMG_0001.JPG",
                                                 "file_get /DCIM/100SIMCM/IMG_0001.JPG"}));
}

} // namespace
