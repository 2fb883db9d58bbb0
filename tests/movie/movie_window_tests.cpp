// SPDX-License-Identifier: GPL-3.0-or-later
// File > Make Movie... in the real main window: the dialog's defaults, and a movie made while a
// series runs, with the main window usable all along.
#include "movie/movie_reader.h"
#include "movie/movie_samples.h"
#include "series/series_window.h"

#include "app/ids.h"
#include "app/series_page.h"
#include "capture/run_state.h"
#include "record/series_record.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filepicker.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>

#include <filesystem>

namespace {

// A folder of pictures beside the series' own, with the record of the series that took them.
class MovieWindow : public testing::Test {
  protected:
    std::string shoot(const std::string& dir, int count, std::time_t start) {
        std::filesystem::create_directories(dir);
        const std::string record = series_record_begin(dir, start, [](auto&) {});
        for (int frame = 1; frame <= count; ++frame) {
            const std::string name = dir + "/IMG_" + std::to_string(1000 + frame) + ".JPG";
            write_camera_picture(name, frame, 160, 120);
            SeriesRecordRow row;
            row.frame = row.pass = frame;
            row.captured = std::chrono::system_clock::from_time_t(start + frame);
            row.file = name;
            series_record_add(row);
        }
        series_record_end();
        return record;
    }

    static wxDialog* top_window(const wxString& name) {
        for (wxWindow* window : wxTopLevelWindows)
            if (window->GetName() == name && window->IsShown())
                return dynamic_cast<wxDialog*>(window);
        return nullptr;
    }

    static wxDialog* settings_dialog() {
        for (wxWindow* window : wxTopLevelWindows)
            if (auto* dialog = dynamic_cast<wxDialog*>(window))
                if (dialog->IsModal() && dialog->GetTitle() == "Make Movie")
                    return dialog;
        return nullptr;
    }

    template <class Control> static Control* control(wxWindow* dialog, const char* name) {
        Control* found = find_control<Control>(dialog, name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Opens File > Make Movie...; `fill` runs with the dialog shown, which it must close.
    void make_movie_dialog(const std::function<void(wxDialog*)>& fill) {
        bool filled = false;
        wxTheApp->CallAfter([&] {
            wxDialog* dialog = settings_dialog();
            ASSERT_NE(dialog, nullptr);
            filled = true;
            fill(dialog);
        });
        wxCommandEvent menu(wxEVT_MENU, ID_MAKE_MOVIE);
        window.frame->get()->ProcessWindowEvent(menu);
        EXPECT_TRUE(filled);
    }

    static void choose_record(wxDialog* dialog, const std::string& record) {
        control<wxRadioButton>(dialog, "MovieUseRecord")->SetValue(true);
        control<wxFilePickerCtrl>(dialog, "MovieRecord")->SetPath(record);
    }

    static void press_make_movie(wxDialog* dialog) { click(dialog->FindWindow(wxID_OK)); }

    // As the person would: the control changes and says so.
    static void person_chooses(wxRadioButton* button) {
        button->SetValue(true);
        wxCommandEvent event(wxEVT_RADIOBUTTON, button->GetId());
        event.SetEventObject(button);
        event.SetInt(1);
        button->GetEventHandler()->ProcessEvent(event);
    }

    static void person_picks(wxFilePickerCtrl* picker, const std::string& path) {
        picker->SetPath(path);
        wxFileDirPickerEvent event(wxEVT_FILEPICKER_CHANGED, picker, picker->GetId(), path);
        picker->GetEventHandler()->ProcessEvent(event);
    }

    static void person_ticks(wxCheckBox* box, bool ticked) {
        box->SetValue(ticked);
        wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
        event.SetEventObject(box);
        event.SetInt(ticked);
        box->GetEventHandler()->ProcessEvent(event);
    }

    // Makes the movie that `set` sets the dialog for, to its end; the mean luma of each frame.
    std::vector<double> movie_lumas(const std::string& output,
                                    const std::function<void(wxDialog*)>& set) {
        make_movie_dialog([&](wxDialog* dialog) {
            set(dialog);
            control<wxFilePickerCtrl>(dialog, "MovieOutput")->SetPath(output);
            press_make_movie(dialog);
        });
        EXPECT_TRUE(pump_until([] { return title_of("MovieProgress") == "Movie Made"; }, 60000))
            << title_of("MovieProgress");
        click(control<wxButton>(top_window("MovieProgress"), "MovieButton"));
        EXPECT_TRUE(pump_until([] { return top_window("MovieProgress") == nullptr; }, 5000));
        return mean_lumas(read_movie(output).frames);
    }

    // The label's text, as wrapped into lines or not.
    static wxString text_of(wxStaticText* label) {
        wxString text = label->GetLabel();
        text.Replace("\n", " ");
        return text;
    }

    static wxString title_of(const char* name) {
        wxDialog* dialog = top_window(name);
        return dialog ? dialog->GetTitle() : wxString();
    }

    static std::vector<std::string> partial_files(const std::string& dir) {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().filename().string().find(".part-") != std::string::npos)
                found.push_back(entry.path().string());
        return found;
    }

    SeriesWindow window;
};

TEST_F(MovieWindow, TheDialogOffersTheNewestRecordAndAMovieNameThatIsFree) {
    const std::string dir = window.pictures.path();
    shoot(dir + "/old", 1, 1714557600);
    std::filesystem::rename(dir + "/old/vantlow-series-20240501-100000.csv",
                            dir + "/vantlow-series-20240501-100000.csv");
    const std::string newest = shoot(dir, 2, 1714561200);
    write_file(dir + "/vantlow-series-20240501-110000.mp4", "an earlier movie");

    make_movie_dialog([&](wxDialog* dialog) {
        EXPECT_TRUE(control<wxRadioButton>(dialog, "MovieUseRecord")->GetValue());
        EXPECT_EQ(control<wxFilePickerCtrl>(dialog, "MovieRecord")->GetPath(), newest);
        EXPECT_EQ(control<wxDirPickerCtrl>(dialog, "MovieFolder")->GetPath(), dir);
        EXPECT_EQ(control<wxSpinCtrl>(dialog, "MovieFps")->GetValue(), 25);
        wxChoice* size = control<wxChoice>(dialog, "MovieSize");
        EXPECT_EQ(size->GetStringSelection(), "1920 x 1080");
        EXPECT_EQ(size->GetCount(), 3u);
        EXPECT_FALSE(control<wxCheckBox>(dialog, "MovieDeflicker")->GetValue());
        EXPECT_EQ(control<wxFilePickerCtrl>(dialog, "MovieOutput")->GetPath(),
                  dir + "/vantlow-series-20240501-110000-1.mp4");
        dialog->EndModal(wxID_CANCEL);
    });
    EXPECT_EQ(top_window("MovieProgress"), nullptr) << "Cancel makes no movie";
    EXPECT_EQ(read_file(dir + "/vantlow-series-20240501-110000.mp4"), "an earlier movie");
}

TEST_F(MovieWindow, AMovieIsMadeWhileASeriesRunsAndTheWindowStaysUsable) {
    const std::string shots = window.pictures.file("shots");
    const std::string big = shoot(shots, 300, 1714557600);
    window.settings("1", "0", "0");
    click(startButton);
    ASSERT_TRUE(pump_until([] { return captureRunning.load(); }, 10000));

    make_movie_dialog([&](wxDialog* dialog) {
        choose_record(dialog, big);
        control<wxFilePickerCtrl>(dialog, "MovieOutput")->SetPath(shots + "/big.mp4");
        press_make_movie(dialog);
    });
    wxDialog* progress = top_window("MovieProgress");
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(progress->IsModal());
    ASSERT_EQ(progress->GetTitle(), "Making Movie") << "300 frames take a while";
    EXPECT_TRUE(window.frame->get()->IsEnabled());
    EXPECT_TRUE(stopButton->IsEnabled());
    click(stopButton);
    EXPECT_TRUE(window.console_ends_with(stopping, 5000));
    EXPECT_TRUE(series_ended(10000));

    // The gauge moves while the series winds down.
    wxStaticText* status = control<wxStaticText>(progress, "MovieStatus");
    EXPECT_TRUE(pump_until([&] { return status->GetLabel().Contains(" of 300 frames"); }, 20000))
        << status->GetLabel();

    click(control<wxButton>(progress, "MovieButton"));
    ASSERT_TRUE(pump_until([] { return title_of("MovieProgress") == "No Movie Made"; }, 20000));
    EXPECT_EQ(text_of(status), "Cancelled; the partial movie was removed.");
    EXPECT_FALSE(file_exists(shots + "/big.mp4"));
    EXPECT_TRUE(partial_files(shots).empty());
    click(control<wxButton>(progress, "MovieButton"));
    EXPECT_TRUE(pump_until([] { return top_window("MovieProgress") == nullptr; }, 5000));

    // A short one, to its end.
    const std::string small = shoot(window.pictures.file("few"), 4, 1714561200);
    make_movie_dialog([&](wxDialog* dialog) {
        choose_record(dialog, small);
        control<wxFilePickerCtrl>(dialog, "MovieOutput")->SetPath(shots + "/few.mp4");
        control<wxChoice>(dialog, "MovieSize")->SetSelection(2);
        control<wxSpinCtrl>(dialog, "MovieFps")->SetValue(12);
        press_make_movie(dialog);
    });
    ASSERT_TRUE(pump_until([] { return title_of("MovieProgress") == "Movie Made"; }, 60000))
        << title_of("MovieProgress");
    EXPECT_EQ(text_of(control<wxStaticText>(top_window("MovieProgress"), "MovieStatus")),
              "Wrote " + shots + "/few.mp4: 4 frames, 160 x 120, 12 frames per second.");
    MovieOnDisk movie = read_movie(shots + "/few.mp4");
    EXPECT_EQ(movie.frames.size(), 4u);
    EXPECT_EQ(movie.width, 160);
    EXPECT_EQ(movie.rateNum, 12);
    click(control<wxButton>(top_window("MovieProgress"), "MovieButton"));
    EXPECT_TRUE(pump_until([] { return top_window("MovieProgress") == nullptr; }, 5000));
}

TEST_F(MovieWindow, TheDeflickerBoxEvensOutTheMovie) {
    const std::string lit = window.pictures.file("lit");
    std::filesystem::create_directories(lit);
    write_lit_series(lit, 480, 270, random_flicker(20, 0.3, 3));
    auto make = [&](const std::string& output, bool deflicker) {
        return movie_lumas(output, [&](wxDialog* dialog) {
            control<wxRadioButton>(dialog, "MovieUseFolder")->SetValue(true);
            control<wxDirPickerCtrl>(dialog, "MovieFolder")->SetPath(lit);
            control<wxCheckBox>(dialog, "MovieDeflicker")->SetValue(deflicker);
        });
    };
    const std::vector<double> plain = make(window.pictures.file("plain.mp4"), false);
    const std::vector<double> evened = make(window.pictures.file("evened.mp4"), true);
    ASSERT_EQ(plain.size(), 20u);
    ASSERT_EQ(evened.size(), 20u);
    EXPECT_LT(jitter(evened), jitter(plain) / 3);
}

// For the record of a series whose exposure followed the light the box starts ticked, and it
// follows the source the person chooses until they tick or untick it themselves.
TEST_F(MovieWindow, TheDeflickerBoxFollowsTheSourceUntilThePersonUsesIt) {
    const std::string dir = window.pictures.path();
    const std::string lit = window.pictures.file("lit");
    std::filesystem::create_directories(lit);
    const std::vector<std::string> pictures =
        write_lit_series(lit, 480, 270, random_flicker(20, 0.3, 3));
    const std::string old = write_series_record(dir, 1714557600, pictures, false);
    const std::string followed = write_series_record(dir, 1714561200, pictures, true);

    const std::vector<double> evened = movie_lumas(dir + "/evened.mp4", [&](wxDialog* dialog) {
        auto* record = control<wxFilePickerCtrl>(dialog, "MovieRecord");
        auto* box = control<wxCheckBox>(dialog, "MovieDeflicker");
        EXPECT_TRUE(control<wxRadioButton>(dialog, "MovieUseRecord")->GetValue());
        EXPECT_EQ(record->GetPath(), followed);
        EXPECT_TRUE(box->GetValue()) << "the newest record";
        person_picks(record, old);
        EXPECT_FALSE(box->GetValue()) << "a record from before the exposure columns";
        person_picks(record, followed);
        EXPECT_TRUE(box->GetValue());
        person_chooses(control<wxRadioButton>(dialog, "MovieUseFolder"));
        EXPECT_FALSE(box->GetValue()) << "the folder of the same series";
        person_chooses(control<wxRadioButton>(dialog, "MovieUseRecord"));
        EXPECT_TRUE(box->GetValue());
    });

    const std::vector<double> plain = movie_lumas(dir + "/plain.mp4", [&](wxDialog* dialog) {
        auto* box = control<wxCheckBox>(dialog, "MovieDeflicker");
        EXPECT_TRUE(box->GetValue());
        person_ticks(box, false);
        person_chooses(control<wxRadioButton>(dialog, "MovieUseFolder"));
        person_chooses(control<wxRadioButton>(dialog, "MovieUseRecord"));
        EXPECT_FALSE(box->GetValue()) << "the person's choice stays";
    });
    ASSERT_EQ(evened.size(), 20u);
    ASSERT_EQ(plain.size(), 20u);
    EXPECT_LT(jitter(evened), jitter(plain) / 3);
}

TEST_F(MovieWindow, ClosingTheMainWindowStopsTheMovieAndRemovesThePartialFile) {
    const std::string shots = window.pictures.file("shots");
    const std::string big = shoot(shots, 300, 1714557600);
    make_movie_dialog([&](wxDialog* dialog) {
        choose_record(dialog, big);
        control<wxFilePickerCtrl>(dialog, "MovieOutput")->SetPath(shots + "/big.mp4");
        press_make_movie(dialog);
    });
    ASSERT_EQ(title_of("MovieProgress"), "Making Movie");
    EXPECT_TRUE(pump_until([&] { return !partial_files(shots).empty(); }, 20000));
    window.frame.reset();
    EXPECT_TRUE(partial_files(shots).empty());
    EXPECT_FALSE(file_exists(shots + "/big.mp4"));
    // Whatever the run had sent the window before it stopped finds nothing to change.
    pump_events(200);
}

} // namespace
