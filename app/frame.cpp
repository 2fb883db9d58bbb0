// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_turns.h"
#include "app/ids.h"
#include "app/live_view_page.h"
#include "app/series_options_page.h"
#include "app/series_options_store.h"
#include "app/series_page.h"
#include "app/series_watch.h"
#include "app/vantlow.h"
#include "camera/camera_thread.h"
#include "camera/settings_page.h"
#include "capture/gui_bridge.h"
#include "capture/run_state.h"
#include "capture/series.h"
#include "display/display.h"
#include "record/series_record.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <gdk/gdk.h>
#include <iostream>
#include <unistd.h>

#include "resources/vantlow.xpm"

wxBEGIN_EVENT_TABLE(MyFrame, wxFrame)
    EVT_COMBOBOX(wxID_ANY, MyFrame::ParameterChanged)
    EVT_NOTEBOOK_PAGE_CHANGED(wxID_ANY, MyFrame::HandleNotebookPage)
    EVT_NOTEBOOK_PAGE_CHANGING(wxID_ANY, MyFrame::HandleNotebookPage)
    EVT_BUTTON(ID_CAPTURE, MyFrame::CapturePressed)
    EVT_BUTTON(ID_START, MyFrame::StartCapture)
    EVT_BUTTON(ID_STOP, MyFrame::StopCapture)
    EVT_MENU(wxID_EXIT, MyFrame::QuitApplication)
    EVT_MENU(ID_DETECT_CAMERA, MyFrame::DetectCamera)
    EVT_MENU(ID_MAKE_MOVIE, MyFrame::MakeMovie)
    EVT_IDLE(MyFrame::HandleIdle)
wxEND_EVENT_TABLE()

MyFrame::MyFrame() : wxFrame(nullptr, wxID_ANY, "Vantlow") {
    load_window_series_options();
    command_turns().open();
    // A series' steps wait their turn behind the camera like the window's commands.
    gui_bridge().open([](std::function<void()> work, std::function<void()> done) {
        command_turns().run_in_turn([work = std::move(work), done = std::move(done)] {
            work();
            command_turns().after_camera_job(done);
        });
    });
    SetIcon(wxIcon(vantlow_xpm));

    auto* fileMenu = new wxMenu;
    fileMenu->Append(wxID_EXIT, "E&xit", "Quit the application");
    fileMenu->Append(ID_DETECT_CAMERA, "&Detect Camera", "Detect camera");
    fileMenu->Append(ID_MAKE_MOVIE, wxString::FromUTF8("&Make Movie\u2026"),
                     "Make a movie of a series' pictures");
    auto* menuBar = new wxMenuBar;
    menuBar->Append(fileMenu, "&File");
    SetMenuBar(menuBar);

    mainPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            wxTAB_TRAVERSAL | wxNO_BORDER);
    mainSizer = new wxBoxSizer(wxVERTICAL);

    notebook = new wxNotebook(mainPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNB_TOP);
    notebook->Show(false);

    wxPanel* seriesPage = create_series_page(notebook);
    seriesPage->Bind(wxEVT_PAINT, &PaintPreview);
    notebook->AddPage(seriesPage, "Timelapse Settings", false, -1);

    notebook->AddPage(create_camera_settings_page(notebook), "Camera Settings", false, -1);

    auto* galleryPage = new wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                    wxTAB_TRAVERSAL | wxNO_BORDER);
    galleryPage->SetBackgroundStyle(wxBG_STYLE_PAINT);
    galleryPage->Bind(wxEVT_PAINT, &PaintGallery);
    notebook->AddPage(galleryPage, "Captured Images", false, -1);
    notebook->AddPage(new LiveViewPage(notebook), "Live View", false, -1);
    notebook->AddPage(new SeriesOptionsPage(notebook), "Series Options", false, -1);
    notebook->SetSelection(0);

    mainSizer->Add(notebook, 5, wxEXPAND | wxALL, 6);
    mainSizer->Show(notebook, true);
    mainSizer->Layout();

    mainPanel->SetSizer(mainSizer);
    mainSizer->Fit(this);
    mainSizer->SetSizeHints(this);
    Centre(wxBOTH);
    CreateStatusBar();
    open_series_watch(this);
    // Start-up has opened the camera and read its configuration; from here on the camera
    // thread alone talks to it.
    start_camera_thread();
}

MyFrame::~MyFrame() {
    using namespace std::chrono;
    // The camera gets two seconds from the closing to finish the job under way.
    const steady_clock::time_point deadline = steady_clock::now() + seconds(2);
    auto remaining = [deadline] {
        return std::max(duration_cast<milliseconds>(deadline - steady_clock::now()), 0ms);
    };
    // The window goes at once, though the camera may still be busy.
    Hide();
    gdk_display_flush(gdk_display_get_default());
    // Nothing may reach this window once it is gone: end the series and let the workers go.
    command_turns().close();
    gui_bridge().close();
    stop_series();
    // The sleep lock goes with the window, not with the camera.
    close_series_watch();
    MyApp& app = wxGetApp();
    bool workersLeft;
    {
        wxMutexLocker lock(app.workerLock);
        workersLeft = !app.workerThreads.IsEmpty();
        app.waitingForWorkers = workersLeft;
    }
    if (workersLeft)
        app.workersDone.WaitTimeout(remaining().count());
    // Live view leaves the camera as it found it, its viewfinder off.
    if (!stop_camera_thread(remaining(), find_live_view_page(notebook)->leftover())) {
        // A camera that does not answer must not keep a closed program alive. Pictures are
        // written aside and moved into place whole, so none is left half-written.
        std::cout.flush();
        std::fflush(nullptr);
        _exit(0);
    }
    // Only now: the job under way may still have added the row of its picture.
    series_record_end();
}

void MyFrame::QuitApplication(wxCommandEvent&) {
    Close(false);
}

void MyFrame::HandleIdle(wxIdleEvent&) {
    // Repainting is what shows newly captured pictures; not while the worker is in a pass.
    if (!captureBusy)
        Refresh(true, nullptr);
}

void MyFrame::HandleNotebookPage(wxBookCtrlEvent&) {}
