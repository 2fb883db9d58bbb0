// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Time as a series sees it: when passes start, how long it waits, when it is armed to begin.
// The program keeps the real clocks; tests put in one that they drive, so that hours pass in
// moments.
class SeriesClock {
  public:
    using Steady = std::chrono::steady_clock;
    using Wall = std::chrono::system_clock;

    virtual ~SeriesClock() = default;
    virtual Steady::time_point now() = 0;
    virtual Wall::time_point wall_now() = 0;
    // Waits with `lock` held on entry and exit until `when`, or until `wake` is true; whoever
    // changes what `wake` reads notifies `changed` under the lock.
    virtual void wait_until(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                            Steady::time_point when, const std::function<bool()>& wake) = 0;
};

SeriesClock& series_clock();
// Puts another clock in place of the real one; null puts the real one back. For tests, before a
// series starts.
void use_series_clock(SeriesClock* clock);
