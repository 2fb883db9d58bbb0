// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

// Keeps the machine from suspending or idling into sleep with logind's inhibitor lock, taken on
// the system bus (or the bus DBUS_SYSTEM_BUS_ADDRESS names). The lock lasts as long as the
// descriptor logind hands out stays open, so it also ends when the process dies.
//
// Use it from the thread that runs GLib's default main context, the GUI thread under wxGTK:
// hold() only starts the request, and the answer arrives there later, so the window never waits
// for the bus.
class SleepInhibitor {
  public:
    using Notice = std::function<void(const std::string& text)>;

    // notice gets the first reason sleep could not be held off, once: a machine without logind
    // would otherwise hear it at every series.
    explicit SleepInhibitor(Notice notice);
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // Does nothing while the lock is held or asked for.
    void hold();
    // Also drops a request still under way: its lock is let go as soon as it arrives.
    void release();

    bool held() const { return fd_ >= 0; }
    // An answer from the bus is still due.
    bool waiting() const { return request_ != nullptr; }

  private:
    struct Request;

    void refused(const std::string& text);

    Notice notice_;
    bool told_ = false;
    int fd_ = -1;
    Request* request_ = nullptr;
};
