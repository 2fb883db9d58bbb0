// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>

// Every call that may talk to the open camera runs on one thread: a real body answers in its
// own time, and the window must not wait for it. Jobs run one at a time, in the order asked.

// The three are called on the GUI thread.

// Starts the thread. The camera belongs to it from now on.
void start_camera_thread();

// Queues a job; ignored once the thread is stopping.
void run_on_camera_thread(std::function<void()> job);

// Drops the jobs not yet begun, runs `last` (when given) after the one under way, and waits for
// both. Returns false when they have not returned in time; the thread is then left to them.
bool stop_camera_thread(std::chrono::milliseconds patience, std::function<void()> last = nullptr);
