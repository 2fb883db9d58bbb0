// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "display/live_view.h"

#include <chrono>
#include <functional>
#include <wx/checkbox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/stattext.h>

struct FetchedFrame;

// The Live View page. While it is the page shown, no series is under way and the camera is
// open, the camera thread fetches frames one at a time, each as a camera job of its own: the
// next is asked for once the last has been handed to the page, behind any command given
// meanwhile. Nothing is written to the console. GUI thread.
class LiveViewPage : public wxPanel {
  public:
    explicit LiveViewPage(wxNotebook* notebook);

    // What the camera thread has left to do for live view when the window closes: set the
    // viewfinder back off if frames were fetched. Empty when nothing is left.
    std::function<void()> leftover() const;

    const LiveViewCanvas& canvas() const { return canvas_; }

  private:
    using Clock = std::chrono::steady_clock;

    void update();
    void show_state(const wxString& text);
    void count_frame();
    void frame_arrived(const FetchedFrame& fetched);
    void ask_for_frame();
    void set_viewfinder_off();

    wxNotebook* book_;
    wxCheckBox* grid_;    // the rule-of-thirds grid over the frame
    wxStaticText* state_; // frames per second, or why there are none
    LiveViewCanvas canvas_;
    bool pageWasShown_ = false;
    bool running_ = false;
    bool frameAsked_ = false;
    // Frames have been asked for since the viewfinder was last set off.
    bool viewfinderOn_ = false;
    int failuresInRow_ = 0;
    // Why live view has stopped until the page is shown again; empty while it may run.
    wxString halted_;
    // The rate, counted over about a second at a time.
    wxString rate_;
    int framesCounted_ = 0;
    Clock::time_point countedSince_;
};

// The notebook's Live View page.
LiveViewPage* find_live_view_page(const wxNotebook* notebook);
