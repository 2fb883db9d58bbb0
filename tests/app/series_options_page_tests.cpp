// SPDX-License-Identifier: GPL-3.0-or-later
// The Series Options page and the options file behind it, as the photographer meets them.
#include "series/series_window.h"

#include "app/series_options_store.h"
#include "support/environment_variable.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

// Options of the test's own, in a folder that starts empty.
class OptionsFile : public testing::Test {
  protected:
    TempDir home;
    EnvironmentVariable variable{"XDG_CONFIG_HOME", home.path().c_str()};
    const std::string file = home.file("vantlow/vantlow.conf");
};

template <class Control> Control* control(const SeriesWindow& w, const char* name) {
    auto* found = find_control<Control>(w.frame->get(), name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void send(wxWindow* control, wxEventType type, int value = 0) {
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(value);
    control->GetEventHandler()->ProcessEvent(event);
}

void choose(const SeriesWindow& w, const char* name, int item) {
    auto* choice = control<wxChoice>(w, name);
    choice->SetSelection(item);
    send(choice, wxEVT_CHOICE, item);
}

// Typed, then Enter.
void enter(const SeriesWindow& w, const char* name, const wxString& text) {
    auto* field = control<wxTextCtrl>(w, name);
    field->SetValue(text);
    send(field, wxEVT_TEXT_ENTER);
}

// What the page shows in red below a field, its lines joined; empty when nothing is shown.
std::string problem(const SeriesWindow& w, const std::string& key) {
    auto* text = find_control<wxStaticText>(w.frame->get(), key + "Problem");
    if (!text || !text->IsShown())
        return std::string();
    wxString label = text->GetLabel();
    label.Replace("\n", " ");
    return label.utf8_string();
}

TEST_F(OptionsFile, EditsAreCheckedSavedAtOnceAndShownAtTheNextStart) {
    {
        SeriesWindow w;
        wxNotebook* book = (*w.frame)->notebook;
        ASSERT_EQ(book->GetPageCount(), 5u);
        EXPECT_EQ(book->GetPageText(3), "Live View");
        EXPECT_EQ(book->GetPageText(4), "Series Options");
        EXPECT_EQ(control<wxChoice>(w, "Cadence")->GetStringSelection(),
                  "Pause for the interval after each pass");
        EXPECT_EQ(control<wxChoice>(w, "OnCameraLost")->GetStringSelection(), "End the series");
        EXPECT_EQ(control<wxSpinCtrl>(w, "ReconnectMinutes")->GetValue(), 30);
        EXPECT_TRUE(control<wxCheckBox>(w, "KeepAwake")->IsChecked());
        EXPECT_EQ(control<wxTextCtrl>(w, "StartAt")->GetValue(), "now");
        EXPECT_EQ(control<wxTextCtrl>(w, "EndAt")->GetValue(), "limits");
        EXPECT_EQ(control<wxTextCtrl>(w, "Latitude")->GetValue(), "");
        EXPECT_EQ(control<wxTextCtrl>(w, "Longitude")->GetValue(), "");
        EXPECT_FALSE(file_exists(file)) << "nothing is saved before a change";

        choose(w, "Cadence", 1);
        EXPECT_EQ(load_series_options(file).cadence, Cadence::Steady) << "saved at once";
        EXPECT_EQ(window_series_options().cadence, Cadence::Steady) << "and kept for a series";
        choose(w, "OnCameraLost", 1);
        auto* minutes = control<wxSpinCtrl>(w, "ReconnectMinutes");
        minutes->SetValue(45);
        wxSpinEvent spun(wxEVT_SPINCTRL, minutes->GetId());
        spun.SetEventObject(minutes);
        minutes->GetEventHandler()->ProcessEvent(spun);
        auto* awake = control<wxCheckBox>(w, "KeepAwake");
        awake->SetValue(false);
        send(awake, wxEVT_CHECKBOX, 0);
        enter(w, "StartAt", "sunset+15");
        enter(w, "EndAt", " Sunrise-30 ");
        enter(w, "Latitude", "69.649208");

        // Wrong entries are shown and neither kept nor saved.
        enter(w, "Latitude", "91");
        EXPECT_EQ(problem(w, "Latitude"), "Not saved: expected decimal degrees from -90 to 90");
        enter(w, "StartAt", "25:00");
        EXPECT_NE(problem(w, "StartAt").find("Not saved: expected now, HH:MM or dawn"),
                  std::string::npos)
            << problem(w, "StartAt");
        enter(w, "EndAt", "now");
        EXPECT_NE(problem(w, "EndAt"), "") << "a series cannot end as it starts";
        EXPECT_EQ(window_series_options().startAt, SeriesTime::sun(SunEvent::Sunset, 15));
        enter(w, "StartAt", "sunset+15");
        EXPECT_EQ(problem(w, "StartAt"), "") << "a good entry clears the complaint";

        // Leaving a field keeps what was typed in it.
        auto* longitude = control<wxTextCtrl>(w, "Longitude");
        longitude->SetValue("-18.955324");
        wxFocusEvent left(wxEVT_KILL_FOCUS, longitude->GetId());
        left.SetEventObject(longitude);
        longitude->GetEventHandler()->ProcessEvent(left);
        pump_events(50);

        EXPECT_EQ(problem(w, "Latitude"), "Not saved: expected decimal degrees from -90 to 90")
            << "until the field is right";
        EXPECT_EQ(w.console.text(), startUp) << "edits write nothing to the console";
        EXPECT_TRUE(w.log.errors().empty()) << "no message box";
    }
    EXPECT_EQ(read_file(file), "[Series]\n"
                               "Cadence=steady\n"
                               "OnCameraLost=reconnect\n"
                               "ReconnectMinutes=45\n"
                               "KeepAwake=false\n"
                               "StartAt=sunset+15\n"
                               "EndAt=sunrise-30\n"
                               "Latitude=69.649208\n"
                               "Longitude=-18.955324\n");

    SeriesWindow again;
    EXPECT_EQ(again.console.text(), startUp);
    EXPECT_EQ(control<wxChoice>(again, "Cadence")->GetSelection(), 1);
    EXPECT_EQ(control<wxChoice>(again, "OnCameraLost")->GetSelection(), 1);
    EXPECT_EQ(control<wxSpinCtrl>(again, "ReconnectMinutes")->GetValue(), 45);
    EXPECT_FALSE(control<wxCheckBox>(again, "KeepAwake")->IsChecked());
    EXPECT_EQ(control<wxTextCtrl>(again, "StartAt")->GetValue(), "sunset+15");
    EXPECT_EQ(control<wxTextCtrl>(again, "EndAt")->GetValue(), "sunrise-30");
    EXPECT_EQ(control<wxTextCtrl>(again, "Latitude")->GetValue(), "69.649208");
    EXPECT_EQ(control<wxTextCtrl>(again, "Longitude")->GetValue(), "-18.955324");
}

TEST_F(OptionsFile, ADamagedValueGetsItsDefaultAndOneConsoleLine) {
    const std::string text = "[Series]\nCadence=sideways\nLatitude=12.5\n";
    std::filesystem::create_directories(home.file("vantlow"));
    write_file(file, text);
    SeriesWindow w;
    EXPECT_EQ(w.console.text(), "vantlow.conf: [Series] Cadence=\"sideways\" is not one of "
                                "pause, steady; using pause\n" +
                                    std::string(startUp));
    EXPECT_EQ(control<wxChoice>(w, "Cadence")->GetSelection(), 0);
    EXPECT_EQ(control<wxTextCtrl>(w, "Latitude")->GetValue(), "12.5");
    EXPECT_TRUE(w.log.errors().empty()) << "no message box";
    w.frame.reset();
    EXPECT_EQ(read_file(file), text) << "the file is left as it was";
}

TEST_F(OptionsFile, StartingAndQuittingMakeNoFile) {
    {
        SeriesWindow w;
        EXPECT_EQ(w.console.text(), startUp);
    }
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
}

} // namespace
