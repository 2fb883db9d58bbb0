// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gphoto2/gphoto2-widget.h>
#include <vector>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/scrolwin.h>

extern wxCheckBox* retrieveImageCheck;
extern wxCheckBox* deleteImageCheck;

// Where the next row of the Camera Settings page goes: x is the label column, y grows by one
// row height per row.
struct SettingsCursor {
    int x;
    int y;
};
extern SettingsCursor settingsCursor;

// The parameter registry: entry i of both belongs to one camera parameter. The key is the
// widget's name, or its label when the name is empty.
extern std::vector<wxString> parameterNames;
extern std::vector<wxComboBox*> parameterCombos;

// Set by a choice in any parameter box; the next capture applies the registry and clears it.
extern bool settingsChanged;

wxScrolledWindow* create_camera_settings_page(wxWindow* notebook);
wxWindow* add_parameter_controls(wxWindow* page, CameraWidget* widget);
