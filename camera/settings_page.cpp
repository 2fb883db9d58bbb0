// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/settings_page.h"

#include "app/vantlow.h"
#include "camera/camera_handle.h"
#include "camera/detection.h"
#include "camera/startup_configuration.h"

#include <algorithm>
#include <iostream>
#include <wx/stattext.h>

wxCheckBox* retrieveImageCheck = nullptr;
wxCheckBox* deleteImageCheck = nullptr;
SettingsCursor settingsCursor = {20, 20};
std::vector<wxString> parameterNames;
std::vector<wxComboBox*> parameterCombos;
bool settingsChanged = false;

namespace {

const int rowHeight = 40;
const int comboColumn = 250;
const int tallestUnscrolledPage = 400;

wxCheckBox* add_check_box(wxWindow* page, const wxString& label, const wxString& name) {
    auto* box = new wxCheckBox(page, wxID_ANY, label, wxPoint(settingsCursor.x, settingsCursor.y),
                               wxDefaultSize, 0, wxDefaultValidator, name);
    box->SetValue(true);
    settingsCursor.y += rowHeight;
    return box;
}

// Adds the row for a choice parameter, found by its key in the start-up configuration as a
// fresh read would find it.
void add_parameter_row(wxWindow* page, const char* key) {
    CameraWidget* widget = startup_widget(key);
    CameraWidgetType type;
    const char* value = nullptr;
    if (!widget || gp_widget_get_type(widget, &type) != GP_OK || type != GP_WIDGET_RADIO ||
        gp_widget_get_value(widget, &value) != GP_OK || !value)
        return;
    const char* label = "";
    gp_widget_get_label(widget, &label);
    wxArrayString choices;
    int count = gp_widget_count_choices(widget);
    for (int i = 0; i < count; ++i) {
        const char* choice = "";
        gp_widget_get_choice(widget, i, &choice);
        choices.Add(wxString(choice, wxConvUTF8));
    }
    wxString keyText(key, wxConvUTF8);
    parameterNames.push_back(keyText);
    new wxStaticText(page, wxID_ANY, wxString(label, wxConvUTF8),
                     wxPoint(settingsCursor.x, settingsCursor.y + 6));
    auto* combo = new wxComboBox(page, wxID_ANY, wxString(value, wxConvUTF8),
                                 wxPoint(comboColumn, settingsCursor.y), wxDefaultSize, choices,
                                 wxTE_RIGHT, wxDefaultValidator, keyText);
    settingsCursor.y += rowHeight;
    parameterCombos.push_back(combo);
}

} // namespace

wxScrolledWindow* create_camera_settings_page(wxWindow* notebook) {
    auto* page = new wxScrolledWindow(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxHSCROLL | wxVSCROLL, wxPanelNameStr);
    // The registry lives exactly as long as the page whose combo boxes it points at.
    page->Bind(wxEVT_DESTROY, [page](wxWindowDestroyEvent& event) {
        if (event.GetWindow() == page) {
            parameterNames.clear();
            parameterCombos.clear();
            settingsCursor = {20, 20};
        }
        event.Skip();
    });
    page->EnableScrolling(false, true);
    page->SetScrollbars(0, 10, 0, 100, 0, 0, false);
    retrieveImageCheck = add_check_box(page, "Retrieve image from camera.", "RetrieveImage");
    deleteImageCheck = add_check_box(page, "Delete image from camera.", "DeleteImage");
    initialise_camera(page);
    page->FitInside();
    // The page scrolls: a camera with many parameters must not make the window's minimum size
    // taller than the window may grow, which the toolkit refuses with an assertion.
    const wxSize best = page->GetBestSize();
    page->CacheBestSize(wxSize(best.x, std::min(best.y, tallestUnscrolledPage)));
    return page;
}

wxWindow* add_parameter_controls(wxWindow* page, CameraWidget* widget) {
    const char* label = "";
    const char* name = "";
    CameraWidgetType type = GP_WIDGET_WINDOW;
    gp_widget_get_label(widget, &label);
    gp_widget_get_name(widget, &name);
    gp_widget_get_type(widget, &type);
    const char* key = (name && *name) ? name : label;
    int children = gp_widget_count_children(widget);

    if (type != GP_WIDGET_WINDOW && type != GP_WIDGET_SECTION)
        std::cout << "Found parameter: " << key << std::endl;
    // Every visited widget, sections included, is looked up by its key: two widgets of one key
    // both show the one the key resolves to.
    add_parameter_row(page, key);

    for (int i = 0; i < children; ++i) {
        CameraWidget* child;
        if (gp_widget_get_child(widget, i, &child) == GP_OK)
            add_parameter_controls(page, child);
    }
    return page;
}
