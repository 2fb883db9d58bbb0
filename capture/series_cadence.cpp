// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/series_cadence.h"

#include <sstream>

SeriesCadence::SeriesCadence(Cadence cadence, std::chrono::seconds interval)
    : cadence_(cadence), interval_(interval) {}

void SeriesCadence::start(Steady::time_point due, Wall::time_point dueWall) {
    started_ = true;
    t0_ = due;
    t0Wall_ = dueWall;
    next_ = slot(0, t0_);
}

SeriesCadence::Slot SeriesCadence::slot(long number, Steady::time_point due) const {
    return {number, due, t0Wall_ + std::chrono::duration_cast<Wall::duration>(due - t0_)};
}

SeriesCadence::Slot SeriesCadence::steady_slot(long number) const {
    return slot(number, t0_ + number * interval_);
}

SeriesCadence::Wall::time_point SeriesCadence::due_wall(long number) const {
    return steady_slot(number).dueWall;
}

SeriesCadence::Pause SeriesCadence::pause_after(Steady::time_point ended) {
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    const long finished = next_.number;
    // Without an interval a steady series runs its passes back to back, each due as the one
    // before ends.
    if (cadence_ == Cadence::Pause || interval_.count() == 0) {
        next_ = slot(finished + 1, ended + interval_);
        return {next_.due, interval_};
    }
    const Slot following = steady_slot(finished + 1);
    if (ended < following.due) {
        next_ = following;
        return {following.due, duration_cast<milliseconds>(following.due - ended)};
    }
    // The slot in progress runs at once; those before it that ended entirely are missed.
    const long inProgress = static_cast<long>((ended - t0_) / interval_);
    next_ = steady_slot(inProgress);
    return {ended, milliseconds(0), finished + 1, inProgress - finished - 1};
}

std::string SeriesCadence::sleeping_text(const Pause& pause) const {
    std::ostringstream text;
    if (cadence_ == Cadence::Pause) {
        text << interval_.count();
    } else {
        const long long tenths = (pause.length.count() + 50) / 100;
        text << tenths / 10 << '.' << tenths % 10;
    }
    text << " seconds... ";
    return text.str();
}
