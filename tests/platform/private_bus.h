// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/child_process.h"
#include "support/temp_dir.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Turns GLib's default main context, as the GUI thread's event loop does, until done().
bool turn_main_loop_until(const std::function<bool()>& done, std::chrono::milliseconds limit);

// A bus of its own from dbus-daemon, which the code under test sees as the system bus
// (DBUS_SYSTEM_BUS_ADDRESS, while the object lives).
class PrivateSystemBus {
  public:
    PrivateSystemBus();
    ~PrivateSystemBus();

    const std::string& address() const { return address_; }

  private:
    ChildProcess daemon_;
    std::string address_;
};

// The stand-in logind on that bus, and what it logged: "inhibit N what=... who=... why=...
// mode=..." for each call and "released N" when the caller's end closes.
class StandInLogind {
  public:
    StandInLogind(const PrivateSystemBus& bus, const TempDir& dir, int answer_delay_ms = 0);

    std::vector<std::string> lines() const;
    // Waits for the line, turning the main context meanwhile.
    bool logs(const std::string& line,
              std::chrono::milliseconds limit = std::chrono::seconds(5)) const;

  private:
    std::string log_;
    ChildProcess process_;
};
