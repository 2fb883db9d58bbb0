// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/gui_bridge.h"

#include "camera/camera_jobs.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

std::mutex bridgeMutex;
std::condition_variable bridgeChanged;
bool bridgeOpen = false;

} // namespace

void open_gui_bridge() {
    std::lock_guard<std::mutex> lock(bridgeMutex);
    bridgeOpen = true;
}

void close_gui_bridge() {
    {
        std::lock_guard<std::mutex> lock(bridgeMutex);
        bridgeOpen = false;
    }
    bridgeChanged.notify_all();
}

bool run_on_gui_thread(wxEvtHandler* window, const std::function<void()>& work) {
    auto ran = std::make_shared<bool>(false);
    auto finished = std::make_shared<bool>(false);
    {
        std::lock_guard<std::mutex> lock(bridgeMutex);
        if (!bridgeOpen)
            return false;
    }
    auto finish = [ran, finished](bool open) {
        {
            std::lock_guard<std::mutex> lock(bridgeMutex);
            *ran = open;
            *finished = true;
        }
        bridgeChanged.notify_all();
    };
    // The window discards the call if it is destroyed first; the worker then sees the
    // bridge closed.
    window->CallAfter([finish, work] {
        bool open;
        {
            std::lock_guard<std::mutex> lock(bridgeMutex);
            open = bridgeOpen;
        }
        // The bridge only closes on this thread, so it stays open while the work runs. The
        // work waits its turn behind the camera, and is done when the camera job it starts is.
        if (!open)
            finish(false);
        else
            run_in_turn([finish, work] {
                work();
                after_camera_job([finish] { finish(true); });
            });
    });
    std::unique_lock<std::mutex> lock(bridgeMutex);
    bridgeChanged.wait(lock, [&] { return *finished || !bridgeOpen; });
    return *ran;
}

void pause_unless_closed(unsigned long seconds) {
    std::unique_lock<std::mutex> lock(bridgeMutex);
    bridgeChanged.wait_for(lock, std::chrono::seconds(seconds), [] { return !bridgeOpen; });
}
