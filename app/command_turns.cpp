// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_turns.h"

#include "camera/camera_thread.h"

#include <wx/app.h>

CommandTurns& command_turns() {
    static CommandTurns turns;
    return turns;
}

void CommandTurns::run_waiting_steps() {
    draining_ = true;
    while (open_ && !jobRunning_ && !waiting_.empty()) {
        std::function<void()> step = std::move(waiting_.front());
        waiting_.pop_front();
        step();
    }
    draining_ = false;
}

void CommandTurns::finish_job(unsigned jobWindow, const std::function<void()>& apply) {
    if (!open_ || jobWindow != window_)
        return;
    apply();
    jobRunning_ = false;
    std::vector<std::function<void()>> then;
    then.swap(afterJob_);
    for (const std::function<void()>& f : then)
        f();
    run_waiting_steps();
}

void CommandTurns::open() {
    open_ = true;
    ++window_;
    jobRunning_ = false;
    waiting_.clear();
    afterJob_.clear();
}

void CommandTurns::close() {
    open_ = false;
    waiting_.clear();
    afterJob_.clear();
}

void CommandTurns::run_in_turn(std::function<void()> step) {
    if (!open_)
        return;
    if (jobRunning_ || draining_ || !waiting_.empty())
        waiting_.push_back(std::move(step));
    else
        step();
}

bool CommandTurns::wait_for_turn(wxWindow* control, std::function<void()> again) {
    if (commandInTurn_ || !open_ || !camera_busy())
        return false;
    waiting_.push_back([this, control, again = std::move(again)] {
        if (control && !control->IsEnabled())
            return;
        commandInTurn_ = true;
        again();
        commandInTurn_ = false;
    });
    return true;
}

void CommandTurns::start_camera_job(CameraJob job) {
    jobRunning_ = true;
    run_on_camera_thread([this, job = std::move(job), jobWindow = window_] {
        std::function<void()> apply = job();
        // The application object outlives the window, whose events a closing would drop.
        wxTheApp->CallAfter(
            [this, jobWindow, apply = std::move(apply)] { finish_job(jobWindow, apply); });
    });
}

bool CommandTurns::camera_busy() const {
    return jobRunning_ || !waiting_.empty();
}

void CommandTurns::after_camera_job(std::function<void()> then) {
    if (jobRunning_)
        afterJob_.push_back(std::move(then));
    else
        then();
}
