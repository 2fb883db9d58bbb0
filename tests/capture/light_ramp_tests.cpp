// SPDX-License-Identifier: GPL-3.0-or-later
// Exposure settings as drivers spell them, and the ramp driven by a model camera whose pictures
// are as bright as the scene's light over its exposure, clipped as a sensor clips.
#include "capture/light_ramp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

// The shutter speeds of a Canon EOS body, as libgphoto2's PTP driver lists them.
const std::vector<std::string> canonShutter = {
    "bulb",  "30",     "25",     "20",     "15",     "13",     "10",     "8",     "6",
    "5",     "4",      "3.2",    "2.5",    "2",      "1.6",    "1.3",    "1",     "0.8",
    "0.6",   "0.5",    "0.4",    "0.3",    "1/4",    "1/5",    "1/6",    "1/8",   "1/10",
    "1/13",  "1/15",   "1/20",   "1/25",   "1/30",   "1/40",   "1/50",   "1/60",  "1/80",
    "1/100", "1/125",  "1/160",  "1/200",  "1/250",  "1/320",  "1/400",  "1/500", "1/640",
    "1/800", "1/1000", "1/1250", "1/1600", "1/2000", "1/2500", "1/3200", "1/4000"};
// A Nikon body's, fastest first, with its fractions of a second over ten.
const std::vector<std::string> nikonShutter = {
    "1/4000", "1/3200", "1/2500", "1/2000", "1/1600", "1/1250", "1/1000", "1/800", "1/640",
    "1/500",  "1/400",  "1/320",  "1/250",  "1/200",  "1/160",  "1/125",  "1/100", "1/80",
    "1/60",   "1/50",   "1/40",   "1/30",   "1/25",   "1/20",   "1/15",   "1/13",  "1/10",
    "1/8",    "1/6",    "1/5",    "1/4",    "1/3",    "10/25",  "1/2",    "10/16", "10/13",
    "1",      "13/10",  "16/10",  "2",      "25/10",  "3",      "4",      "5",     "6",
    "8",      "10",     "13",     "15",     "20",     "25",     "30",     "Bulb"};
// Generic PTP bodies give seconds with a unit; others mark seconds with a double prime.
const std::vector<std::string> ptpShutter = {
    "30.0000s", "15.0000s", "8.0000s", "4.0000s", "2.0000s", "1.0000s", "0.5000s", "0.2500s",
    "0.1250s",  "0.0667s",  "0.0333s", "0.0167s", "0.0080s", "0.0040s", "0.0020s", "0.0010s"};
const std::vector<std::string> primeShutter = {"30\"", "15\"", "8\"", "4\"",  "2\"",  "1\"",
                                               "0\"5", "1/4",  "1/8", "1/15", "1/30", "1/60"};

struct Spelling {
    ExposureKind kind;
    std::vector<std::string> choices;
    std::vector<std::string> skipped; // spellings that name no number
    double first, last;               // the numbers of the first and last that do
    double step;                      // stops between neighbours
};

class Spellings : public testing::TestWithParam<Spelling> {};

// Every number is read, Auto and Bulb are passed over, and neighbours lie a regular step apart
// on the body's scale: a misread spelling shows as a gap or a jump.
TEST_P(Spellings, ReadAsTheBodysScale) {
    const Spelling& s = GetParam();
    const std::vector<ExposureChoice> scale = exposure_scale(s.kind, s.choices);
    ASSERT_EQ(scale.size(), s.choices.size() - s.skipped.size());
    for (const std::string& text : s.skipped)
        EXPECT_FALSE(exposure_number(s.kind, text)) << text;
    EXPECT_NEAR(scale.front().number, s.first, s.first * 1e-3);
    EXPECT_NEAR(scale.back().number, s.last, s.last * 1e-3);
    for (size_t i = 1; i < scale.size(); ++i)
        EXPECT_NEAR(std::fabs(scale[i].stops - scale[i - 1].stops), s.step, 1e-9)
            << scale[i - 1].text << " to " << scale[i].text;
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, Spellings,
    testing::Values(
        Spelling{ExposureKind::Shutter, canonShutter, {"bulb"}, 30, 1.0 / 4000, 1.0 / 3},
        Spelling{ExposureKind::Shutter, nikonShutter, {"Bulb"}, 1.0 / 4000, 30, 1.0 / 3},
        Spelling{ExposureKind::Shutter, ptpShutter, {}, 30, 0.001, 1},
        Spelling{ExposureKind::Shutter, primeShutter, {}, 30, 1.0 / 60, 1},
        Spelling{ExposureKind::Aperture,
                 {"implicit auto",
                  "2.8",
                  "3.2",
                  "3.5",
                  "4",
                  "4.5",
                  "5",
                  "5.6",
                  "6.3",
                  "7.1",
                  "8",
                  "9",
                  "10",
                  "11",
                  "13",
                  "14",
                  "16",
                  "18",
                  "20",
                  "22"},
                 {"implicit auto"},
                 2.8,
                 22,
                 1.0 / 3},
        Spelling{ExposureKind::Aperture,
                 {"f/1.4", "f/2", "f/2.8", "f/4", "f/5.6", "f/8", "F11", "f/16", "f/", "Auto"},
                 {"f/", "Auto"},
                 1.4,
                 16,
                 1},
        Spelling{ExposureKind::Iso,
                 {"Auto", "100",  "125",  "160",  "200",  "250",  "320",  "400",  "500",  "640",
                  "800",  "1000", "1250", "1600", "2000", "2500", "3200", "4000", "5000", "6400"},
                 {"Auto"},
                 100,
                 6400,
                 1.0 / 3},
        Spelling{ExposureKind::Iso,
                 {"ISO 100", "ISO 200", "ISO 400", "ISO 800", "ISO 1600", "ISO AUTO", "Auto ISO",
                  "Hi 1"},
                 {"ISO AUTO", "Auto ISO", "Hi 1"},
                 100,
                 1600,
                 1}));

const std::vector<std::string> isoThirds = {
    "100",  "125",  "160",  "200",  "250",  "320",  "400",  "500",  "640",  "800",   "1000",
    "1250", "1600", "2000", "2500", "3200", "4000", "5000", "6400", "8000", "10000", "12800"};
const std::vector<std::string> apertureThirds = {"2.8", "3.2", "3.5", "4",  "4.5", "5",  "5.6",
                                                 "6.3", "7.1", "8",   "9",  "10",  "11", "13",
                                                 "14",  "16",  "18",  "20", "22"};

// A camera whose picture is as bright as the scene over its exposure, clipped at 3 EV over and
// 8 under mid-grey; it takes whatever the ramp writes.
struct ModelCamera {
    RampSettings settings;
    std::vector<double> exposures; // EV of each picture's settings
    std::vector<double> errors;    // scene EV less the camera's, each picture
    std::vector<std::string> lines;
    std::vector<std::string> isoChanges;
    std::vector<std::string> shutterAtIsoChange; // once the pass's changes are made

    double ev() const {
        double sum = 0;
        for (size_t k = 0; k < settings.size(); ++k) {
            if (settings[k])
                sum += exposure_stops(
                    static_cast<ExposureKind>(k),
                    *exposure_number(static_cast<ExposureKind>(k), settings[k]->value));
        }
        return sum;
    }

    void run(LightRamp& ramp, const std::function<double(int)>& scene, int passes,
             double slowest = 30) {
        for (int frame = 1; frame <= passes; ++frame) {
            const double exposure = ev();
            exposures.push_back(exposure);
            errors.push_back(scene(frame) - exposure);
            const double brightness = std::clamp(scene(frame) - exposure, -8.0, 3.0);
            const RampStep step = ramp.after_pass(brightness, settings, slowest);
            for (const std::string& note : step.notes)
                lines.push_back(note);
            for (const RampStep::Change& change : step.changes) {
                for (auto& setting : settings) {
                    if (setting && setting->key == change.setting.key) {
                        EXPECT_EQ(setting->value, change.from);
                        setting->value = change.setting.value;
                    }
                }
                if (change.setting.key == "iso")
                    isoChanges.push_back(change.setting.value);
                lines.push_back(change.line);
            }
            shutterAtIsoChange.resize(isoChanges.size(), settings[0] ? settings[0]->value : "");
        }
    }

    double largest_step() const {
        double largest = 0;
        for (size_t k = 1; k < exposures.size(); ++k)
            largest = std::max(largest, std::fabs(exposures[k] - exposures[k - 1]));
        return largest;
    }
    // Of the pictures from `from` on, the share within a third of a stop of the scene.
    double near_share(size_t from) const {
        long near = 0;
        for (size_t k = from; k < errors.size(); ++k)
            near += std::fabs(errors[k]) <= 1.0 / 3 + 1e-6;
        return double(near) / double(errors.size() - from);
    }
    int count(const std::string& part) const {
        return static_cast<int>(
            std::count_if(lines.begin(), lines.end(),
                          [&](const std::string& l) { return l.find(part) != std::string::npos; }));
    }
    std::string value(size_t kind) const { return settings[kind]->value; }
};

RampSetting box(const char* key, std::vector<std::string> choices, const char* value) {
    return {key, std::move(choices), value, false};
}

ModelCamera canon(const char* shutter, const char* aperture, const char* iso) {
    ModelCamera camera;
    camera.settings[0] = box("shutterspeed", canonShutter, shutter);
    camera.settings[1] = box("aperture", apertureThirds, aperture);
    camera.settings[2] = box("iso", isoThirds, iso);
    return camera;
}

double cosine(int frame, int frames, double from, double to) {
    const double t = std::clamp(double(frame - 1) / (frames - 1), 0.0, 1.0);
    return from + (to - from) * (1 - std::cos(std::acos(-1.0) * t)) / 2;
}

// Dusk: the shutter lengthens first, the ISO rises only once it is at its slowest, and the
// exposure stays within a third of a stop of the scene in small steps; dawn brings the ISO down
// before the shutter shortens.
TEST(LightRamp, FollowsDuskAndDawnInOrder) {
    ModelCamera camera = canon("1/125", "8", "100");
    LightRamp ramp(RampLimits{});
    camera.run(
        ramp, [](int f) { return cosine(f, 200, 13, 3); }, 200, 1);
    EXPECT_GE(camera.near_share(0), 0.95);
    EXPECT_LE(camera.largest_step(), 1.0 / 3 + 1e-9);
    EXPECT_EQ(camera.value(0), "1");
    EXPECT_EQ(camera.value(1), "8") << "the aperture stays where it was";
    EXPECT_EQ(camera.value(2), "800");
    EXPECT_EQ(camera.isoChanges, (std::vector<std::string>{"125", "160", "200", "250", "320", "400",
                                                           "500", "640", "800"}));
    // The ISO rose only with the shutter at its slowest.
    EXPECT_EQ(camera.shutterAtIsoChange, std::vector<std::string>(9, "1"));

    ModelCamera dawn = camera;
    dawn.exposures.clear(), dawn.errors.clear(), dawn.lines.clear(), dawn.isoChanges.clear(),
        dawn.shutterAtIsoChange.clear();
    dawn.run(
        ramp, [](int f) { return cosine(f, 120, 3, 9); }, 120, 1);
    EXPECT_GE(dawn.near_share(0), 0.95);
    EXPECT_EQ(dawn.value(2), "100") << "the ISO comes down first";
    EXPECT_EQ(dawn.value(0), "1/8");
    EXPECT_EQ(dawn.count("the limits allow"), 0);
}

// A flash in one picture moves nothing; a light that stays on is followed within a few passes.
TEST(LightRamp, PassesOverAFlashButFollowsALastingChange) {
    ModelCamera camera = canon("1/60", "8", "100");
    LightRamp ramp(RampLimits{});
    camera.run(
        ramp, [](int f) { return f == 12  ? 16.0
                                 : f < 20 ? 12.0
                                          : 13.0; }, 30);
    for (size_t k = 1; k < 19; ++k)
        EXPECT_DOUBLE_EQ(camera.exposures[k], 12) << "picture " << k + 1;
    EXPECT_NEAR(camera.exposures.back(), 13, 1e-9);
    EXPECT_LE(camera.largest_step(), 1.0 / 3 + 1e-9);
}

// At its limits the ramp says so once and holds; when the light comes back it moves again.
// A camera that offers nothing to move, and a pass without a picture, are said once too.
TEST(LightRamp, SaysOnceWhatHoldsIt) {
    ModelCamera camera = canon("1/60", "8", "100");
    RampLimits limits;
    limits.highestIso = 200;
    LightRamp ramp(limits);
    camera.run(
        ramp, [](int f) { return f < 40 ? 12 - 0.25 * f : 4.0; }, 60, 0.25);
    EXPECT_EQ(camera.value(0), "1/4");
    EXPECT_EQ(camera.value(2), "200");
    EXPECT_EQ(camera.count("darker than the target, but the settings are as far as the limits "
                           "allow (shutterspeed 1/4, aperture 8, iso 200)"),
              1);
    camera.run(
        ramp, [](int) { return 9.0; }, 30, 0.25);
    EXPECT_NEAR(camera.ev(), 9, 1.0 / 3);

    ModelCamera none;
    none.settings[1] = box("aperture", apertureThirds, "8");
    LightRamp fixed(RampLimits{});
    none.run(
        fixed, [](int f) { return 12.0 - f; }, 5);
    EXPECT_EQ(none.count("no shutter speed, ISO or free aperture setting"), 1);
    EXPECT_EQ(none.value(1), "8");

    ModelCamera unmeasured = canon("1/60", "8", "100");
    LightRamp waiting(RampLimits{});
    for (int pass = 0; pass < 3; ++pass) {
        const RampStep step = waiting.after_pass(std::nullopt, unmeasured.settings, 30);
        EXPECT_TRUE(step.changes.empty());
        EXPECT_EQ(step.notes.size(), pass == 0 ? 1u : 0u);
    }
}

// A box chosen by hand is left alone from then on; the others make up for it.
TEST(LightRamp, LeavesABoxChosenByHand) {
    ModelCamera camera = canon("1/60", "8", "400");
    camera.settings[2]->chosenByHand = true;
    LightRamp ramp(RampLimits{});
    camera.run(
        ramp, [](int f) { return 10.2 - 0.2 * f; }, 20);
    EXPECT_EQ(camera.value(2), "400");
    EXPECT_EQ(camera.count("iso was chosen by hand"), 1);
    EXPECT_GE(camera.near_share(5), 0.95);
}

// A body with whole-stop shutter speeds and no ISO still moves in thirds, pairing a shutter
// speed with an aperture when the apertures are free; with the aperture fixed it takes whole
// stops only when they come nearer.
TEST(LightRamp, CombinesCoarseScales) {
    ModelCamera camera;
    camera.settings[0] = box("shutterspeed", primeShutter, "1/60");
    camera.settings[1] = box("f-number",
                             {"f/4", "f/4.5", "f/5", "f/5.6", "f/6.3", "f/7.1", "f/8", "f/9",
                              "f/10", "f/11", "f/13", "f/14", "f/16"},
                             "f/8");
    RampLimits limits;
    limits.apertureFree = true;
    LightRamp ramp(limits);
    camera.run(
        ramp, [](int f) { return cosine(f, 80, 12, 8); }, 80);
    EXPECT_LE(camera.largest_step(), 1.0 / 3 + 1e-9);
    EXPECT_GE(camera.near_share(0), 0.95);

    ModelCamera fixed = camera;
    fixed.settings[1]->value = "f/8";
    fixed.settings[0]->value = "1/60";
    fixed.exposures.clear(), fixed.errors.clear();
    LightRamp stops(RampLimits{});
    fixed.run(
        stops, [](int f) { return cosine(f, 80, 12, 8); }, 80);
    EXPECT_EQ(fixed.value(1), "f/8");
    EXPECT_EQ(fixed.value(0), "1/4");
    for (double error : fixed.errors)
        EXPECT_LE(std::fabs(error), 0.5 + 1.0 / 6 + 1e-6);
}

} // namespace
