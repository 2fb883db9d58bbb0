// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/driven_clock.h"

#include <algorithm>

DrivenClock::DrivenClock(Wall::time_point wall)
    : steady_(Steady::time_point() + std::chrono::hours(1000)), wall_(wall) {
    use_series_clock(this);
}

DrivenClock::~DrivenClock() {
    use_series_clock(nullptr);
}

SeriesClock::Steady::time_point DrivenClock::now() {
    std::lock_guard<std::mutex> lock(mutex_);
    return steady_;
}

SeriesClock::Wall::time_point DrivenClock::wall_now() {
    std::lock_guard<std::mutex> lock(mutex_);
    return wall_;
}

void DrivenClock::wait_until(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                             Steady::time_point when, const std::function<bool()>& wake) {
    {
        std::lock_guard<std::mutex> own(mutex_);
        waitingUntil_ = when;
        waiter_ = Waiter{lock.mutex(), &changed};
    }
    changed.wait(lock, [&] { return wake() || now() >= when; });
    std::lock_guard<std::mutex> own(mutex_);
    waitingUntil_.reset();
    waiter_.reset();
}

// Taking the waiter's mutex first means a wait about to block cannot miss the move.
void DrivenClock::moved() {
    std::optional<Waiter> waiter;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiter = waiter_;
    }
    if (!waiter)
        return;
    { std::lock_guard<std::mutex> lock(*waiter->mutex); }
    waiter->changed->notify_all();
}

void DrivenClock::advance(Steady::duration by) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        steady_ += by;
        wall_ += std::chrono::duration_cast<Wall::duration>(by);
    }
    moved();
}

std::optional<SeriesClock::Steady::time_point> DrivenClock::waiting_until() {
    std::lock_guard<std::mutex> lock(mutex_);
    return waitingUntil_;
}

bool DrivenClock::finish_wait() {
    std::optional<Steady::time_point> until = waiting_until();
    if (!until)
        return false;
    advance(std::max(*until - now(), Steady::duration::zero()));
    return true;
}
