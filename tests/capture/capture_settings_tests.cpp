// SPDX-License-Identifier: GPL-3.0-or-later
// The pass after a box was chosen applies every box, whatever the camera was last known to hold,
// with single-setting writes where the driver has them and otherwise through the whole
// configuration; the console tells the same story either way, and the camera's log shows what
// it held when each picture was taken.
#include "capture_fixture.h"

#include "app/ids.h"
#include "camera/settings_page.h"

#include <wx/combobox.h>

namespace {

const std::string tree = R"(
config "Camera Configuration"
  section main "Main"
    radio iso "ISO Speed" value=100 choice=100 choice=200 choice=400
    radio wb "White Balance" value=Auto choice=Auto choice=Daylight
    radio "" "Drive Mode" value=Single choice=Single choice=Burst
    radio aperture "Aperture" value=2.8 choice=2.8 choice=5.6 choice=8 choice=11
  end
end
log-settings iso wb "Drive Mode" aperture
)";

const char startValues[] = "iso=100\twb=Auto\tDrive Mode=Single\taperture=2.8";

// The parameter is whether the driver writes single settings itself.
class Boxes : public CapturePass, public testing::WithParamInterface<bool> {
  protected:
    explicit Boxes(const std::string& extra)
        : CapturePass(tree + (GetParam() ? "single-config yes\n" : "single-config no\n") + extra) {}

    // What choosing an entry, or typing a text and then choosing it, does.
    void choose(const wxString& key, const wxString& value) {
        auto* box = find_control<wxComboBox>(frame.get(), key);
        ASSERT_NE(box, nullptr) << key;
        box->SetValue(value);
        wxCommandEvent chosen(wxEVT_COMBOBOX, box->GetId());
        chosen.SetEventObject(box);
        chosen.SetString(value);
        box->GetEventHandler()->ProcessEvent(chosen);
    }

    void detect_camera() {
        wxCommandEvent chosen(wxEVT_MENU, ID_DETECT_CAMERA);
        frame->ProcessWindowEvent(chosen);
        EXPECT_TRUE(wait_for_camera()) << "the detection did not end";
    }

    // The settings step of a pass's console, up to "Capturing Image...".
    static std::string settings_step(const std::string& out) {
        const std::string end = "Capturing Image...\n";
        return out.substr(0, out.find(end) + end.size());
    }

    // The camera's log from the picture before the nth on (all of it for the first), up to the
    // nth: reads and writes of settings, then what the camera held as it took the picture.
    std::vector<std::string> up_to_capture(int nth) const {
        std::vector<std::string> lines;
        int captures = 0;
        for (const std::string& line : camera.log()) {
            const bool capture = line.rfind("capture ", 0) == 0;
            if (capture && ++captures == nth) {
                lines.push_back(line.substr(line.find('\t') + 1));
                return lines;
            }
            if (captures == nth - 1 &&
                (line.rfind("get_", 0) == 0 || line.rfind("set_", 0) == 0 || line == "init"))
                lines.push_back(line);
        }
        ADD_FAILURE() << "no capture " << nth;
        return lines;
    }
};

class DialTurned : public Boxes {
  protected:
    DialTurned() : Boxes("dial-after-capture 1 aperture 8") {}
};

TEST_P(DialTurned, AfterAChoiceEveryBoxIsWrittenAndTheCameraHoldsThemAtTheCapture) {
    EXPECT_EQ(settings_step(press_capture()), "Capturing Image...\n");
    EXPECT_EQ(up_to_capture(1), std::vector<std::string>{startValues});
    ASSERT_EQ(camera.count("dial\taperture=8"), 1) << "the hand turned the dial";

    choose("iso", "400");
    EXPECT_EQ(settings_step(press_capture()), "Setting camera paramaters:\n"
                                              "Paramater:\tiso\nValue:\t\t400\n"
                                              "Paramater:\twb\nValue:\t\tAuto\n"
                                              "Paramater:\tDrive Mode\nValue:\t\tSingle\n"
                                              "Paramater:\taperture\nValue:\t\t2.8\n"
                                              "\nCapturing Image...\n");
    const std::string held = "iso=400\twb=Auto\tDrive Mode=Single\taperture=2.8";
    if (GetParam())
        // The nameless box cannot be named to the driver: the whole configuration takes it.
        EXPECT_EQ(up_to_capture(2), (std::vector<std::string>{"set_single_config\tiso=400",
                                                              "set_single_config\twb=Auto",
                                                              "set_single_config\taperture=2.8",
                                                              "get_config", "set_config", held}));
    else
        EXPECT_EQ(up_to_capture(2), (std::vector<std::string>{
                                        "get_config", "set_config\tiso=400\taperture=2.8", held}));

    // Only the pass after a change pays for the writes.
    EXPECT_EQ(settings_step(press_capture()), "Capturing Image...\n");
    EXPECT_EQ(up_to_capture(3), std::vector<std::string>{held});
}

class ForgetfulBody : public Boxes {
  protected:
    ForgetfulBody() : Boxes("forget-settings yes") {}
};

TEST_P(ForgetfulBody, AfterDetectCameraTheNextChoiceBringsEveryBoxBack) {
    choose("iso", "400");
    choose("Drive Mode", "Burst");
    press_capture();
    EXPECT_EQ(up_to_capture(1).back(), "iso=400\twb=Auto\tDrive Mode=Burst\taperture=2.8");

    detect_camera();
    // Detecting the camera chooses nothing, so the body takes its picture as it woke up.
    EXPECT_EQ(settings_step(press_capture()), "Capturing Image...\n");
    EXPECT_EQ(up_to_capture(2), (std::vector<std::string>{"init", startValues}));

    choose("wb", "Daylight");
    const std::string out = press_capture();
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
    EXPECT_EQ(up_to_capture(3).back(), "iso=400\twb=Daylight\tDrive Mode=Burst\taperture=2.8");
}

class RefusingBody : public Boxes {
  protected:
    RefusingBody() : Boxes("refuse-value aperture 5.6 -113") {}
};

TEST_P(RefusingBody, ARefusedValueCostsOnlyItsOwnBox) {
    choose("iso", "400");
    choose("wb", "Cloudy");
    choose("Drive Mode", "1");
    choose("aperture", "5.6");
    EXPECT_EQ(settings_step(press_capture()),
              "Setting camera paramaters:\n"
              "Paramater:\tiso\nValue:\t\t400\n"
              "Paramater:\twb\nValue:\t\tCloudy\nError setting paramater:\t-2\n"
              "Paramater:\tDrive Mode\nValue:\t\t1\n"
              "Paramater:\taperture\nValue:\t\t5.6\nError setting paramater:\t-113\n"
              "\nCapturing Image...\n");
    const std::string held = "iso=400\twb=Auto\tDrive Mode=Burst\taperture=2.8";
    if (GetParam())
        EXPECT_EQ(up_to_capture(1),
                  (std::vector<std::string>{"set_single_config\tiso=400",
                                            "set_single_config failed -113 aperture", "get_config",
                                            "set_config\tDrive Mode=Burst", held}));
    else
        // The refused write carried three boxes; each is then written on its own.
        EXPECT_EQ(up_to_capture(1),
                  (std::vector<std::string>{"get_config", "set_config failed -113", "get_config",
                                            "set_config\tiso=400", "get_config",
                                            "set_config\tDrive Mode=Burst", "get_config",
                                            "set_config failed -113", held}));
}

class FailingWrites : public Boxes {
  protected:
    FailingWrites() : Boxes("set-config-error -7") {}
};

TEST_P(FailingWrites, AFailedWriteIsReportedForEveryBox) {
    choose("iso", "400");
    EXPECT_EQ(settings_step(press_capture()),
              "Setting camera paramaters:\n"
              "Paramater:\tiso\nValue:\t\t400\nError setting paramater:\t-7\n"
              "Paramater:\twb\nValue:\t\tAuto\nError setting paramater:\t-7\n"
              "Paramater:\tDrive Mode\nValue:\t\tSingle\nError setting paramater:\t-7\n"
              "Paramater:\taperture\nValue:\t\t2.8\nError setting paramater:\t-7\n"
              "\nCapturing Image...\n");
    EXPECT_EQ(up_to_capture(1).back(), startValues);
}

std::string writes_name(const testing::TestParamInfo<bool>& info) {
    return info.param ? "SingleSettings" : "WholeConfiguration";
}

INSTANTIATE_TEST_SUITE_P(Writes, DialTurned, testing::Bool(), writes_name);
INSTANTIATE_TEST_SUITE_P(Writes, ForgetfulBody, testing::Bool(), writes_name);
INSTANTIATE_TEST_SUITE_P(Writes, RefusingBody, testing::Bool(), writes_name);
INSTANTIATE_TEST_SUITE_P(Writes, FailingWrites, testing::Bool(), writes_name);

} // namespace
