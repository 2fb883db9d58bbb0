// SPDX-License-Identifier: GPL-3.0-or-later
// Changed parameters reach the camera with as few round trips as it allows, and the console
// tells the same story either way: single-setting writes where the driver offers them, else
// one full read and one full write for all of them.
#include "capture_fixture.h"

#include "camera/settings_page.h"

namespace {

const std::string tree = R"(
config "Camera Configuration"
  section main "Main"
    radio iso "ISO Speed" value=100 choice=100 choice=200 choice=400
    radio wb "White Balance" value=Auto choice=Auto choice=Daylight
    radio "" "Drive Mode" value=Single choice=Single choice=Burst
    radio aperture "Aperture" value=8 choice=5.6 choice=8 choice=11
  end
end
)";

// The lines of the settings step when iso goes to 400, wb to a text that is no choice, the
// nameless one to its index 1, and aperture keeps its value.
const std::string settingLines = "Setting camera paramaters:\n"
                                 "Paramater:\tiso\nValue:\t\t400\n"
                                 "Paramater:\twb\nValue:\t\tCloudy\nError setting paramater:\t-2\n"
                                 "Paramater:\tDrive Mode\nValue:\t\t1\n"
                                 "Paramater:\taperture\nValue:\t\t8\n"
                                 "\nCapturing Image...\n";

class Settings : public CapturePass {
  protected:
    explicit Settings(const std::string& extra) : CapturePass(tree + extra) {}

    // Changes the boxes as settingLines says, takes a pass and returns its settings step.
    std::string change_and_capture() {
        parameterCombos[0]->SetValue("400");
        parameterCombos[1]->SetValue("Cloudy");
        parameterCombos[2]->SetValue("1");
        settingsChanged = true;
        const std::string out = press_capture();
        return out.substr(0, out.find("New file"));
    }
};

class WholeConfiguration : public Settings {
  protected:
    WholeConfiguration() : Settings("single-config no") {}
};

class SingleSettings : public Settings {
  protected:
    SingleSettings() : Settings("single-config yes") {}
};

TEST_F(WholeConfiguration, WithoutSingleSettingsAllAreWrittenInOneReadAndOneWrite) {
    EXPECT_EQ(change_and_capture(), settingLines);
    EXPECT_EQ(camera.count("get_config"), 1);
    EXPECT_EQ(camera.count("set_config"), 1);
    EXPECT_EQ(camera.count("set_single_config"), 0);
    const std::vector<std::string> log = camera.log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1], "set_config\tiso=400\tDrive Mode=Burst");
    EXPECT_EQ(log[2].rfind("capture ", 0), 0u) << "written before the capture";
}

TEST_F(SingleSettings, EachChangedSettingIsOneSingleWriteAndTheRestOneWholeWrite) {
    EXPECT_EQ(change_and_capture(), settingLines) << "the same lines as a whole write";
    EXPECT_EQ(camera.count("get_single_config"), 0);
    const std::vector<std::string> log = camera.log();
    ASSERT_GE(log.size(), 4u);
    // The unchanged aperture costs nothing; the nameless parameter cannot be named to the
    // driver, so the whole configuration takes it.
    EXPECT_EQ(log[0], "set_single_config\tiso=400");
    EXPECT_EQ(log[1], "get_config");
    EXPECT_EQ(log[2], "set_config\tDrive Mode=Burst");
    EXPECT_EQ(log[3].rfind("capture ", 0), 0u) << "all written before the capture";
}

TEST_F(SingleSettings, ABoxBackAtTheCamerasValueCostsNoWrite) {
    parameterCombos[0]->SetValue("200");
    settingsChanged = true;
    press_capture();
    EXPECT_EQ(camera.count("set_single_config"), 1);
    settingsChanged = true;
    press_capture();
    EXPECT_EQ(camera.count("set_single_config"), 1) << "the camera already holds 200";
    parameterCombos[0]->SetValue("100");
    settingsChanged = true;
    const std::string out = press_capture();
    EXPECT_EQ(out.substr(0, out.find("Paramater:\twb")),
              "Setting camera paramaters:\nParamater:\tiso\nValue:\t\t100\n");
    EXPECT_EQ(camera.count("set_single_config\tiso=100"), 1);
}

class FailingWrites : public Settings {
  protected:
    FailingWrites() : Settings("single-config no\nset-config-error -7") {}
};

TEST_F(FailingWrites, AFailedWriteIsReportedForEverySettingItCarried) {
    parameterCombos[0]->SetValue("400");
    settingsChanged = true;
    const std::string out = press_capture();
    EXPECT_EQ(out.substr(0, out.find("Capturing")),
              "Setting camera paramaters:\n"
              "Paramater:\tiso\nValue:\t\t400\nError setting paramater:\t-7\n"
              "Paramater:\twb\nValue:\t\tAuto\nError setting paramater:\t-7\n"
              "Paramater:\tDrive Mode\nValue:\t\tSingle\nError setting paramater:\t-7\n"
              "Paramater:\taperture\nValue:\t\t8\nError setting paramater:\t-7\n\n");
    EXPECT_EQ(camera.count("set_config failed -7"), 1);
}

} // namespace
