// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/gui_bridge.h"

#include "capture/series_clock.h"

#include <memory>

GuiBridge& gui_bridge() {
    static GuiBridge bridge;
    return bridge;
}

void GuiBridge::open(Turn turn) {
    turn_ = std::move(turn);
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
}

void GuiBridge::close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = false;
    }
    changed_.notify_all();
}

bool GuiBridge::is_open() {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

bool GuiBridge::run_on_gui_thread(wxEvtHandler* window, const std::function<void()>& work) {
    if (!is_open())
        return false;
    auto ran = std::make_shared<bool>(false);
    auto finished = std::make_shared<bool>(false);
    auto finish = [this, ran, finished](bool open) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            *ran = open;
            *finished = true;
        }
        changed_.notify_all();
    };
    // The window discards the call if it is destroyed first; the worker then sees the
    // bridge closed.
    window->CallAfter([this, finish, work] {
        // The bridge only closes on this thread, so it stays open while the work runs.
        if (!is_open())
            finish(false);
        else
            turn_(work, [finish] { finish(true); });
    });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return *finished || !open_; });
    return *ran;
}

void GuiBridge::pause_until(std::chrono::steady_clock::time_point when,
                            const std::function<bool()>& cut_short) {
    std::unique_lock<std::mutex> lock(mutex_);
    series_clock().wait_until(lock, changed_, when,
                              [this, &cut_short] { return !open_ || (cut_short && cut_short()); });
}

void GuiBridge::wake_pauses() {
    // Taken so that a pause between testing `cut_short` and waiting cannot miss the call.
    { std::lock_guard<std::mutex> lock(mutex_); }
    changed_.notify_all();
}
