// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <vector>
#include <wx/window.h>

// While the camera works the window stays live, but what it is asked to do waits its turn:
// commands and the steps of a series run after the camera job under way, in the order they
// came, as they would have come from the queue of a window that the job froze. All of this runs
// on the GUI thread.
class CommandTurns {
  public:
    // Done on the camera thread; hands back what is then done with its result on the GUI
    // thread.
    using CameraJob = std::function<std::function<void()>()>;

    // The window opens and closes the turns. Once closed, no waiting step runs and no job's
    // result is applied.
    void open();
    void close();

    // Runs the step now, or once the camera job under way and the steps before it are done.
    void run_in_turn(std::function<void()> step);

    // For a command's handler: true when the command has to wait its turn, in which case
    // `again` runs it then, unless the control it came from has been disabled meanwhile (the
    // toolkit of a window frozen until then would have dropped the click). False when its turn
    // is now.
    bool wait_for_turn(wxWindow* control, std::function<void()> again);

    // Starts a job on the camera thread; steps wait until its result has been applied.
    void start_camera_job(CameraJob job);

    // Whether a job runs or a step waits.
    bool camera_busy() const;

    // Runs `then` right after the current job's result has been applied, before the waiting
    // steps; at once when no job runs.
    void after_camera_job(std::function<void()> then);

  private:
    void run_waiting_steps();
    void finish_job(unsigned jobWindow, const std::function<void()>& apply);

    bool open_ = false;
    // Which window the turns belong to: a result that comes back for a window already gone is
    // dropped, even when another window has opened since.
    unsigned window_ = 0;
    bool jobRunning_ = false;
    bool draining_ = false;
    bool commandInTurn_ = false;
    std::deque<std::function<void()>> waiting_;
    std::vector<std::function<void()>> afterJob_;
};

// The turns of the main window.
CommandTurns& command_turns();
