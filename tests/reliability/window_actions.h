// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/simcam_scenario.h"

#include <string>
#include <wx/combobox.h>

class MyFrame;

// File > Detect Camera, as the menu delivers it.
void detect_camera(MyFrame* frame);

// Picks a choice in a parameter box the way the user does, so the window learns of it.
void choose(wxComboBox* box, const wxString& value);

// Presses "Capture Image" and returns what that pass wrote to the console.
std::string capture_once();

// Gives the camera a new scenario in the same file, keeping its operation log; the camera
// starts afresh (counter and card) when it is next opened.
void rewrite_scenario(const SimcamScenario& camera, const std::string& text);
