// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/series_clock.h"

#include <atomic>

namespace {

class RealClock : public SeriesClock {
  public:
    Steady::time_point now() override { return Steady::now(); }
    Wall::time_point wall_now() override { return Wall::now(); }
    void wait_until(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                    Steady::time_point when, const std::function<bool()>& wake) override {
        changed.wait_until(lock, when, wake);
    }
};

RealClock realClock;
std::atomic<SeriesClock*> clockInUse{&realClock};

} // namespace

SeriesClock& series_clock() {
    return *clockInUse.load();
}

void use_series_clock(SeriesClock* clock) {
    clockInUse = clock ? clock : &realClock;
}
