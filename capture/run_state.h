// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>

// The state of a time-lapse series, shared by the GUI thread and the worker.
extern std::atomic<bool> captureRunning;     // a series is to go on
extern std::atomic<bool> captureBusy;        // the worker has asked for a pass that has not ended
extern std::atomic<std::int32_t> frameCount; // frames captured in the current series
