// SPDX-License-Identifier: GPL-3.0-or-later
// Times show_captured_image against decoding the whole picture with wxImage::LoadFile, on a
// camera-sized JPEG, and measures the memory each adds at its peak. Needs a display (wxBitmap):
// run it with scripts/with-display. Exits 1 when the fast path misses its goal.

#include "display/display.h"

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/stopwatch.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const double maxTimeRatio = 0.55;
const double maxAddedMiB = 10.0;

using Loader = std::function<void(const wxString&)>;

void plain_path(const wxString& fileName) {
    wxImage image;
    if (image.LoadFile(fileName, wxBITMAP_TYPE_ANY, -1))
        show_preview_images(scale_for_preview(image));
}

// Smooth gradients with sensor-like noise, so the file is as big as a real camera's.
void write_picture(const std::string& path, int width, int height) {
    wxImage picture(width, height, false);
    std::minstd_rand noise(1);
    unsigned char* p = picture.GetData();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const double base[3] = {128 + 90 * std::sin(6.0 * u), 60 + 150 * v,
                                    128 + 90 * std::cos(5.0 * (u + v))};
            for (double b : base)
                *p++ =
                    static_cast<unsigned char>(std::clamp(b + int(noise() % 41) - 20, 0.0, 255.0));
        }
    }
    picture.SetOption(wxIMAGE_OPTION_QUALITY, 90);
    if (!picture.SaveFile(path, wxBITMAP_TYPE_JPEG)) {
        std::cerr << "cannot write " << path << "\n";
        std::exit(2);
    }
}

double median_ms(const Loader& load, const wxString& fileName, int rounds) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        wxStopWatch watch;
        load(fileName);
        times.push_back(watch.TimeInMicro().ToDouble() / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

long status_kib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stol(line.substr(prefix.size()));
    return -1;
}

// Runs the loader in a child, once on a small picture so code and lazy set-up are paged in,
// then on the big one, and reports how far the peak resident size rose above where it was.
double added_peak_mib(const Loader& load, const wxString& warmUp, const wxString& fileName) {
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        load(warmUp);
        long added = -1;
        std::ofstream clearRefs("/proc/self/clear_refs");
        if (clearRefs << "5" << std::flush) {
            const long before = status_kib("VmRSS");
            load(fileName);
            added = status_kib("VmHWM") - before;
        }
        if (write(channel[1], &added, sizeof added) != sizeof added)
            _exit(1);
        _exit(0);
    }
    close(channel[1]);
    long added = -1;
    if (read(channel[0], &added, sizeof added) != sizeof added)
        added = -1;
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return added < 0 ? -1 : added / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv)) {
        std::cerr << "cannot start the toolkit (no display? use scripts/with-display)\n";
        return 2;
    }
    wxImage::AddHandler(new wxJPEGHandler);

    char folder[] = "/tmp/display-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        std::cerr << "cannot make a temporary folder\n";
        return 2;
    }
    const std::string big = std::string(folder) + "/big.jpg";
    const std::string small = std::string(folder) + "/small.jpg";
    write_picture(big, 6000, 4000);
    write_picture(small, 64, 48);

    const Loader fast = [](const wxString& name) { show_captured_image(name); };
    const double fastPeak = added_peak_mib(fast, small, big);
    const double plainPeak = added_peak_mib(plain_path, small, big);
    // One untimed run each, so that neither pays for first-time set-up.
    fast(big);
    plain_path(big);
    const double fastMs = median_ms(fast, big, rounds);
    const double plainMs = median_ms(plain_path, big, rounds);
    const double ratio = fastMs / plainMs;

    std::printf("picture: 6000 x 4000 JPEG, %.1f MB; median of %d rounds\n",
                std::filesystem::file_size(big) / 1e6, rounds);
    std::printf("show_captured_image: %7.1f ms, peak memory added %6.1f MiB\n", fastMs, fastPeak);
    std::printf("plain path:          %7.1f ms, peak memory added %6.1f MiB\n", plainMs, plainPeak);
    const bool timeMet = ratio <= maxTimeRatio;
    const bool memoryMet = fastPeak >= 0 && fastPeak < maxAddedMiB;
    std::printf("time ratio %.2f (goal <= %.2f): %s; memory (goal < %.0f MiB): %s\n", ratio,
                maxTimeRatio, timeMet ? "met" : "MISSED", maxAddedMiB,
                memoryMet ? "met" : "MISSED");

    std::filesystem::remove_all(folder);
    previewBitmap = wxBitmap();
    thumbnails.clear();
    wxEntryCleanup();
    return timeMet && memoryMet ? 0 : 1;
}
