// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/series_forecast.h"
#include "capture/picture_file.h"
#include "platform/sleep_inhibitor.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <wx/frame.h>
#include <wx/timer.h>

// What the window does for a series beyond the series itself, from Start until it ends: keeps
// the computer awake (KeepAwake) and shows a progress line in a second field of the status
// bar, once a second. Field 0 keeps the texts of the captures. The console hears nothing of
// it. GUI thread.
class SeriesWatch {
  public:
    explicit SeriesWatch(wxFrame* frame);
    ~SeriesWatch(); // lets go of the sleep lock
    SeriesWatch(const SeriesWatch&) = delete;
    SeriesWatch& operator=(const SeriesWatch&) = delete;

    // Start was pressed: the series' limits and folder are read from the page.
    void series_started();
    // Its worker has begun it: from here the frame count is the series' own.
    void series_running();
    void series_ended();

  private:
    using Clock = std::chrono::system_clock;

    void idle(wxIdleEvent& event);
    void observe();
    void ask_battery();
    void show();
    void show_fields(int count);

    wxFrame* frame_;
    SleepInhibitor inhibitor_;
    wxTimer timer_;
    std::string notice_; // why sleep is not held off, for the series in which it was learned

    bool watching_ = false;
    bool running_ = false;
    SeriesPlan plan_;
    std::string directory_;
    Clock::time_point start_;
    PicturesWritten writtenBefore_;
    // Passes as seen from here: one under way since passSince_, or the last ended at passEnd_.
    bool inPass_ = false;
    int passes_ = 0;
    Clock::time_point passSince_;
    Clock::time_point passEnd_;
    Clock::duration passTime_{};

    // Read at most every five minutes, across series too.
    std::optional<std::string> battery_;
    bool batteryAsked_ = false;
    std::chrono::steady_clock::time_point batteryDue_;
};

// The window's watch, made once the status bar is there and gone as the window closes; null
// otherwise.
SeriesWatch* series_watch();
void open_series_watch(wxFrame* frame);
void close_series_watch();
