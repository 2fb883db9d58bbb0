// SPDX-License-Identifier: GPL-3.0-or-later
// A series that follows the light, in the real window on a simulated camera whose scene darkens:
// the camera's own log tells how near its exposure stayed to the scene.
#include "app/series_options_store.h"
#include "app/series_page.h"
#include "app/vantlow.h"
#include "camera/settings_page.h"
#include "capture/run_state.h"
#include "record/series_record.h"
#include "support/gui_harness.h"
#include "support/simcam_scenario.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <wx/combobox.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// A body in manual at 1/60, f/8 and ISO 100, which is right for the scene's EV 12 at first.
const std::string camera = R"(
picture jpeg 120 90
scene-ev 1 12
scene-ev 4 12
scene-ev 30 7
log-settings shutterspeed iso
config "Camera Configuration"
  section main "Main"
    radio shutterspeed "Shutter Speed" value=1/60 choice=bulb choice=1 choice=0.8 choice=0.6 choice=0.5 choice=0.4 choice=0.3 choice=1/4 choice=1/5 choice=1/6 choice=1/8 choice=1/10 choice=1/13 choice=1/15 choice=1/20 choice=1/25 choice=1/30 choice=1/40 choice=1/50 choice=1/60 choice=1/80 choice=1/100 choice=1/125
    radio aperture "Aperture" value=8 choice=5.6 choice=6.3 choice=7.1 choice=8 choice=9
    radio iso "ISO Speed" value=100 choice=Auto choice=100 choice=125 choice=160 choice=200 choice=250 choice=320 choice=400 choice=500 choice=640 choice=800
  end
end
)";

struct Capture {
    double error; // scene EV less the camera's
    std::string shutter, iso;
};

double field(const std::string& line, const std::string& name) {
    const auto at = line.find(name + "=");
    return at == std::string::npos ? NAN : std::atof(line.c_str() + at + name.size() + 1);
}

std::string text_field(const std::string& line, const std::string& name) {
    const auto at = line.find(name + "=");
    if (at == std::string::npos)
        return "";
    const auto end = line.find('\t', at);
    return line.substr(at + name.size() + 1,
                       end == line.npos ? line.npos : end - at - name.size() - 1);
}

SeriesOptions darkening_options() {
    SeriesOptions options;
    options.followLight = true;
    options.slowestShutter = 0.125;
    options.highestIso = 200;
    return options;
}

class FollowLight : public testing::Test {
  protected:
    explicit FollowLight(const std::string& scenario = camera,
                         const SeriesOptions& options = darkening_options(),
                         const char* interval = "0", const char* frames = "30")
        : scene(scenario), previous(wxGetCwd()) {
        frame.emplace();
        directoryPicker->SetPath(pictures.path());
        wxSetWorkingDirectory(pictures.path());
        set_window_series_options(options);
        intervalText->SetValue(interval);
        runtimeText->SetValue("0");
        maxFramesText->SetValue(frames);
        framesText->SetValue("1");
    }
    ~FollowLight() override {
        set_window_series_options(SeriesOptions());
        frame.reset();
        wxSetWorkingDirectory(previous);
    }

    std::vector<Capture> captures() const {
        std::vector<Capture> found;
        for (const std::string& line : scene.log()) {
            if (line.rfind("capture ", 0) == 0)
                found.push_back({field(line, "scene_ev") - field(line, "camera_ev"),
                                 text_field(line, "shutterspeed"), text_field(line, "iso")});
        }
        return found;
    }

    wxComboBox* box(const char* key) const { return find_control<wxComboBox>(frame->get(), key); }

    // Starts the series, does `meanwhile` once it has taken `frames` frames, and waits for its
    // end.
    void run_series(int frames = 0, const std::function<void()>& meanwhile = nullptr) {
        click(startButton);
        ASSERT_TRUE(pump_until([] { return !startButton->IsEnabled(); }, 10000));
        if (meanwhile) {
            ASSERT_TRUE(pump_until([frames] { return frameCount >= frames; }, 60000));
            meanwhile();
        }
        EXPECT_TRUE(pump_until([] { return startButton->IsEnabled(); }, 120000))
            << "the series did not end";
    }

    SimcamScenario scene;
    TempDir pictures;
    StdoutCapture console;
    wxString previous;
    std::optional<FrameUnderTest> frame;
};

// The exposure follows a darkening scene within a third of a stop but where the light begins to
// fall, the shutter first and the ISO once the shutter is at its slowest, until both are at
// their limits: that is said once and the exposure holds. Each change is a line of its own after
// its pass, the boxes show what the camera holds without a pass writing them again, and the record
// gives each frame's settings.
TEST_F(FollowLight, FollowsADarkeningSceneToItsLimits) {
    run_series();
    const std::vector<Capture> taken = captures();
    ASSERT_EQ(taken.size(), 30u);
    int near = 0;
    for (size_t k = 0; k < taken.size(); ++k) {
        // Until the limits hold it: 1/8 s, f/8 and ISO 200 are EV 8.
        if (k < 24) {
            near += std::fabs(taken[k].error) <= 1.0 / 3 + 0.01;
            EXPECT_LE(std::fabs(taken[k].error), 0.5 + 0.01) << "picture " << k + 1;
        }
        if (k > 0 && taken[k].iso != taken[k - 1].iso) {
            EXPECT_EQ(taken[k].shutter, "1/8") << "ISO raised before the shutter's limit";
        }
    }
    EXPECT_GE(near, 21);
    EXPECT_EQ(taken.back().shutter, "1/8");
    EXPECT_EQ(taken.back().iso, "200");
    EXPECT_EQ(box("shutterspeed")->GetValue(), "1/8");
    EXPECT_EQ(box("iso")->GetValue(), "200");
    EXPECT_EQ(box("aperture")->GetValue(), "8");

    const std::string out = console.text();
    EXPECT_EQ(out.find("Setting camera paramaters:"), std::string::npos)
        << "a ramp change must not make the next pass write every box";
    EXPECT_NE(out.find(".JPG deleted from camera.\n\nFollow the light: shutterspeed 1/60 -> 1/50 "
                       "(measured -0."),
              std::string::npos);
    const std::string limit = "Follow the light: the pictures are darker than the target, but the "
                              "settings are as far as the limits allow (shutterspeed 1/8, aperture "
                              "8, iso 200); the exposure holds.\n\nSleeping for 0 seconds...";
    const auto at = out.find(limit);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(out.find("as far as the limits allow", at + limit.size()), std::string::npos)
        << "said once";

    const SeriesRecord record = read_series_record(newest_series_record(pictures.path()));
    ASSERT_EQ(record.rows.size(), 30u);
    EXPECT_TRUE(exposure_followed_light(record));
    EXPECT_EQ(*record.rows.front().field(record_column::shutterSeconds), "0.0166667");
    EXPECT_EQ(*record.rows.back().field(record_column::shutterSeconds), "0.125");
    EXPECT_EQ(*record.rows.back().field(record_column::iso), "200");
    EXPECT_EQ(*record.rows.back().field(record_column::aperture), "8");
    for (const SeriesRecordRow& row : record.rows) {
        const std::string* brightness = row.field(record_column::brightnessEv);
        ASSERT_NE(brightness, nullptr);
        EXPECT_GE(std::atof(brightness->c_str()), -4) << "frame " << row.frame;
    }
}

// The ISO box chosen in the middle of the series is the photographer's: the ramp says so once,
// never moves it, and the chosen value reaches the camera at the next pass.
TEST_F(FollowLight, LeavesABoxChosenByHand) {
    run_series(4, [this] {
        wxComboBox* iso = box("iso");
        iso->SetValue("200");
        wxCommandEvent chosen(wxEVT_COMBOBOX, iso->GetId());
        chosen.SetEventObject(iso);
        iso->GetEventHandler()->ProcessEvent(chosen);
    });

    const std::vector<Capture> taken = captures();
    ASSERT_EQ(taken.size(), 30u);
    EXPECT_EQ(taken.back().iso, "200");
    for (size_t k = 8; k < taken.size(); ++k)
        EXPECT_EQ(taken[k].iso, "200") << "picture " << k + 1;
    const std::string out = console.text();
    const std::string note = "Follow the light: iso was chosen by hand; the ramp leaves it alone "
                             "from now on.";
    const auto at = out.find(note);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(out.find(note, at + note.size()), std::string::npos);
    EXPECT_EQ(out.find("Follow the light: iso 100 -> "), std::string::npos);
    EXPECT_NE(out.find("Setting camera paramaters:"), std::string::npos);
}

// A dark scene at 1/4 s in a steady cadence of one second: the shutter lengthens only as far as
// the second less the time a pass takes besides its exposure, and the ISO makes up the rest.
class SteadyFollowLight : public FollowLight {
  protected:
    SteadyFollowLight() : FollowLight(steady_camera(), steady_options(), "1", "10") {}

    static std::string steady_camera() {
        std::string text = camera;
        text.replace(text.find("scene-ev 1 12\nscene-ev 4 12\nscene-ev 30 7\n"),
                     std::string("scene-ev 1 12\nscene-ev 4 12\nscene-ev 30 7\n").size(),
                     "scene-ev 1 5\n");
        text.replace(text.find("value=1/60"), 10, "value=1/4");
        return text;
    }
    static SeriesOptions steady_options() {
        SeriesOptions options;
        options.followLight = true;
        options.cadence = Cadence::Steady;
        options.highestIso = 800;
        return options;
    }
};

TEST_F(SteadyFollowLight, KeepsTheShutterWithinTheInterval) {
    run_series();
    const std::vector<Capture> taken = captures();
    ASSERT_EQ(taken.size(), 10u);
    for (const Capture& capture : taken)
        EXPECT_NE(capture.shutter, "1") << "a whole second leaves no time for the pass";
    EXPECT_NE(taken.back().iso, "100") << "the ISO makes up for the shutter";
    const SeriesRecord record = read_series_record(newest_series_record(pictures.path()));
    double longest = 0;
    for (const SeriesRecordRow& row : record.rows) {
        if (const std::string* shutter = row.field(record_column::shutterSeconds))
            longest = std::max(longest, std::atof(shutter->c_str()));
    }
    EXPECT_GE(longest, 0.25);
    EXPECT_LT(longest, 1);
}

} // namespace
