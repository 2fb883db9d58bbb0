// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/simcam_scenario.h"

#include <string>
#include <vector>

// Where every picture the simulated camera took has gone. A picture counts as on disk when a
// file anywhere under the folder holds exactly the bytes the camera delivered for it (each file
// stands for one picture only, so an overwritten picture is missing), else as on the camera when
// the camera still lists it; otherwise it is lost.
struct PictureCount {
    int captured = 0;
    int onDisk = 0;
    int onCamera = 0;
    int lost = 0;
    // Files in the folder that are no captured picture: partial, damaged or foreign files.
    int strays = 0;
    std::vector<std::string> lostNames;
};

// Reads the camera's operation log for the pictures it took, all width x height JPEGs named
// with their frame number, and looks for them in the folder and on the camera.
PictureCount count_pictures(const SimcamScenario& camera, const std::string& folder, int width,
                            int height);

// The bytes the camera delivers for a frame.
std::string camera_picture(int frame, int width, int height);

// Names the camera lists in its capture folder, read through a connection of our own; empty
// when the camera cannot be opened.
std::vector<std::string> camera_listing();
