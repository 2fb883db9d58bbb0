// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/private_bus.h"

#include <algorithm>
#include <cstdlib>
#include <glib.h>
#include <sstream>
#include <stdexcept>

using namespace std::chrono_literals;

bool turn_main_loop_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(2000);
    }
    return true;
}

PrivateSystemBus::PrivateSystemBus()
    : daemon_({DBUS_DAEMON, "--session", "--nofork", "--print-address"}) {
    address_ = daemon_.read_line(10s);
    if (address_.empty())
        throw std::runtime_error("dbus-daemon gave no address");
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSystemBus::~PrivateSystemBus() {
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

StandInLogind::StandInLogind(const PrivateSystemBus& bus, const TempDir& dir, int answer_delay_ms)
    : log_(dir.file("login1.log")),
      process_({LOGIN1_STANDIN, bus.address(), log_, std::to_string(answer_delay_ms)}) {
    if (process_.read_line(10s) != "ready")
        throw std::runtime_error("the stand-in logind did not take its name");
}

std::vector<std::string> StandInLogind::lines() const {
    std::istringstream in(read_file(log_));
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

bool StandInLogind::logs(const std::string& line, std::chrono::milliseconds limit) const {
    return turn_main_loop_until(
        [&] {
            const auto all = lines();
            return std::find(all.begin(), all.end(), line) != all.end();
        },
        limit);
}
