// SPDX-License-Identifier: GPL-3.0-or-later
// How long the simulated camera takes to make its pictures, beside the time the camera's
// transfer of the same bytes is to take, and how many live view frames one core makes a second.
// Usage: simcam_picture_bench [grain] [bytes-per-second]

#include "picture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Processor time rather than wall time: the machine may be shared.
double cpu_milliseconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void picture_row(const char* label, int grain, double rate) {
    simcam::PictureKind kind;
    kind.width = 6000;
    kind.height = 4000;
    kind.grain = grain;
    std::vector<double> times;
    size_t bytes = 0;
    for (int frame = 1; frame <= 5; ++frame) {
        const double start = cpu_milliseconds();
        bytes = simcam::make_picture(frame, kind).size();
        times.push_back(cpu_milliseconds() - start);
    }
    std::printf("| %-30s | %10.1f | %8.0f | %12.1f |\n", label, bytes / 1e6, median(times),
                bytes * 1000.0 / rate);
}

} // namespace

int main(int argc, char** argv) {
    const int grain = argc > 1 ? std::atoi(argv[1]) : 10;
    const double rate = argc > 2 ? std::atof(argv[2]) : 30e6;

    std::printf("6000 x 4000 JPEG, median of 5 frames, processor time to make it beside the time "
                "its transfer at %.0f bytes/s takes\n\n",
                rate);
    std::printf("| %-30s | %10s | %8s | %12s |\n", "picture", "size MB", "make ms", "transfer ms");
    std::printf("|%s|%s|%s|%s|\n", std::string(32, '-').c_str(), std::string(12, '-').c_str(),
                std::string(10, '-').c_str(), std::string(14, '-').c_str());
    picture_row("digits, no grain", 0, rate);
    char label[64];
    std::snprintf(label, sizeof label, "digits, grain %d", grain);
    picture_row(label, grain, rate);

    const int frames = 150;
    const double start = cpu_milliseconds();
    size_t bytes = 0;
    for (int frame = 1; frame <= frames; ++frame)
        bytes += simcam::make_preview(frame, 1024, 680).size();
    const double each = (cpu_milliseconds() - start) / frames;
    std::printf("\nlive view, 1024 x 680: %.2f ms of processor time a frame (%.0f KB), %.0f "
                "frames/s on one core; "
                "at 30 frames/s that is %.0f %% of a core\n",
                each, bytes / 1024.0 / frames, 1000.0 / each, each * 30 / 10);
}
