// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/series_options.h"

#include <wx/button.h>
#include <wx/filepicker.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

// Controls of the Timelapse Settings page, published for the camera and capture code.
// Set when the page is built; the page owns them.
extern wxButton* captureButton;
extern wxButton* startButton;
extern wxButton* stopButton;
extern wxDirPickerCtrl* directoryPicker;
extern wxTextCtrl* intervalText;
extern wxTextCtrl* framesText;
extern wxTextCtrl* runtimeText;
extern wxTextCtrl* maxFramesText;

wxPanel* create_series_page(wxWindow* parent);

// What a series reads from the page when it begins.
struct SeriesSettings {
    wxString interval;
    wxString runtime;
    wxString maxFrames;
    wxString directory; // where its record goes
    SeriesOptions options;
};
SeriesSettings read_series_settings();

// The action buttons: no series (Capture Image and Start on, Stop off), and a series running
// (Start off too).
void show_series_idle();
void show_series_running();
