// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "camera/parameter_writer.h"
#include "capture/follow_light.h"
#include "capture/reconnect.h"
#include "display/display.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <wx/string.h>

// What a pass needs from the window, read on the GUI thread before it starts: the camera thread
// touches nothing that the GUI thread writes.
struct CaptureRequest {
    // Set when a parameter box was changed: the settings are written first.
    bool writeSettings = false;
    std::vector<ParameterSetting> settings;
    std::optional<long> frames; // per pass; none when the Frames text is no whole number
    std::string directory;      // the working directory, as the filesystem names it
    bool retrieve = true;
    bool remove = true;
    bool inSeries = false;
    int seriesPass = 0; // the pass of the series, whose record gets a row per picture; 0 outside
    std::int32_t framesBefore = 0; // frames the series had taken when the pass began
    // Set in a series that waits for a lost camera: how long it waits.
    std::optional<long> reconnectMinutes;
    // Set in a series whose exposure follows the light.
    std::optional<FollowLightRequest> followLight;
};

// What the window shows of a pass once it has ended.
struct CaptureResult {
    int framesTaken = 0;
    int failedCaptures = 0;
    std::optional<wxString> status; // the last text for the status bar
    std::optional<PreviewImages> preview;
    std::optional<CameraLoss> lost; // the camera went, and the pass left it alone from then on
    std::optional<FollowLightResult> followLight;
};

// Writes the changed settings, takes the frames, downloads, writes and deletes them and makes
// the preview of the last one, with the console lines of each step. Camera thread.
CaptureResult run_capture_pass(const CaptureRequest& request);

// Downloads, writes and deletes the pictures that a pass left on the card when it lost the
// camera, as a pass does, the picture of a capture cut short included: it counts as a frame
// taken. Camera thread.
CaptureResult fetch_pictures(const CaptureRequest& request, const CameraLoss& loss);

// The console lines of a failed capture.
void print_failed_capture(int result);
