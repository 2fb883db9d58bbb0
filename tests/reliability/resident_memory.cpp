// SPDX-License-Identifier: GPL-3.0-or-later
#include "reliability/resident_memory.h"

#include <fstream>
#include <string>

long resident_kib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::stol(line.substr(6));
    return -1;
}
