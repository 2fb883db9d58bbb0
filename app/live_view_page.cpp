// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/live_view_page.h"

#include "app/command_turns.h"
#include "app/heap_policy.h"
#include "camera/detection.h"
#include "camera/live_view_camera.h"
#include "capture/series.h"

#include <gphoto2/gphoto2-result.h>
#include <memory>

// A frame as it comes back from the camera thread.
struct FetchedFrame {
    int result = GP_OK;
    bool decoded = false;
    LiveFrame frame;
};

namespace {

// Failed or damaged frames in a row after which live view gives up until the page is shown
// again.
const int failuresToStop = 5;

} // namespace

LiveViewPage::LiveViewPage(wxNotebook* notebook)
    : wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER,
              "LiveView"),
      book_(notebook) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    grid_ = new wxCheckBox(this, wxID_ANY, "Rule-of-thirds grid", wxPoint(20, 15), wxDefaultSize, 0,
                           wxDefaultValidator, "Grid");
    state_ = new wxStaticText(this, wxID_ANY, wxEmptyString, wxPoint(20, 45), wxDefaultSize, 0,
                              "LiveViewState");
    Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
        canvas_.paint(this, grid_->IsChecked());
        event.Skip();
    });
    // Whatever changes (the page shown, a series, the camera) is followed by an idle event.
    Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
        update();
        event.Skip();
    });
    grid_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) {
        Refresh(false);
        event.Skip();
    });
}

void LiveViewPage::show_state(const wxString& text) {
    if (state_->GetLabel() != text)
        state_->SetLabel(text);
}

void LiveViewPage::count_frame() {
    ++framesCounted_;
    const double seconds = std::chrono::duration<double>(Clock::now() - countedSince_).count();
    if (seconds < 1)
        return;
    rate_.Printf("%.1f frames per second", framesCounted_ / seconds);
    framesCounted_ = 0;
    countedSince_ = Clock::now();
}

void LiveViewPage::frame_arrived(const FetchedFrame& fetched) {
    frameAsked_ = false;
    if (fetched.result == GP_ERROR_NOT_SUPPORTED) {
        // Nothing was switched on, and asking again would only be refused again.
        viewfinderOn_ = false;
        halted_ = "This camera has no live view.";
    } else if (fetched.decoded) {
        failuresInRow_ = 0;
        canvas_.show_frame(fetched.frame);
        count_frame();
        Refresh(false);
    } else if (++failuresInRow_ >= failuresToStop) {
        const wxString why = fetched.result == GP_OK
                                 ? wxString("damaged frame")
                                 : wxString::FromUTF8(gp_result_as_string(fetched.result));
        halted_.Printf("Live view stopped after %d failed frames in a row (last: %s). Show this "
                       "page again to retry.",
                       failuresToStop, why);
    }
    // Commands given meanwhile go first.
    command_turns().run_in_turn([this] { update(); });
}

void LiveViewPage::ask_for_frame() {
    frameAsked_ = true;
    viewfinderOn_ = true;
    const wxSize area = live_view_area(this).GetSize();
    // The page outlives every job: the window waits for the camera thread before it goes, and
    // drops results that come back later.
    command_turns().start_camera_job([this, area] {
        auto fetched = std::make_shared<FetchedFrame>();
        std::string jpeg;
        fetched->result = fetch_preview_frame(&jpeg);
        fetched->decoded = fetched->result == GP_OK && make_live_frame(jpeg, area, &fetched->frame);
        return [this, fetched] { frame_arrived(*fetched); };
    });
}

void LiveViewPage::set_viewfinder_off() {
    viewfinderOn_ = false;
    command_turns().start_camera_job([] {
        release_viewfinder();
        return [] {};
    });
}

// Brings live view in line with the window: the page shown or not, a series, the camera.
void LiveViewPage::update() {
    const bool shown = book_->GetCurrentPage() == this;
    if (shown && !pageWasShown_) {
        halted_.clear();
        failuresInRow_ = 0;
    }
    pageWasShown_ = shown;
    const bool cameraOpen = camera_is_open();
    // A closed camera has let go of its viewfinder, and a write would open it again.
    if (!cameraOpen)
        viewfinderOn_ = false;
    const bool series = series_under_way();
    const bool wasRunning = running_;
    running_ = shown && cameraOpen && halted_.empty() && !series;
    if (running_ && !wasRunning) {
        reuse_big_buffers();
        rate_.clear();
        framesCounted_ = 0;
        countedSince_ = Clock::now();
    } else if (wasRunning && !running_) {
        map_big_buffers();
    }
    if (!running_ && !canvas_.frame_bitmap().IsNull())
        canvas_.clear_frame();
    if (canvas_.shows_preview() != (shown && series)) {
        canvas_.set_shows_preview(shown && series);
        Refresh(false);
    }
    if (!cameraOpen)
        show_state("No camera is open: choose File > Detect Camera.");
    else if (!halted_.empty())
        show_state(halted_);
    else if (series)
        show_state("Live view is paused while a series runs; its latest picture is shown.");
    else
        show_state(rate_);

    // One camera job at a time; the end of the one under way brings this back.
    if (frameAsked_ || command_turns().camera_busy())
        return;
    if (running_)
        ask_for_frame();
    else if (viewfinderOn_ && !series)
        set_viewfinder_off();
}

std::function<void()> LiveViewPage::leftover() const {
    if (!viewfinderOn_ || !camera_is_open())
        return nullptr;
    return release_viewfinder;
}

LiveViewPage* find_live_view_page(const wxNotebook* notebook) {
    for (size_t i = 0; i < notebook->GetPageCount(); ++i)
        if (auto* page = dynamic_cast<LiveViewPage*>(notebook->GetPage(i)))
            return page;
    return nullptr;
}
