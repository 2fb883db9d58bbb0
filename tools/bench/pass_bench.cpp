// How long the window is frozen by one "Capture Image" pass: capture, download, save, delete
// and the new preview, against the simulated camera at a given picture size. The simulated
// camera makes each picture as it is downloaded, much as a real one sends it over USB.
// Run with scripts/with-display and CAMLIBS and IOLIBS set: pass_bench [width height [passes]].

#include "app/series_page.h"
#include "app/vantlow.h"

#include <wx/init.h>
#include <wx/stopwatch.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

long resident_kib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int width = argc > 2 ? std::atoi(argv[1]) : 6000;
    int height = argc > 2 ? std::atoi(argv[2]) : 4000;
    int passes = argc > 3 ? std::atoi(argv[3]) : 15;

    std::string dir = std::filesystem::temp_directory_path() / "vantlow-pass-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string scenario = dir + "/bench.scenario";
    std::ofstream(scenario) << "picture jpeg " << width << " " << height << "\n";
    setenv("SIMCAM_SCENARIO", scenario.c_str(), 1);

    wxEntryStart(argc, argv);
    std::streambuf* console = std::cout.rdbuf(nullptr); // the pass's console lines
    wxGetApp().OnInit();
    directoryPicker->SetPath(dir);
    wxSetWorkingDirectory(dir);

    std::vector<long> times;
    long rssAfterFirst = 0;
    for (int i = 0; i < passes; ++i) {
        wxStopWatch watch;
        static_cast<MyFrame*>(wxGetApp().GetTopWindow())->CaptureImage();
        times.push_back(watch.Time());
        wxTheApp->Yield(true);
        if (i == 0)
            rssAfterFirst = resident_kib();
    }
    long rssAfterLast = resident_kib();
    std::cout.rdbuf(console);

    std::sort(times.begin(), times.end());
    std::printf("picture %d x %d, %d passes: window frozen per pass median %ld ms (min %ld, max "
                "%ld); resident memory after pass 1: %ld KiB, after pass %d: %ld KiB\n",
                width, height, passes, times[times.size() / 2], times.front(), times.back(),
                rssAfterFirst, passes, rssAfterLast);
    wxGetApp().GetTopWindow()->Destroy();
    std::filesystem::remove_all(dir);
    return 0;
}
