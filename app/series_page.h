#pragma once

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
