// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/vantlow.h"
#include "movie/make_movie.h"
#include "movie/movie_text.h"
#include "record/series_record.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filepicker.h>
#include <wx/gauge.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

const wxSize movieSizes[] = {{1920, 1080}, {3840, 2160}, {0, 0}};
const std::size_t maxNamesShown = 5;

// A movie being made, or just made, and its progress window.
struct MovieRun {
    std::atomic<bool> cancel{false};
    std::thread worker;
    // GUI thread only. Null once the window is gone.
    wxDialog* window = nullptr;
    wxGauge* gauge = nullptr;
    wxStaticText* status = nullptr;
    wxButton* button = nullptr;
    bool finished = false;
};

// The latest run; a second one waits until it has finished.
std::shared_ptr<MovieRun> latestRun;

std::string file_bytes(const wxString& path) {
    wxCharBuffer bytes = path.fn_str();
    return bytes.data() ? std::string(bytes.data()) : std::string();
}

// Paths, and messages that hold them, in the file system's encoding.
wxString file_text(const std::string& path) {
    return wxString(path.c_str(), *wxConvFileName);
}

struct MovieDialog {
    wxDialog* dialog;
    wxRadioButton* useRecord;
    wxRadioButton* useFolder;
    wxFilePickerCtrl* record;
    wxDirPickerCtrl* folder;
    wxSpinCtrl* fps;
    wxChoice* size;
    wxCheckBox* deflicker;
    wxFilePickerCtrl* output;
    bool outputChosen = false;    // by the person, so a new source no longer changes it
    bool deflickerChosen = false; // likewise
};

std::string chosen_source(const MovieDialog& d) {
    return file_bytes(d.useRecord->GetValue() ? d.record->GetPath() : d.folder->GetPath());
}

void source_changed(MovieDialog& d) {
    d.record->Enable(d.useRecord->GetValue());
    d.folder->Enable(d.useFolder->GetValue());
    const std::string source = chosen_source(d);
    if (!d.outputChosen)
        d.output->SetPath(source.empty() ? wxString() : file_text(default_movie_path(source)));
    if (!d.deflickerChosen)
        d.deflicker->SetValue(default_deflicker(source) > 0);
}

// Checks the choices before the dialog closes; asks before an existing file is replaced.
bool accept_choices(MovieDialog& d, bool* replace) {
    if (chosen_source(d).empty()) {
        wxMessageBox("Choose a series record or a folder of pictures.", "Make Movie",
                     wxOK | wxICON_INFORMATION, d.dialog);
        return false;
    }
    const wxString output = d.output->GetPath();
    if (output.empty()) {
        wxMessageBox("Choose the file to write the movie to.", "Make Movie",
                     wxOK | wxICON_INFORMATION, d.dialog);
        return false;
    }
    *replace = false;
    if (wxFileExists(output)) {
        if (wxMessageBox(output + " already exists.\nDo you want to replace it?", "Replace Movie",
                         wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, d.dialog) != wxYES)
            return false;
        *replace = true;
    }
    return true;
}

void build_dialog(MovieDialog& d, wxDialog* dialog) {
    d.dialog = dialog;
    auto* grid = new wxFlexGridSizer(2, wxSize(8, 8));
    grid->AddGrowableCol(1);
    auto label = [&](const char* text) {
        grid->Add(new wxStaticText(d.dialog, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL);
    };

    d.useRecord =
        new wxRadioButton(d.dialog, wxID_ANY, "Series record", wxDefaultPosition, wxDefaultSize,
                          wxRB_GROUP, wxDefaultValidator, "MovieUseRecord");
    d.record = new wxFilePickerCtrl(
        d.dialog, wxID_ANY, wxString(), "Choose a series record",
        "Series records (vantlow-series-*.csv)|vantlow-series-*.csv|All files|*", wxDefaultPosition,
        wxSize(420, -1), wxFLP_OPEN | wxFLP_FILE_MUST_EXIST | wxFLP_USE_TEXTCTRL,
        wxDefaultValidator, "MovieRecord");
    grid->Add(d.useRecord, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(d.record, 1, wxEXPAND);

    d.useFolder = new wxRadioButton(d.dialog, wxID_ANY, "Folder of pictures", wxDefaultPosition,
                                    wxDefaultSize, 0, wxDefaultValidator, "MovieUseFolder");
    d.folder = new wxDirPickerCtrl(d.dialog, wxID_ANY, wxString(), "Choose a folder of pictures",
                                   wxDefaultPosition, wxSize(420, -1),
                                   wxDIRP_DIR_MUST_EXIST | wxDIRP_USE_TEXTCTRL, wxDefaultValidator,
                                   "MovieFolder");
    grid->Add(d.useFolder, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(d.folder, 1, wxEXPAND);

    label("Frame rate");
    auto* rate = new wxBoxSizer(wxHORIZONTAL);
    d.fps = new wxSpinCtrl(d.dialog, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                           wxSP_ARROW_KEYS, 1, maxMovieFps, MovieRequest().fps, "MovieFps");
    rate->Add(d.fps);
    rate->Add(new wxStaticText(d.dialog, wxID_ANY, "frames per second"), 0,
              wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
    grid->Add(rate);

    label("Size");
    const wxString sizeNames[] = {"1920 x 1080", "3840 x 2160", "The pictures' own size"};
    d.size = new wxChoice(d.dialog, wxID_ANY, wxDefaultPosition, wxDefaultSize, 3, sizeNames, 0,
                          wxDefaultValidator, "MovieSize");
    d.size->SetSelection(0);
    grid->Add(d.size);

    label("Brightness");
    d.deflicker =
        new wxCheckBox(d.dialog, wxID_ANY,
                       wxString::Format("Deflicker: even out the brightness over %d frames",
                                        defaultDeflickerFrames),
                       wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "MovieDeflicker");
    grid->Add(d.deflicker, 0, wxALIGN_CENTER_VERTICAL);

    label("Output file");
    d.output =
        new wxFilePickerCtrl(d.dialog, wxID_ANY, wxString(), "Write the movie to",
                             "MP4 movies (*.mp4)|*.mp4", wxDefaultPosition, wxSize(420, -1),
                             wxFLP_SAVE | wxFLP_USE_TEXTCTRL, wxDefaultValidator, "MovieOutput");
    grid->Add(d.output, 1, wxEXPAND);

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 1, wxEXPAND | wxALL, 12);
    wxStdDialogButtonSizer* buttons = d.dialog->CreateStdDialogButtonSizer(wxOK | wxCANCEL);
    wxButton* make = buttons->GetAffirmativeButton();
    make->SetLabel("&Make Movie");
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    d.dialog->SetSizerAndFit(column);
    d.dialog->Centre();
    // Every choice has a default, so Return makes the movie at once.
    make->SetFocus();
}

void fill_defaults(MovieDialog& d) {
    const std::string cwd = file_bytes(wxGetCwd());
    const std::string newest = newest_series_record(cwd);
    d.folder->SetPath(file_text(cwd));
    d.record->SetPath(file_text(newest));
    d.useRecord->SetValue(!newest.empty());
    d.useFolder->SetValue(newest.empty());
    source_changed(d);
}

void show_progress(MovieRun& run, const MovieProgress& progress) {
    if (!run.window || run.finished)
        return;
    run.gauge->SetRange(std::max(1, progress.total));
    run.gauge->SetValue(std::min(progress.done, std::max(1, progress.total)));
    run.status->SetLabel(file_text(progress_text(progress)));
}

void show_result(MovieRun& run, const MovieResult& result) {
    if (run.worker.joinable())
        run.worker.join();
    run.finished = true;
    if (!run.window)
        return;
    std::string text = result.outcome == MovieOutcome::Made ? made_text(result) : result.error;
    for (const std::string& line : left_out_text(result, maxNamesShown))
        text += "\n" + line;
    run.window->SetTitle(result.outcome == MovieOutcome::Made ? "Movie Made" : "No Movie Made");
    if (result.outcome == MovieOutcome::Made)
        run.gauge->SetValue(run.gauge->GetRange());
    run.status->SetLabel(file_text(text));
    run.status->Wrap(480);
    run.button->SetLabel("Close");
    run.button->Enable();
    // Focus left the button when Cancel disabled it; Return and Escape close the window.
    run.button->SetFocus();
    run.window->GetSizer()->Fit(run.window);
}

void stop_or_close(MovieRun& run) {
    if (run.finished) {
        run.window->Destroy();
        return;
    }
    run.cancel = true;
    run.button->Disable();
    run.status->SetLabel("Cancelling...");
}

// A window of its own that leaves the main window usable: a series may be running.
void open_progress_window(const std::shared_ptr<MovieRun>& run, wxWindow* parent,
                          const MovieRequest& request) {
    wxDialog* window = new wxDialog(parent, wxID_ANY, "Making Movie", wxDefaultPosition,
                                    wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "MovieProgress");
    run->window = window;
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(window, wxID_ANY, "Writing " + file_text(request.output)), 0,
                wxALL, 12);
    run->gauge = new wxGauge(window, wxID_ANY, 1, wxDefaultPosition, wxSize(480, -1),
                             wxGA_HORIZONTAL, wxDefaultValidator, "MovieGauge");
    column->Add(run->gauge, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    run->status = new wxStaticText(window, wxID_ANY, "Looking at the pictures...",
                                   wxDefaultPosition, wxDefaultSize, 0, "MovieStatus");
    column->Add(run->status, 0, wxEXPAND | wxALL, 12);
    run->button = new wxButton(window, wxID_CANCEL, "Cancel", wxDefaultPosition, wxDefaultSize, 0,
                               wxDefaultValidator, "MovieButton");
    column->Add(run->button, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    window->SetSizerAndFit(column);

    run->button->Bind(wxEVT_BUTTON, [run](wxCommandEvent&) { stop_or_close(*run); });
    window->Bind(wxEVT_CLOSE_WINDOW, [run](wxCloseEvent&) { stop_or_close(*run); });
    // Goes with the main window too: the run stops before anything it reports to is gone.
    window->Bind(wxEVT_DESTROY, [run, window](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() != window)
            return;
        run->window = nullptr;
        run->cancel = true;
        if (run->worker.joinable())
            run->worker.join();
    });
    window->CentreOnParent();
    window->Show();
}

void start_movie(wxWindow* parent, const MovieRequest& request) {
    auto run = std::make_shared<MovieRun>();
    latestRun = run;
    open_progress_window(run, parent, request);
    run->worker = std::thread([run, request] {
        MovieResult result = make_movie(
            request,
            [run](const MovieProgress& progress) {
                wxTheApp->CallAfter([run, progress] { show_progress(*run, progress); });
            },
            run->cancel);
        wxTheApp->CallAfter([run, result] { show_result(*run, result); });
    });
}

} // namespace

void MyFrame::MakeMovie(wxCommandEvent&) {
    if (latestRun && !latestRun->finished && latestRun->window) {
        latestRun->window->Raise();
        return;
    }
    // Both go with this call; the dialog, with the handlers bound to it, first.
    MovieDialog d;
    wxDialog dialog(this, wxID_ANY, "Make Movie");
    build_dialog(d, &dialog);
    fill_defaults(d);
    d.useRecord->Bind(wxEVT_RADIOBUTTON, [&d](wxCommandEvent&) { source_changed(d); });
    d.useFolder->Bind(wxEVT_RADIOBUTTON, [&d](wxCommandEvent&) { source_changed(d); });
    d.record->Bind(wxEVT_FILEPICKER_CHANGED, [&d](wxFileDirPickerEvent&) { source_changed(d); });
    d.folder->Bind(wxEVT_DIRPICKER_CHANGED, [&d](wxFileDirPickerEvent&) { source_changed(d); });
    d.output->Bind(wxEVT_FILEPICKER_CHANGED,
                   [&d](wxFileDirPickerEvent&) { d.outputChosen = true; });
    d.deflicker->Bind(wxEVT_CHECKBOX, [&d](wxCommandEvent&) { d.deflickerChosen = true; });
    bool replace = false;
    dialog.Bind(
        wxEVT_BUTTON,
        [&d, &replace](wxCommandEvent& event) {
            if (accept_choices(d, &replace))
                event.Skip();
        },
        wxID_OK);

    if (dialog.ShowModal() != wxID_OK)
        return;
    MovieRequest request;
    request.source = chosen_source(d);
    request.output = file_bytes(d.output->GetPath());
    request.fps = d.fps->GetValue();
    const wxSize size = movieSizes[std::max(0, d.size->GetSelection())];
    request.width = size.x;
    request.height = size.y;
    request.deflicker = d.deflicker->GetValue() ? defaultDeflickerFrames : 0;
    request.replace = replace;
    start_movie(this, request);
}
