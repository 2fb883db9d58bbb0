// SPDX-License-Identifier: GPL-3.0-or-later
// The window stays live while the camera takes its time: it repaints, switches pages and
// resizes during a pass, a box changed meanwhile applies at the next pass, and a camera that
// never answers leaves it usable.
#include "support/gui_harness.h"
#include "support/simcam_scenario.h"
#include "support/temp_dir.h"

#include "app/command_turns.h"
#include "app/series_page.h"
#include "camera/settings_page.h"

#include <gtest/gtest.h>
#include <memory>
#include <wx/timer.h>

namespace {

// Ticks of a 10 ms timer: a window that waits for the camera gets none.
class Ticks : public wxTimer {
  public:
    Ticks() { Start(10); }
    void Notify() override { ++count; }
    int count = 0;
};

class SlowCamera : public testing::Test {
  protected:
    explicit SlowCamera(const std::string& scenario = "capture-delay-ms 1500")
        : camera(scenario), startDirectory(wxGetCwd()) {
        directoryPicker->SetPath(work.path());
        wxSetWorkingDirectory(work.path());
        camera.clear_log();
    }
    ~SlowCamera() override {
        EXPECT_TRUE(wait_for_camera());
        wxSetWorkingDirectory(startDirectory);
    }

    TempDir work;
    SimcamScenario camera;
    FrameUnderTest frame;
    wxString startDirectory;
};

TEST_F(SlowCamera, RepaintsSwitchesPagesAndResizesDuringAPass) {
    StdoutCapture console;
    wxWindow* gallery = frame->notebook->GetPage(2);
    int galleryPaints = 0;
    auto countPaint = [&](wxPaintEvent& event) {
        ++galleryPaints;
        event.Skip();
    };
    gallery->Bind(wxEVT_PAINT, countPaint);
    Ticks ticks;
    click(captureButton);
    ASSERT_TRUE(command_turns().camera_busy());

    frame->notebook->SetSelection(2);
    const wxSize smallest = frame->GetMinSize();
    frame->SetSize(smallest);
    pump_until([&] { return ticks.count >= 30; }, 1000);
    EXPECT_TRUE(command_turns().camera_busy()) << "all of this happened while the camera worked";
    EXPECT_EQ(camera.count("capture"), 0);
    EXPECT_EQ(frame->notebook->GetSelection(), 2);
    EXPECT_GT(galleryPaints, 0);
    EXPECT_EQ(frame->GetSize(), smallest);
    EXPECT_GE(ticks.count, 30);
    gallery->Unbind(wxEVT_PAINT, countPaint);

    ASSERT_TRUE(wait_for_camera());
    EXPECT_EQ(camera.count("capture "), 1);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0),
              "Written file " + wxString::FromUTF8(work.file("IMG_0001.JPG")));
}

class SlowCameraWithParameters : public SlowCamera {
  protected:
    SlowCameraWithParameters() : SlowCamera("capture-delay-ms 800") {}
};

void choose(wxComboBox* box, const wxString& value) {
    box->SetValue(value);
    wxCommandEvent chosen(wxEVT_COMBOBOX, box->GetId());
    chosen.SetEventObject(box);
    box->GetEventHandler()->ProcessEvent(chosen);
}

wxComboBox* box_of(const wxString& key) {
    for (size_t i = 0; i < parameterNames.size(); ++i)
        if (parameterNames[i] == key)
            return parameterCombos[i];
    return nullptr;
}

TEST_F(SlowCameraWithParameters, ABoxChangedDuringAPassAppliesAtTheNextPass) {
    wxComboBox* iso = box_of("iso");
    ASSERT_NE(iso, nullptr);
    StdoutCapture console;
    click(captureButton);
    ASSERT_TRUE(command_turns().camera_busy());
    choose(iso, "400");
    ASSERT_TRUE(wait_for_camera());
    EXPECT_EQ(console.text().rfind("Capturing Image...\n", 0), 0u) << "nothing set in this pass";
    EXPECT_EQ(camera.count("set_config"), 0);

    click(captureButton);
    ASSERT_TRUE(wait_for_camera());
    const std::string text = console.text();
    const size_t firstEnd = text.find("IMG_0001.JPG deleted from camera.\n\n");
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_EQ(text.find("Setting camera paramaters:\n"), text.find('\n', firstEnd) + 2);
    EXPECT_NE(text.find("Paramater:\tiso\nValue:\t\t400\n"), std::string::npos);
    const std::vector<std::string> ops = camera.log();
    ASSERT_GE(ops.size(), 6u);
    EXPECT_EQ(ops[3], "get_config") << "read and written after the first pass, before the next";
    EXPECT_EQ(ops[4].rfind("set_config", 0), 0u);
    EXPECT_NE(ops[4].find("iso=400"), std::string::npos) << ops[4];
    EXPECT_EQ(ops[5], "capture /DCIM/100SIMCM/IMG_0002.JPG");
}

class HangingCamera : public SlowCamera {
  protected:
    HangingCamera() : SlowCamera("capture-hang 1") {}
};

TEST_F(HangingCamera, TheWindowStaysUsableAndTakesStopAndDetectInTurn) {
    StdoutCapture console;
    LogCapture log;
    intervalText->SetValue("0");
    maxFramesText->SetValue("0");
    click(startButton);
    Ticks ticks;
    ASSERT_TRUE(pump_until([&] { return camera.count("capture hangs") == 1; }, 5000));
    frame->notebook->SetSelection(1);
    click(stopButton);
    wxCommandEvent detect(wxEVT_MENU, 30);
    frame->ProcessWindowEvent(detect);
    pump_until([&] { return ticks.count >= 30; }, 1000);
    EXPECT_GE(ticks.count, 30) << "the window is not waiting for the camera";
    EXPECT_TRUE(command_turns().camera_busy());
    EXPECT_EQ(frame->notebook->GetSelection(), 1);
    EXPECT_EQ(camera.count("exit"), 0) << "Detect Camera waits for the capture";

    // The camera answers at last: the capture fails and disables the buttons, so the Stop
    // clicked meanwhile finds its button disabled; Detect Camera then opens the camera again.
    write_file(camera.path(), "log " + camera.log_path() + "\n");
    ASSERT_TRUE(pump_until(
        [] { return !command_turns().camera_busy() && startButton->IsEnabled(); }, 10000));
    EXPECT_EQ(console.text(), "Starting capture.\n\nCapturing Image...\n"
                              "Could not capture image:\t-7\nCheck the camera and re-initialise.\n"
                              "Detecting Camera.\n\nCamera initialised.\n\n");
    EXPECT_EQ(camera.count("capture failed -7"), 1);
    EXPECT_EQ(camera.log().back(), "init");
    EXPECT_EQ(log.errors(), std::vector<std::string>{"Could not capture an image. Please check "
                                                     "the camera and re-initialise."});
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Camera initialised.");
}

} // namespace
