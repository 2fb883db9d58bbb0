// SPDX-License-Identifier: GPL-3.0-or-later
#include "op_log.h"

#include <cstdio>

namespace simcam {

void log_operation(const std::string& path, const std::string& line) {
    if (path.empty())
        return;
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (!file) {
        std::fprintf(stderr, "simcam: cannot append to log %s\n", path.c_str());
        return;
    }
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
}

} // namespace simcam
