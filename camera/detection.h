// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <wx/string.h>
#include <wx/window.h>

// Whether the camera is open, as the window last learned it: set by the start-up detection and
// by the outcome of every later detection and capture. GUI thread.
bool camera_is_open();
void set_camera_open(bool open);

// Opens the camera at start-up, sets the action buttons and, when it opened, adds a row to
// the page for each of the camera's choice parameters.
wxWindow* initialise_camera(wxWindow* page);

// Closes the camera and opens it afresh, with the console lines of a detection; returns the
// library's result. Camera thread.
int redetect_camera();

// What the user can do about a camera that failed to open, or an empty text.
wxString camera_failure_advice(int result);
