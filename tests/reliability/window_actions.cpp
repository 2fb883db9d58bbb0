// SPDX-License-Identifier: GPL-3.0-or-later
#include "reliability/window_actions.h"

#include "app/ids.h"
#include "app/series_page.h"
#include "app/vantlow.h"
#include "support/gui_harness.h"
#include "support/temp_dir.h"

void detect_camera(MyFrame* frame) {
    wxCommandEvent chosen(wxEVT_MENU, ID_DETECT_CAMERA);
    frame->ProcessWindowEvent(chosen);
    wait_for_camera();
}

void choose(wxComboBox* box, const wxString& value) {
    box->SetValue(value);
    wxCommandEvent chosen(wxEVT_COMBOBOX, box->GetId());
    chosen.SetEventObject(box);
    chosen.SetString(value);
    box->GetEventHandler()->ProcessEvent(chosen);
}

std::string capture_once() {
    StdoutCapture console;
    click(captureButton);
    wait_for_camera();
    return console.text();
}

void rewrite_scenario(const SimcamScenario& camera, const std::string& text) {
    write_file(camera.path(), text + "\nlog " + camera.log_path() + "\n");
}
