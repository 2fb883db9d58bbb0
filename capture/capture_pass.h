// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "camera/parameter_writer.h"
#include "display/display.h"

#include <optional>
#include <vector>
#include <wx/string.h>

// What a pass needs from the window, read on the GUI thread before it starts.
struct CaptureRequest {
    // Set when a parameter box was changed: the settings are written first.
    bool writeSettings = false;
    std::vector<ParameterSetting> settings;
    wxString frames;    // the Frames text
    wxString directory; // the working directory
    bool retrieve = true;
    bool remove = true;
    bool inSeries = false;
    int seriesPass = 0; // the pass of the series, whose record gets a row per picture; 0 outside
};

// What the window shows of a pass once it has ended.
struct CaptureResult {
    int failedCaptures = 0;
    std::optional<wxString> status; // the last text for the status bar
    std::optional<PreviewImages> preview;
};

// Writes the changed settings, takes the frames, downloads, writes and deletes them and makes
// the preview of the last one, with the console lines of each step. Camera thread.
CaptureResult run_capture_pass(const CaptureRequest& request);
