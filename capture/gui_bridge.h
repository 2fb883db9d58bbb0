// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <wx/event.h>

// GTK may only be called from the GUI thread, and the GUI lock does not keep the event loop
// out, so a worker has everything that touches the toolkit or the camera run there.
class GuiBridge {
  public:
    // Runs `work` in the window's turn and calls `done` once the camera job it started, if
    // any, has ended. GUI thread.
    using Turn = std::function<void(std::function<void()> work, std::function<void()> done)>;

    // While the main window is open, requests are run in its turns. Called on the GUI thread.
    void open(Turn turn);
    // The main window is going: requests not yet run are dropped and pauses end at once.
    void close();

    // Runs the work on the GUI thread through the window's event queue, in its turn, and waits
    // until it and the camera job it starts have run. Returns false, without running it, once
    // the bridge is closed.
    bool run_on_gui_thread(wxEvtHandler* window, const std::function<void()>& work);

    // Waits on the series clock until `when`, or less when the bridge closes or `cut_short`
    // holds meanwhile. Whoever makes `cut_short` true calls wake_pauses() afterwards.
    void pause_until(std::chrono::steady_clock::time_point when,
                     const std::function<bool()>& cut_short = nullptr);
    void wake_pauses();

  private:
    bool is_open();

    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    Turn turn_; // GUI thread only
};

// The bridge to the main window.
GuiBridge& gui_bridge();
