// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/series_options_page.h"

#include "app/series_options_store.h"
#include "capture/series_options.h"
#include "display/light_plot.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/settings.h>
#include <wx/spinctrl.h>

namespace {

const int gap = 6;
const int fieldWidth = 340;
// The options scroll, so that the page never needs more room than the window's other pages.
const int shortestOptions = 220;

wxStaticText* hint_text(wxWindow* page, const wxString& text) {
    auto* hint = new wxStaticText(page, wxID_ANY, text);
    hint->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    hint->Wrap(fieldWidth);
    return hint;
}

wxStaticText* problem_text(wxWindow* page, const wxString& name) {
    auto* problem =
        new wxStaticText(page, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, name);
    problem->SetForegroundColour(*wxRED);
    problem->Hide();
    return problem;
}

wxString current_text(const std::string& key) {
    return wxString::FromUTF8(series_option_text(window_series_options(), key));
}

} // namespace

SeriesOptionsPage::SeriesOptionsPage(wxNotebook* notebook)
    : wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER,
              "SeriesOptions") {
    // Made with a size: GTK complains of a scroll bar laid out in none.
    options_ =
        new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxSize(fieldWidth, shortestOptions),
                             wxVSCROLL | wxTAB_TRAVERSAL | wxNO_BORDER, "SeriesOptionRows");
    rows_ = new wxFlexGridSizer(2, gap, 2 * gap);
    add_choice("Between passes:", "Cadence",
               {{"pause", "Pause for the interval after each pass"},
                {"steady", "Begin a pass at every interval"}});
    add_choice("When the camera is lost:", "OnCameraLost",
               {{"end", "End the series"}, {"reconnect", "Wait for it to come back"}});
    add_number("Wait for the camera:", "ReconnectMinutes", 1, 7 * 24 * 60, "minutes at most");
    add_check("Sleep:", "KeepAwake", "Keep the computer awake while a series runs or waits");
    add_text("Start at:", "StartAt",
             wxString::FromUTF8("now, HH:MM, or dawn, sunrise, sunset, dusk \u00b1 minutes "
                                "(sunset+15)"));
    add_text("End at:", "EndAt",
             "limits (the maximum runtime and frames), HH:MM, or sunrise-30 and the like");
    add_text("Latitude:", "Latitude", "decimal degrees, north positive; for sun times");
    add_text("Longitude:", "Longitude", "decimal degrees, east positive");
    add_check("Follow the light:", "FollowLight",
              "Change the exposure between passes as the light changes");
    add_text("Target brightness:", "TargetBrightness",
             wxString::FromUTF8("EV from mid-grey, \u22125 to 5; 0 (the default) is mid-grey, "
                                "\u22121 a stop darker"));
    add_text("Largest step:", "MaxStepEV",
             "EV per pass, 0.05 to 3; the default 0.33 is a third of a stop");
    add_text("Slowest shutter:", "SlowestShutter", "seconds, 0.0001 to 3600; the default is 30");
    add_text("Highest ISO:", "HighestISO", "50 to 409600; the default is 6400");
    add_choice(
        "Aperture:", "Apertures",
        {{"fixed", "Keep the aperture as it is"}, {"free", "Open or close the aperture too"}});

    auto* margins = new wxBoxSizer(wxVERTICAL);
    margins->Add(rows_, 0, wxALL, 3 * gap);
    options_->SetSizer(margins);
    options_->SetScrollRate(0, 10);
    options_->SetMinSize(
        wxSize(margins->GetMinSize().x + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, options_),
               shortestOptions));

    saveProblem_ = problem_text(this, "SaveProblem");
    auto* page = new wxBoxSizer(wxVERTICAL);
    page->Add(options_, 1, wxEXPAND);
    page->Add(saveProblem_, 0, wxLEFT | wxRIGHT, 3 * gap);
    page->Add(new LightPlot(this), 0, wxEXPAND | wxALL, 3 * gap);
    SetSizer(page);
}

void SeriesOptionsPage::add_row(const wxString& label, wxSizer* control) {
    rows_->Add(new wxStaticText(options_, wxID_ANY, label), 0, wxALIGN_TOP | wxTOP, gap);
    rows_->Add(control);
}

void SeriesOptionsPage::add_choice(const wxString& label, const std::string& key,
                                   const Words& words) {
    wxArrayString labels;
    for (const auto& word : words)
        labels.Add(word.second);
    auto* choice = new wxChoice(options_, wxID_ANY, wxDefaultPosition, wxDefaultSize, labels, 0,
                                wxDefaultValidator, key);
    const std::string current = series_option_text(window_series_options(), key);
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i].first == current)
            choice->SetSelection(static_cast<int>(i));
    }
    choice->Bind(wxEVT_CHOICE, [this, choice, key, words](wxCommandEvent&) {
        const int chosen = choice->GetSelection();
        if (chosen >= 0)
            change(key, words[static_cast<size_t>(chosen)].first);
    });
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(choice);
    add_row(label, sizer);
}

void SeriesOptionsPage::add_number(const wxString& label, const std::string& key, int least,
                                   int most, const wxString& unit) {
    long current = least;
    current_text(key).ToLong(&current);
    auto* number =
        new wxSpinCtrl(options_, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                       wxSP_ARROW_KEYS, least, most, static_cast<int>(current), key);
    number->Bind(wxEVT_SPINCTRL, [this, number, key](wxSpinEvent&) {
        change(key, std::to_string(number->GetValue()));
    });
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    sizer->Add(number);
    sizer->Add(new wxStaticText(options_, wxID_ANY, unit), 0, wxALIGN_CENTER_VERTICAL | wxLEFT,
               gap);
    add_row(label, sizer);
}

void SeriesOptionsPage::add_check(const wxString& label, const std::string& key,
                                  const wxString& text) {
    auto* check = new wxCheckBox(options_, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, key);
    check->SetValue(current_text(key) == "true");
    check->Bind(wxEVT_CHECKBOX, [this, check, key](wxCommandEvent&) {
        change(key, check->IsChecked() ? "true" : "false");
    });
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(check, 0, wxTOP, gap);
    add_row(label, sizer);
}

void SeriesOptionsPage::add_text(const wxString& label, const std::string& key,
                                 const wxString& hint) {
    auto* text =
        new wxTextCtrl(options_, wxID_ANY, current_text(key), wxDefaultPosition,
                       wxSize(fieldWidth, -1), wxTE_PROCESS_ENTER, wxDefaultValidator, key);
    Field& field = fields_.emplace_back(Field{key, text, problem_text(options_, key + "Problem")});
    text->Bind(wxEVT_TEXT, [&field](wxCommandEvent&) { field.edited = true; });
    text->Bind(wxEVT_TEXT_ENTER, [this, &field](wxCommandEvent&) { commit(field); });
    text->Bind(wxEVT_KILL_FOCUS, [this, &field](wxFocusEvent& event) {
        // After the toolkit has moved the focus, and only while the page is still there.
        CallAfter([this, &field] {
            if (field.edited)
                commit(field);
        });
        event.Skip();
    });
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(text);
    sizer->Add(hint_text(options_, hint));
    sizer->Add(field.problem);
    add_row(label, sizer);
}

bool SeriesOptionsPage::change(const std::string& key, const std::string& text) {
    SeriesOptions options = window_series_options();
    if (!set_series_option(options, key, text))
        return false;
    set_window_series_options(options);
    std::string failure;
    show_problem(saveProblem_,
                 save_series_options(series_options_path(), options, failure)
                     ? wxString()
                     : "Kept for this run, but not saved: " + wxString::FromUTF8(failure));
    return true;
}

void SeriesOptionsPage::commit(Field& field) {
    field.edited = false;
    const wxString text = field.text->GetValue().Strip(wxString::both);
    if (change(field.key, text.utf8_string()))
        show_problem(field.problem, wxEmptyString);
    else
        show_problem(field.problem, "Not saved: expected " +
                                        wxString::FromUTF8(series_option_expected(field.key)));
}

void SeriesOptionsPage::show_problem(wxStaticText* problem, const wxString& text) {
    if (problem->GetLabel() == text && problem->IsShown() == !text.empty())
        return;
    problem->SetLabel(text);
    problem->Wrap(fieldWidth);
    problem->Show(!text.empty());
    options_->FitInside();
    options_->Layout();
    Layout();
}
