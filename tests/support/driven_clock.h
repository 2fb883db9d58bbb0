// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/series_clock.h"

#include <optional>

// A series clock that stands still until the test moves it, put in place of the real one while
// it lives: hours of a series pass in moments. Its steady and wall times move together. One
// wait at a time; like the real clock, a wait looks at `wake` again only when notified.
class DrivenClock : public SeriesClock {
  public:
    explicit DrivenClock(Wall::time_point wall);
    ~DrivenClock() override;
    DrivenClock(const DrivenClock&) = delete;
    DrivenClock& operator=(const DrivenClock&) = delete;

    Steady::time_point now() override;
    Wall::time_point wall_now() override;
    void wait_until(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                    Steady::time_point when, const std::function<bool()>& wake) override;

    void advance(Steady::duration by);
    // What a wait under way waits for, if one is.
    std::optional<Steady::time_point> waiting_until();
    // Moves the clock to the end of the wait under way; false when none is.
    bool finish_wait();

  private:
    // A wait under way: told when the clock moves. Its mutex and condition variable outlive
    // the wait, as the series' bridge does.
    struct Waiter {
        std::mutex* mutex;
        std::condition_variable* changed;
    };
    void moved();

    std::mutex mutex_;
    Steady::time_point steady_;
    Wall::time_point wall_;
    std::optional<Steady::time_point> waitingUntil_;
    std::optional<Waiter> waiter_;
};
