// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the camera at start-up and with "Detect Camera": what the console, the message
// boxes, the buttons and the status bar tell the user.
#include "support/gui_harness.h"
#include "support/simcam_scenario.h"

#include "app/series_page.h"
#include "camera/settings_page.h"

#include <gphoto2/gphoto2-result.h>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

const char* const oneRadio = R"(
config "Camera Configuration"
  radio iso "ISO Speed" value=100 choice=100 choice=200
end
)";

const std::string turnedOn =
    "Failed to initialise camera. Please check the camera is turned on, then re-initialise or "
    "restart the program to enable camera paramaters.";
const std::string unmounted =
    "Failed to initialise camera. Please check the camera is unmounted and that no other "
    "applications are using it, then re-initialise or restart the program to enable camera "
    "paramaters.";

std::string failure_lines(int code) {
    return "Detecting Camera.\n\nFailed to initialise camera:\t" + std::to_string(code) + "\n" +
           gp_result_as_string(code) + "\n\n";
}

struct Buttons {
    bool capture, start, stop;
    bool operator==(const Buttons& o) const {
        return capture == o.capture && start == o.start && stop == o.stop;
    }
};

std::ostream& operator<<(std::ostream& out, const Buttons& b) {
    return out << "capture " << b.capture << ", start " << b.start << ", stop " << b.stop;
}

Buttons buttons() {
    return {captureButton->IsEnabled(), startButton->IsEnabled(), stopButton->IsEnabled()};
}

const LoggedMessage& error_record(const LogCapture& log) {
    for (const LoggedMessage& m : log.messages())
        if (m.level == wxLOG_Error)
            return m;
    throw std::logic_error("no error was logged");
}

void detect_camera(MyFrame* frame) {
    wxCommandEvent chosen(wxEVT_MENU, 30);
    frame->ProcessWindowEvent(chosen);
    EXPECT_TRUE(wait_for_camera()) << "the detection did not end";
}

std::string status_text(MyFrame* frame) {
    return frame->GetStatusBar()->GetStatusText(0).ToStdString();
}

struct StartUp {
    explicit StartUp(const std::string& scenario) : camera(scenario) {}
    SimcamScenario camera;
    StdoutCapture console;
    LogCapture log;
    FrameUnderTest frame;
};

TEST(StartUpDetection, APresentCameraEnablesCaptureAndListsItsParameters) {
    StartUp run(oneRadio);
    EXPECT_EQ(run.console.text(),
              "Detecting Camera.\n\nCamera initialised.\n\nFound parameter: iso\n\n");
    EXPECT_TRUE(run.log.errors().empty());
    EXPECT_EQ(buttons(), (Buttons{true, true, false}));
    EXPECT_EQ(parameterNames.size(), 1u);
}

TEST(StartUpDetection, EachFailureIsReportedAndDisablesTheButtons) {
    struct Case {
        const char* scenario;
        int code;
        std::string message;
    };
    for (const Case& c : {Case{"presence absent", GP_ERROR_MODEL_NOT_FOUND, turnedOn},
                          Case{"open-error -60", GP_ERROR_IO_LOCK, unmounted},
                          Case{"init-error -7", GP_ERROR_IO, ""}}) {
        StartUp run(c.scenario);
        EXPECT_EQ(run.console.text(), failure_lines(c.code)) << c.scenario;
        if (c.message.empty()) {
            EXPECT_TRUE(run.log.errors().empty()) << c.scenario;
        } else {
            ASSERT_EQ(run.log.errors(), std::vector<std::string>{c.message}) << c.scenario;
            const LoggedMessage& m = error_record(run.log);
            EXPECT_EQ(m.function, "initialise_camera");
            EXPECT_NE(m.file.find("camera/detection.cpp"), std::string::npos) << m.file;
        }
        EXPECT_EQ(buttons(), (Buttons{false, false, false})) << c.scenario;
        wxWindow* page = run.frame->notebook->GetPage(1);
        EXPECT_EQ(page->GetChildren().size(), 2u) << "only the two check boxes";
        EXPECT_TRUE(parameterNames.empty());
    }
}

TEST(DetectCamera, AfterAFailedStartUpItOpensTheCameraButAddsNoParameters) {
    StartUp run("presence absent");
    SimcamScenario nowPresent(oneRadio);
    StdoutCapture console;
    detect_camera(run.frame.get());
    EXPECT_EQ(console.text(), "Detecting Camera.\n\nCamera initialised.\n\n");
    EXPECT_EQ(buttons(), (Buttons{true, true, false}));
    EXPECT_EQ(status_text(run.frame.get()), "Camera initialised.");
    EXPECT_TRUE(parameterNames.empty());
    EXPECT_EQ(run.frame->notebook->GetPage(1)->GetChildren().size(), 2u);
    EXPECT_EQ(nowPresent.count("get_config"), 0) << "the configuration is not read again";
}

TEST(DetectCamera, ReopensAWorkingCameraAndLeavesStopAndTheRowsAlone) {
    StartUp run(oneRadio);
    stopButton->Enable(true);
    run.camera.clear_log();
    StdoutCapture console;
    detect_camera(run.frame.get());
    EXPECT_EQ(console.text(), "Detecting Camera.\n\nCamera initialised.\n\n");
    EXPECT_EQ(run.camera.log(), (std::vector<std::string>{"exit", "init"}));
    EXPECT_EQ(buttons(), (Buttons{true, true, true})) << "Stop keeps its state";
    ASSERT_EQ(parameterNames.size(), 1u);
    EXPECT_EQ(parameterCombos[0]->GetValue(), "100");
}

TEST(DetectCamera, FailingAfterAWorkingCameraKeepsCaptureAndStartEnabled) {
    StartUp run(oneRadio);
    SimcamScenario gone("presence absent");
    StdoutCapture console;
    LogCapture log;
    run.frame->SetStatusText("before", 0);
    detect_camera(run.frame.get());
    EXPECT_EQ(console.text(), failure_lines(GP_ERROR_MODEL_NOT_FOUND));
    ASSERT_EQ(log.errors(), std::vector<std::string>{turnedOn});
    EXPECT_EQ(error_record(log).function, "DetectCamera");
    EXPECT_EQ(buttons(), (Buttons{true, true, false}));
    EXPECT_EQ(status_text(run.frame.get()), "before");
}

TEST(DetectCamera, ABusyCameraAsksForItToBeUnmounted) {
    StartUp run(oneRadio);
    SimcamScenario busy("open-error -60");
    StdoutCapture console;
    LogCapture log;
    detect_camera(run.frame.get());
    EXPECT_EQ(console.text(), failure_lines(GP_ERROR_IO_LOCK));
    ASSERT_EQ(log.errors(), std::vector<std::string>{unmounted});
}

} // namespace
