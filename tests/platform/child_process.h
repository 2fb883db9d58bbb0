// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// A program the test starts, with its standard output on a pipe. Killed (SIGTERM) and reaped
// when the object goes, unless it has been killed already.
class ChildProcess {
  public:
    // env: NAME=VALUE entries added to, or replacing, the test's own environment.
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line it writes, without its end; empty if none comes within the time.
    std::string read_line(std::chrono::milliseconds limit);
    void kill_with(int signal);

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffered_;
};
