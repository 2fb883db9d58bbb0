// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/gui_harness.h"
#include "support/simcam_scenario.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// The real main window on a simulated camera, with a fresh working directory picked, ready for
// "Capture Image".
class CapturePass : public testing::Test {
  protected:
    explicit CapturePass(const std::string& scenario = "");
    ~CapturePass() override;

    // Presses "Capture Image" and returns what the pass wrote to the console.
    std::string press_capture();
    void use_directory(const std::string& dir);
    std::string status() const;
    // Names of the files in the working directory, hidden ones included, sorted.
    std::vector<std::string> files() const;
    // The picture as the camera holds it now.
    std::string camera_file(const std::string& folder, const std::string& name) const;

    TempDir work;
    SimcamScenario camera;
    FrameUnderTest frame;
    wxString startDirectory;
};
