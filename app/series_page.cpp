// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/series_page.h"

#include "app/ids.h"
#include "app/series_options_store.h"
#include "app/series_watch.h"

#include <wx/statbox.h>
#include <wx/stattext.h>

#include <vector>

wxButton* captureButton = nullptr;
wxButton* startButton = nullptr;
wxButton* stopButton = nullptr;
wxDirPickerCtrl* directoryPicker = nullptr;
wxTextCtrl* intervalText = nullptr;
wxTextCtrl* framesText = nullptr;
wxTextCtrl* runtimeText = nullptr;
wxTextCtrl* maxFramesText = nullptr;

namespace {

// The controls of one row of the page, from left to right.
using Row = std::vector<wxWindow*>;

wxStaticText* add_label(wxWindow* page, const wxString& text, int x, int y) {
    return new wxStaticText(page, wxID_ANY, text, wxPoint(x, y));
}

// A setting is a label, its value field and its unit, on one row.
wxTextCtrl* add_setting(wxWindow* page, Row& row, const wxString& label, const wxString& value,
                        const wxString& unit, const wxString& name, int x, int y) {
    row.push_back(add_label(page, label, x, y + 5));
    auto* field = new wxTextCtrl(page, wxID_ANY, value, wxPoint(x + 158, y), wxSize(60, -1), 0,
                                 wxDefaultValidator, name);
    row.push_back(field);
    row.push_back(add_label(page, unit, x + 222, y + 5));
    return field;
}

// The fixed positions leave room for narrow labels only; a theme's wider control would cover
// its right-hand neighbour. That neighbour then moves right to keep a small gap, and takes the
// rest of its row along, so the row keeps its spacing.
void keep_apart(const Row& row) {
    const int gap = 6;
    int shift = 0;
    for (size_t i = 1; i < row.size(); ++i) {
        const wxRect left = row[i - 1]->GetRect();
        wxPoint place = row[i]->GetPosition() + wxPoint(shift, 0);
        if (left.GetRight() >= place.x) {
            shift += left.GetRight() + 1 + gap - place.x;
            place.x = left.GetRight() + 1 + gap;
        }
        row[i]->Move(place);
    }
}

} // namespace

wxPanel* create_series_page(wxWindow* parent) {
    auto* page = new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxTAB_TRAVERSAL | wxNO_BORDER);
    page->SetBackgroundStyle(wxBG_STYLE_PAINT);

    captureButton = new wxButton(page, ID_CAPTURE, "Capture Image", wxPoint(20, 20));
    startButton = new wxButton(page, ID_START, "Start", wxPoint(130, 20));
    stopButton = new wxButton(page, ID_STOP, "Stop", wxPoint(218, 20));
    wxStaticText* directoryLabel = add_label(page, "Working directory: ", 320, 28);
    directoryPicker = new wxDirPickerCtrl(page, ID_DIRECTORY_PICKER, wxGetCwd(), wxEmptyString,
                                          wxPoint(445, 20), wxSize(200, 34), wxDIRP_CHANGE_DIR);
    keep_apart({captureButton, startButton, stopButton, directoryLabel, directoryPicker});

    Row upper, lower;
    intervalText = add_setting(page, upper, "Interval: ", "5", "Seconds", "Interval", 20, 65);
    framesText = add_setting(page, lower, "Frames per interval: ", "1", "Frames", "Frames", 20, 95);
    runtimeText = add_setting(page, upper, "Maximum runtime: ", "0", "Minutes", "Runtime", 370, 65);
    maxFramesText =
        add_setting(page, lower, "Maximum frames: ", "10", "Frames", "MaxFrames", 370, 95);
    keep_apart(upper);
    keep_apart(lower);

    new wxStaticBox(page, wxID_ANY, wxEmptyString, wxPoint(15, 125), wxSize(650, 502));
    return page;
}

SeriesSettings read_series_settings() {
    return {intervalText->GetValue(), runtimeText->GetValue(), maxFramesText->GetValue(),
            directoryPicker->GetPath(), window_series_options()};
}

void show_series_idle() {
    captureButton->Enable(true);
    startButton->Enable(true);
    stopButton->Enable(false);
    if (SeriesWatch* watch = series_watch())
        watch->series_ended();
}

void show_series_running() {
    startButton->Enable(false);
    if (SeriesWatch* watch = series_watch())
        watch->series_running();
}
