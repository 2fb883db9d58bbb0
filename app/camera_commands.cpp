// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that reach the camera: each reads what it needs from the window, leaves the
// camera's part to the camera thread and shows the outcome when it comes back.
#include "app/command_turns.h"
#include "app/series_page.h"
#include "app/vantlow.h"
#include "camera/detection.h"
#include "camera/settings_page.h"
#include "capture/capture_pass.h"
#include "capture/follow_light_window.h"
#include "capture/reconnect.h"
#include "capture/run_state.h"
#include "capture/series.h"

#include <memory>

namespace {

// Text for the camera library and console; a text the locale cannot hold becomes empty.
std::string to_bytes(const wxString& text) {
    wxCharBuffer bytes = text.mb_str(wxConvLibc);
    return bytes.data() ? std::string(bytes.data()) : std::string();
}

// Where pictures go and what becomes of them.
CaptureRequest read_picture_request() {
    CaptureRequest request;
    long frames;
    if (framesText->GetValue().ToLong(&frames, 10))
        request.frames = frames;
    // The picker's path names the folder for the filesystem, whatever the locale.
    request.directory = std::string(directoryPicker->GetPath().fn_str());
    request.retrieve = retrieveImageCheck->IsChecked();
    request.remove = deleteImageCheck->IsChecked();
    request.inSeries = captureRunning;
    request.seriesPass = captureRunning ? series_pass() : 0;
    request.framesBefore = frameCount;
    if (captureRunning)
        request.reconnectMinutes = series_reconnect_minutes();
    return request;
}

CaptureRequest read_capture_request() {
    CaptureRequest request = read_picture_request();
    // A box changed from here on applies at the next pass.
    request.writeSettings = settingsChanged;
    if (settingsChanged)
        for (size_t i = 0; i < parameterNames.size(); ++i)
            request.settings.push_back(
                {to_bytes(parameterNames[i]), to_bytes(parameterCombos[i]->GetValue())});
    settingsChanged = false;
    request.followLight = follow_light_request();
    return request;
}

} // namespace

void MyFrame::ParameterChanged(wxCommandEvent& event) {
    settingsChanged = true;
    note_box_chosen(event.GetEventObject());
}

void MyFrame::CapturePressed(wxCommandEvent& event) {
    if (!command_turns().wait_for_turn(captureButton,
                                       [this, event]() mutable { CapturePressed(event); }))
        CaptureImage();
}

void MyFrame::CaptureImage() {
    command_turns().start_camera_job([this, request = read_capture_request()] {
        auto result = std::make_shared<CaptureResult>(run_capture_pass(request));
        return [this, result] { CaptureImage(*result); };
    });
}

void MyFrame::CaptureImage(const CaptureResult& result) {
    frameCount += result.framesTaken;
    note_camera_loss(result.lost);
    if (result.lost)
        set_camera_open(false);
    for (int i = 0; i < result.failedCaptures; ++i)
        wxLogError("Could not capture an image. Please check the camera and re-initialise.");
    if (result.failedCaptures > 0) {
        // The pass closed the camera.
        set_camera_open(false);
        captureRunning = false;
        captureButton->Enable(false);
        startButton->Enable(false);
        stopButton->Enable(false);
    }
    if (result.status)
        SetStatusText(*result.status, 0);
    if (result.preview)
        show_preview_images(*result.preview);
    if (result.followLight)
        show_follow_light(*result.followLight);
}

void MyFrame::ReconnectCamera(const CameraLoss& loss, std::function<void()> back) {
    command_turns().start_camera_job([this, loss, back, request = read_picture_request()] {
        auto fetched = std::make_shared<CaptureResult>();
        if (!take_camera_back(request, loss, fetched.get()))
            return std::function<void()>([] {});
        return std::function<void()>([this, fetched, back] {
            set_camera_open(true);
            // As after a box change: the body may have forgotten its settings.
            settingsChanged = true;
            CaptureImage(*fetched);
            back();
        });
    });
}

void MyFrame::CameraNotBack(int result) {
    print_failed_capture(result);
    CaptureResult failed;
    failed.failedCaptures = 1;
    CaptureImage(failed);
}

void MyFrame::DetectCamera(wxCommandEvent& event) {
    if (command_turns().wait_for_turn(nullptr, [this, event]() mutable { DetectCamera(event); }))
        return;
    command_turns().start_camera_job([this] {
        const int result = redetect_camera();
        return [this, result] { DetectCamera(result); };
    });
}

void MyFrame::DetectCamera(int result) {
    set_camera_open(result == GP_OK);
    if (result != GP_OK) {
        wxString advice = camera_failure_advice(result);
        if (!advice.empty())
            wxLogError(advice);
        return;
    }
    captureButton->Enable(true);
    startButton->Enable(true);
    SetStatusText("Camera initialised.", 0);
}
