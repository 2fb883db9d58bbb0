// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/camera_jobs.h"

#include "camera/camera_thread.h"

#include <deque>
#include <vector>
#include <wx/app.h>

namespace {

bool turnsOpen = false;
// Which window the turns belong to: a result that comes back for a window already gone is
// dropped, even when another window has opened since.
unsigned window = 0;
bool jobRunning = false;
bool draining = false;
bool commandInTurn = false;
std::deque<std::function<void()>> waiting;
std::vector<std::function<void()>> afterJob;

void run_waiting_steps() {
    draining = true;
    while (turnsOpen && !jobRunning && !waiting.empty()) {
        std::function<void()> step = std::move(waiting.front());
        waiting.pop_front();
        step();
    }
    draining = false;
}

void finish_job(unsigned jobWindow, const std::function<void()>& apply) {
    if (!turnsOpen || jobWindow != window)
        return;
    apply();
    jobRunning = false;
    std::vector<std::function<void()>> then;
    then.swap(afterJob);
    for (const std::function<void()>& f : then)
        f();
    run_waiting_steps();
}

} // namespace

void open_camera_jobs() {
    turnsOpen = true;
    ++window;
    jobRunning = false;
    waiting.clear();
    afterJob.clear();
}

void close_camera_jobs() {
    turnsOpen = false;
    waiting.clear();
    afterJob.clear();
}

void run_in_turn(std::function<void()> step) {
    if (!turnsOpen)
        return;
    if (jobRunning || draining || !waiting.empty())
        waiting.push_back(std::move(step));
    else
        step();
}

bool wait_for_turn(wxWindow* control, std::function<void()> again) {
    if (commandInTurn || !turnsOpen || !camera_busy())
        return false;
    waiting.push_back([control, again = std::move(again)] {
        if (control && !control->IsEnabled())
            return;
        commandInTurn = true;
        again();
        commandInTurn = false;
    });
    return true;
}

void start_camera_job(CameraJob job) {
    jobRunning = true;
    run_on_camera_thread([job = std::move(job), jobWindow = window] {
        std::function<void()> apply = job();
        // The application object outlives the window, whose events a closing would drop.
        wxTheApp->CallAfter(
            [jobWindow, apply = std::move(apply)] { finish_job(jobWindow, apply); });
    });
}

bool camera_busy() {
    return jobRunning || !waiting.empty();
}

void after_camera_job(std::function<void()> then) {
    if (jobRunning)
        afterJob.push_back(std::move(then));
    else
        then();
}
