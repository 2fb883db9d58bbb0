// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/live_view_page.h"

#include "app/heap_policy.h"
#include "camera/camera_jobs.h"
#include "camera/detection.h"
#include "camera/live_view_camera.h"
#include "capture/series.h"
#include "display/live_view.h"

#include <chrono>
#include <gphoto2/gphoto2-result.h>
#include <memory>

wxCheckBox* gridCheck = nullptr;
wxStaticText* liveViewState = nullptr;

namespace {

using Clock = std::chrono::steady_clock;

// Failed or damaged frames in a row after which live view gives up until the page is shown
// again.
const int failuresToStop = 5;

// All of it belongs to the GUI thread.
wxWindow* livePage = nullptr;
wxNotebook* book = nullptr;
bool pageWasShown = false;
bool running = false;
bool frameAsked = false;
// Frames have been asked for since the viewfinder was last set off.
bool viewfinderOn = false;
int failuresInRow = 0;
// Why live view has stopped until the page is shown again; empty while it may run.
wxString halted;
// The rate, counted over about a second at a time.
wxString rate;
int framesCounted = 0;
Clock::time_point countedSince;

// A frame as it comes back from the camera thread.
struct FetchedFrame {
    int result = GP_OK;
    bool decoded = false;
    LiveFrame frame;
};

void update_live_view();

void show_state(const wxString& text) {
    if (liveViewState->GetLabel() != text)
        liveViewState->SetLabel(text);
}

void count_frame() {
    ++framesCounted;
    const double seconds = std::chrono::duration<double>(Clock::now() - countedSince).count();
    if (seconds < 1)
        return;
    rate.Printf("%.1f frames per second", framesCounted / seconds);
    framesCounted = 0;
    countedSince = Clock::now();
}

void frame_arrived(const FetchedFrame& fetched) {
    frameAsked = false;
    if (fetched.result == GP_ERROR_NOT_SUPPORTED) {
        // Nothing was switched on, and asking again would only be refused again.
        viewfinderOn = false;
        halted = "This camera has no live view.";
    } else if (fetched.decoded) {
        failuresInRow = 0;
        show_live_frame(fetched.frame);
        count_frame();
        livePage->Refresh(false);
    } else if (++failuresInRow >= failuresToStop) {
        const wxString why = fetched.result == GP_OK
                                 ? wxString("damaged frame")
                                 : wxString::FromUTF8(gp_result_as_string(fetched.result));
        halted.Printf("Live view stopped after %d failed frames in a row (last: %s). Show this "
                      "page again to retry.",
                      failuresToStop, why);
    }
    // Commands given meanwhile go first.
    run_in_turn(update_live_view);
}

void ask_for_frame() {
    frameAsked = true;
    viewfinderOn = true;
    const wxSize area = live_view_area(livePage).GetSize();
    start_camera_job([area] {
        auto fetched = std::make_shared<FetchedFrame>();
        std::string jpeg;
        fetched->result = fetch_preview_frame(&jpeg);
        fetched->decoded = fetched->result == GP_OK && make_live_frame(jpeg, area, &fetched->frame);
        return [fetched] { frame_arrived(*fetched); };
    });
}

void set_viewfinder_off() {
    viewfinderOn = false;
    start_camera_job([] {
        release_viewfinder();
        return [] {};
    });
}

// Brings live view in line with the window: the page shown or not, a series, the camera.
void update_live_view() {
    const bool shown = book->GetCurrentPage() == livePage;
    if (shown && !pageWasShown) {
        halted.clear();
        failuresInRow = 0;
    }
    pageWasShown = shown;
    // A closed camera has let go of its viewfinder, and a write would open it again.
    if (!cameraOpen)
        viewfinderOn = false;
    const bool series = series_under_way();
    const bool wasRunning = running;
    running = shown && cameraOpen && halted.empty() && !series;
    if (running && !wasRunning) {
        reuse_big_buffers();
        rate.clear();
        framesCounted = 0;
        countedSince = Clock::now();
    } else if (wasRunning && !running) {
        map_big_buffers();
    }
    if (!running && !liveFrame.bitmap.IsNull())
        clear_live_frame();
    if (liveViewShowsPreview != (shown && series)) {
        liveViewShowsPreview = shown && series;
        livePage->Refresh(false);
    }
    if (!cameraOpen)
        show_state("No camera is open: choose File > Detect Camera.");
    else if (!halted.empty())
        show_state(halted);
    else if (series)
        show_state("Live view is paused while a series runs; its latest picture is shown.");
    else
        show_state(rate);

    // One camera job at a time; the end of the one under way brings this back.
    if (frameAsked || camera_busy())
        return;
    if (running)
        ask_for_frame();
    else if (viewfinderOn && !series)
        set_viewfinder_off();
}

void UpdateLiveView(wxIdleEvent& event) {
    update_live_view();
    event.Skip();
}

void RefreshLiveView(wxCommandEvent& event) {
    livePage->Refresh(false);
    event.Skip();
}

} // namespace

wxPanel* create_live_view_page(wxNotebook* notebook) {
    auto* page = new wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxTAB_TRAVERSAL | wxNO_BORDER);
    page->SetBackgroundStyle(wxBG_STYLE_PAINT);
    gridCheck = new wxCheckBox(page, wxID_ANY, "Rule-of-thirds grid", wxPoint(20, 15),
                               wxDefaultSize, 0, wxDefaultValidator, "Grid");
    liveViewState = new wxStaticText(page, wxID_ANY, wxEmptyString, wxPoint(20, 45), wxDefaultSize,
                                     0, "LiveViewState");
    page->Bind(wxEVT_PAINT, &PaintLiveView);
    // Whatever changes (the page shown, a series, the camera) is followed by an idle event.
    page->Bind(wxEVT_IDLE, &UpdateLiveView);
    gridCheck->Bind(wxEVT_CHECKBOX, &RefreshLiveView);

    livePage = page;
    book = notebook;
    pageWasShown = running = frameAsked = viewfinderOn = false;
    failuresInRow = 0;
    halted.clear();
    rate.clear();
    clear_live_frame();
    liveViewShowsPreview = false;
    return page;
}

std::function<void()> live_view_leftover() {
    if (!viewfinderOn || !cameraOpen)
        return nullptr;
    return release_viewfinder;
}
