// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/vantlow.h"

#include <chrono>
#include <optional>

// The pass of the running series under way, counted from 1; 0 when no series runs. With a
// steady cadence missed slots count too, so that pass k + 1 is always slot k. GUI thread.
int series_pass();

// Gives a new worker the newest series: an older worker still sleeping leaves it alone.
void enroll_worker(MyThread* worker);

// Ends the newest series, even one whose worker has not begun yet: the run state goes back to
// no series.
void stop_series();

// From Start until the series ends: by Stop, or when its worker has taken its last pass. GUI
// thread.
bool series_under_way();

// Where the newest series stands, for the progress line. Times are on the series clock; a
// field that does not apply is unset. Safe from any thread, and cheap enough for a timer.
struct SeriesProgress {
    bool underWay = false; // from Start until the series ends, armed or running
    // Armed: when the first pass is due; the series makes no pass before.
    std::optional<std::chrono::system_clock::time_point> armedUntil;
    // Between passes: when the next one is due, in both clocks' terms.
    std::optional<std::chrono::steady_clock::time_point> nextPass;
    std::optional<std::chrono::system_clock::time_point> nextPassWall;
    int framesTaken = 0;
    long frameLimit = 0; // 0: none
    // From the first pass on: the moment from which the runtime limit ends the series once the
    // wait under way is over.
    std::optional<std::chrono::system_clock::time_point> runtimeEnd;
    // The end time (EndAt), tested like the limits.
    std::optional<std::chrono::system_clock::time_point> endAt;
};
SeriesProgress series_progress();
