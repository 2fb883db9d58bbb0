// SPDX-License-Identifier: GPL-3.0-or-later
// The Series Options page and the options file behind it, as the photographer meets them.
#include "series/series_window.h"

#include "app/series_options_store.h"
#include "display/light_plot.h"
#include "display/window_pixels.h"
#include "support/environment_variable.h"

#include <algorithm>
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
                               "Longitude=-18.955324\n"
                               "FollowLight=false\n"
                               "TargetBrightness=0\n"
                               "MaxStepEV=0.33\n"
                               "SlowestShutter=30\n"
                               "HighestISO=6400\n"
                               "Apertures=fixed\n");

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

// The plot's pixels of one colour, inside its frame.
std::vector<wxPoint> marks(const wxImage& pixels, const wxRect& frame, const wxColour& colour) {
    std::vector<wxPoint> found;
    for (int y = frame.GetTop(); y <= frame.GetBottom(); ++y)
        for (int x = frame.GetLeft(); x <= frame.GetRight(); ++x)
            if (near_colour(pixels, {x, y}, colour))
                found.push_back({x, y});
    return found;
}

bool shows_colour(const wxImage& pixels, const wxColour& colour) {
    return !marks(pixels, wxRect(pixels.GetSize()), colour).empty();
}

// The plot as drawn: its frame's inside, found from the target line that crosses it and the
// frame's left edge beside that line, and the row of the line.
struct Drawn {
    wxImage pixels;
    wxRect inside;
    double targetRow = 0;
};

Drawn drawn(wxWindow* plot) {
    Drawn d{client_pixels(plot), {}, 0};
    const wxImage& p = d.pixels;
    std::vector<int> lineRows;
    int left = p.GetWidth(), right = -1;
    for (int y = 0; y < p.GetHeight(); ++y) {
        int count = 0;
        for (int x = 0; x < p.GetWidth(); ++x) {
            if (near_colour(p, {x, y}, light_plot_colour::target)) {
                ++count;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        if (count > p.GetWidth() / 2)
            lineRows.push_back(y);
    }
    if (lineRows.empty()) {
        ADD_FAILURE() << "no target line across the plot";
        return d;
    }
    for (int y : lineRows)
        d.targetRow += y;
    d.targetRow /= lineRows.size();
    const wxColour edge = colour_at(p, {left - 1, lineRows.front()});
    int top = lineRows.front(), bottom = top;
    while (top > 0 && colour_at(p, {left - 1, top - 1}) == edge)
        --top;
    while (bottom + 1 < p.GetHeight() && colour_at(p, {left - 1, bottom + 1}) == edge)
        ++bottom;
    d.inside = wxRect(wxPoint(left, top + 1), wxPoint(right, bottom - 1));
    return d;
}

// The marks in a band of columns, from `from` to `to` as parts of the frame's width.
std::vector<wxPoint> between(const std::vector<wxPoint>& marks, const wxRect& inside, double from,
                             double to) {
    std::vector<wxPoint> found;
    for (const wxPoint& at : marks) {
        const double part = double(at.x - inside.GetLeft()) / inside.width;
        if (part >= from && part <= to)
            found.push_back(at);
    }
    return found;
}

double mean_row(const std::vector<wxPoint>& marks) {
    double sum = 0;
    for (const wxPoint& at : marks)
        sum += at.y;
    return marks.empty() ? 0 : sum / marks.size();
}

TEST_F(OptionsFile, FollowTheLightRowsAndThePlotOfTheRamp) {
    // Without a window there is no plot, and nothing to fail.
    clear_light_plot(0);
    add_light_point({1, 0.5, 0, 10.0});
    {
        SeriesWindow w;
        wxNotebook* book = (*w.frame)->notebook;
        wxSize others;
        for (size_t page = 0; page < 4; ++page)
            others.IncTo(book->GetPage(page)->GetBestSize());
        const wxSize options = book->GetPage(4)->GetBestSize();
        EXPECT_LE(options.x, others.x) << "the window needs no more room than before";
        EXPECT_LE(options.y, others.y) << "the options scroll";

        EXPECT_FALSE(control<wxCheckBox>(w, "FollowLight")->IsChecked());
        EXPECT_EQ(control<wxTextCtrl>(w, "TargetBrightness")->GetValue(), "0");
        EXPECT_EQ(control<wxTextCtrl>(w, "MaxStepEV")->GetValue(), "0.33");
        EXPECT_EQ(control<wxTextCtrl>(w, "SlowestShutter")->GetValue(), "30");
        EXPECT_EQ(control<wxTextCtrl>(w, "HighestISO")->GetValue(), "6400");
        EXPECT_EQ(control<wxChoice>(w, "Apertures")->GetStringSelection(),
                  "Keep the aperture as it is");

        auto* follow = control<wxCheckBox>(w, "FollowLight");
        follow->SetValue(true);
        send(follow, wxEVT_CHECKBOX, 1);
        enter(w, "TargetBrightness", "-0.7");
        enter(w, "SlowestShutter", "2.5");
        enter(w, "HighestISO", "12800");
        choose(w, "Apertures", 1);
        enter(w, "MaxStepEV", "5");
        EXPECT_EQ(problem(w, "MaxStepEV"), "Not saved: expected a decimal from 0.05 to 3");
        enter(w, "HighestISO", "12800.5");
        EXPECT_EQ(problem(w, "HighestISO"), "Not saved: expected a whole number from 50 to 409600");
        const SeriesOptions kept = window_series_options();
        EXPECT_TRUE(kept.followLight);
        EXPECT_DOUBLE_EQ(kept.targetBrightness, -0.7);
        EXPECT_DOUBLE_EQ(kept.maxStepEv, 0.33);
        EXPECT_DOUBLE_EQ(kept.slowestShutter, 2.5);
        EXPECT_EQ(kept.highestIso, 12800);
        EXPECT_EQ(kept.apertures, Apertures::Free);
        EXPECT_NE(read_file(file).find("FollowLight=true\nTargetBrightness=-0.7\nMaxStepEV=0.33\n"
                                       "SlowestShutter=2.5\nHighestISO=12800\nApertures=free\n"),
                  std::string::npos)
            << read_file(file);

        book->SetSelection(4);
        pump_events(50);
        auto* plot = find_control<wxWindow>(w.frame->get(), "LightPlot");
        ASSERT_NE(plot, nullptr);
        EXPECT_GE(plot->GetSize().y, 100);
        const wxColour colours[] = {light_plot_colour::brightness, light_plot_colour::target,
                                    light_plot_colour::exposure};
        const auto empty = [&](const char* when) {
            const wxImage pixels = client_pixels(plot);
            for (const wxColour& colour : colours)
                EXPECT_FALSE(shows_colour(pixels, colour)) << when << " " << colour.GetAsString();
            // Only the words that say what will show here.
            const wxColour ground = colour_at(pixels, {0, 0});
            int written = 0;
            for (int x = 0; x < pixels.GetWidth(); ++x)
                for (int y = 0; y < pixels.GetHeight(); ++y)
                    written += colour_at(pixels, {x, y}) != ground;
            EXPECT_GT(written, 100) << when;
        };
        empty("before a series");

        // The light rises faster than the ramp at first, then the ramp catches up and follows,
        // overshooting once; the exposure climbs all the while.
        const double brightness[] = {0,    0, 0.5, 1, 1.5, 2, 1.6, 1.2, 0.8, 0.4, 0.1, -0.5,
                                     -0.2, 0, 0,   0, 0,   0, 0,   0,   0,   0,   0,   0};
        clear_light_plot(0);
        for (int frame = 1; frame <= 24; ++frame)
            add_light_point({frame, brightness[frame - 1], 0, 8 + 0.33 * (frame - 1)});
        pump_events(20);
        Drawn d = drawn(plot);
        EXPECT_NEAR(d.targetRow, d.inside.GetTop() + d.inside.height / 2.0, 1.5)
            << "the target halfway up";
        std::vector<wxPoint> measured = marks(d.pixels, d.inside, light_plot_colour::brightness);
        ASSERT_FALSE(measured.empty());
        const auto [highest, lowest] =
            std::minmax_element(measured.begin(), measured.end(),
                                [](const wxPoint& a, const wxPoint& b) { return a.y < b.y; });
        const double above = d.targetRow - highest->y, below = lowest->y - d.targetRow;
        EXPECT_GT(below, 4) << "the overshoot below the target";
        EXPECT_GT(above, 3 * below) << "2 EV above against 0.5 EV below";
        EXPECT_LT(highest->x, lowest->x) << "the light rose before the overshoot";
        EXPECT_LT(lowest->x, d.inside.GetLeft() + d.inside.width / 2);
        for (double from : {0.0, 0.6}) {
            const std::vector<wxPoint> steady = between(measured, d.inside, from, from + 0.04);
            EXPECT_FALSE(steady.empty()) << from;
            for (const wxPoint& at : steady)
                EXPECT_LE(std::abs(at.y - d.targetRow), 4) << "on the target at " << from;
        }
        const std::vector<wxPoint> chosen = marks(d.pixels, d.inside, light_plot_colour::exposure);
        const std::vector<wxPoint> start = between(chosen, d.inside, 0, 0.2);
        const std::vector<wxPoint> end = between(chosen, d.inside, 0.8, 1);
        ASSERT_FALSE(start.empty());
        ASSERT_FALSE(end.empty());
        EXPECT_GT(mean_row(start) - mean_row(end), d.inside.height / 2) << "the exposure climbs";

        clear_light_plot(0);
        pump_events(20);
        empty("as a new series starts");

        // A long night: what it began with stays in sight.
        for (int frame = 1; frame <= 5000; ++frame)
            add_light_point({frame, frame <= 2000 ? 1.5 : 0.0, 0, 2 + frame / 500.0});
        pump_events(20);
        d = drawn(plot);
        measured = marks(d.pixels, d.inside, light_plot_colour::brightness);
        const std::vector<wxPoint> evening = between(measured, d.inside, 0.05, 0.3);
        ASSERT_FALSE(evening.empty());
        EXPECT_GT(d.targetRow - mean_row(evening), d.inside.height / 6) << "1.5 EV above";
        for (const wxPoint& at : between(measured, d.inside, 0.5, 1))
            EXPECT_LE(std::abs(at.y - d.targetRow), 3) << "on the target through the night";
        const std::vector<wxPoint> ramp = marks(d.pixels, d.inside, light_plot_colour::exposure);
        EXPECT_GT(mean_row(between(ramp, d.inside, 0, 0.1)) -
                      mean_row(between(ramp, d.inside, 0.9, 1)),
                  d.inside.height / 2);
        EXPECT_TRUE(w.log.errors().empty()) << "no message box";
    }
    add_light_point({2, 0.5, 0, 10.0});
}

} // namespace
