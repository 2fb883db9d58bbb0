#pragma once

#include <wx/window.h>

// Opens the camera at start-up, sets the action buttons and, when it opened, adds a row to
// the page for each of the camera's choice parameters.
wxWindow* initialise_camera(wxWindow* page);
