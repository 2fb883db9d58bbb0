// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/series_options.h"

#include <chrono>
#include <string>

// When the passes of a series fall. With Cadence::Pause each pass waits the interval after the
// one before, as series always did. With Cadence::Steady pass k is due at t0 + k x interval on
// the series clock, t0 being when the first one was due: a pass that overruns the next slot is
// followed at once by the slot then in progress, and the slots that passed entirely are missed.
// Slots are numbered from 0; the record counts passes from 1, so slot k is pass k + 1.
class SeriesCadence {
  public:
    using Steady = std::chrono::steady_clock;
    using Wall = std::chrono::system_clock;

    struct Slot {
        long number = 0;
        Steady::time_point due;
        Wall::time_point dueWall;
    };
    struct Pause {
        Steady::time_point until;
        std::chrono::milliseconds length;
        long firstMissed = 0; // slots [firstMissed, firstMissed + missed) passed without a pass
        long missed = 0;
    };

    SeriesCadence(Cadence cadence, std::chrono::seconds interval);

    // Slot 0 is due at `due`, which is `dueWall` on the wall clock.
    void start(Steady::time_point due, Wall::time_point dueWall);
    bool started() const { return started_; }
    // The slot that the next pass takes.
    const Slot& next() const { return next_; }
    // After a pass that ended at `ended`: how long to wait, and the next slot.
    Pause pause_after(Steady::time_point ended);
    // When a slot was or will be due, on the wall clock.
    Wall::time_point due_wall(long slot) const;

    // The rest of "Sleeping for ": the interval in whole seconds with Cadence::Pause, the
    // wait to a tenth of a second with Cadence::Steady.
    std::string sleeping_text(const Pause& pause) const;

  private:
    Slot slot(long number, Steady::time_point due) const;
    Slot steady_slot(long number) const; // due at t0 + number x interval

    Cadence cadence_;
    std::chrono::seconds interval_;
    bool started_ = false;
    Steady::time_point t0_;
    Wall::time_point t0Wall_;
    Slot next_;
};
