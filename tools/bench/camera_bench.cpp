// SPDX-License-Identifier: GPL-3.0-or-later
// What a slow camera costs the person at the window: the time to a shown window and the
// configuration reads it takes, the longest stall of a 10 ms timer on the GUI thread during
// "Capture Image" and during a series, and the time from the click to the capture of a pass
// after one box was chosen, which writes every box. With --soak N it runs an N-pass series at
// interval 0 instead and prints resident memory, open files and threads at pass 500 and at the end.
// Prints one "name value" line per figure.
//
// It only uses what the window has always had (its controls, the parameter registry, the
// preview's gallery and the worker registry), so the same source builds against an older tree
// for a side-by-side run: tools/bench/camera-thread-bench does that. Run it under a display
// with CAMLIBS, IOLIBS and SIMCAM_SCENARIO set (the scenario must log its operations).
//
//   camera_bench SCENARIO-LOG [--soak N]

#include "bench_window.h"

#include "app/series_page.h"
#include "app/vantlow.h"
#include "camera/settings_page.h"
#include "capture/run_state.h"
#include "display/display.h"

#include <wx/init.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <mutex>
#include <string>

namespace {

struct Sample {
    bool taken = false;
    long rss = 0;
    long files = 0;
    long threads = 0;
};

Sample sample() {
    return {true, proc_status("VmRSS:"), open_files(), proc_status("Threads:")};
}

// Picks another choice in the first `count` parameter boxes, as the user would.
int change_settings(int count) {
    int changed = 0;
    for (size_t i = 0; i < parameterCombos.size() && changed < count; ++i) {
        wxComboBox* box = parameterCombos[i];
        if (box->GetCount() < 2)
            continue;
        box->SetValue(box->GetString(box->GetString(0) == box->GetValue() ? 1 : 0));
        ++changed;
    }
    settingsChanged = true;
    return changed;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: camera_bench SCENARIO-LOG [--soak N]\n");
        return 2;
    }
    const std::string log = argv[1];
    const int soakPasses = argc > 3 && std::string(argv[2]) == "--soak" ? std::atoi(argv[3]) : 0;
    const std::string dir = std::filesystem::temp_directory_path() / "vantlow-camera-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    wxEntryStart(argc, argv);
    // An older window asserts on a camera with many parameters; that must not stop the run.
    wxSetAssertHandler(nullptr);
    Console console;
    std::streambuf* terminal = std::cout.rdbuf(&console);
    std::ofstream(log, std::ios::trunc).flush();

    const Clock::time_point starting = Clock::now();
    wxGetApp().OnInit();
    auto* frame = static_cast<MyFrame*>(wxGetApp().GetTopWindow());
    pump_until([&] { return frame->IsShownOnScreen(); });
    const double startUp = ms_since(starting);
    const int reads = count_lines(log, "get_config");
    directoryPicker->SetPath(dir);
    wxSetWorkingDirectory(dir);
    StallMeter stalls;

    if (soakPasses > 0) {
        intervalText->SetValue("0");
        runtimeText->SetValue("0");
        maxFramesText->SetValue(std::to_string(soakPasses));
        Sample at500, atEnd;
        post_click(startButton);
        pump_until([] { return startButton->IsEnabled() == false; });
        // Both while the worker runs, so that it counts the same in either.
        pump_until([&] {
            if (!at500.taken && frameCount >= 500)
                at500 = sample();
            if (!atEnd.taken && frameCount >= soakPasses)
                atEnd = sample();
            return atEnd.taken && series_over();
        });
        std::cout.rdbuf(terminal);
        std::printf("soak-rss-kib %ld %ld\n", at500.rss, atEnd.rss);
        std::printf("soak-files %ld %ld\n", at500.files, atEnd.files);
        std::printf("soak-threads %ld %ld\n", at500.threads, atEnd.threads);
    } else {
        // Capture Image.
        framesText->SetValue("1");
        size_t shown = thumbnails.size();
        Clock::time_point pressed = Clock::now();
        stalls.begin();
        post_click(captureButton);
        pump_until([&] { return thumbnails.size() > shown; });
        const double captureStall = stalls.end();
        const double captureTime = ms_since(pressed);

        // A 5-pass series at interval 0.
        intervalText->SetValue("0");
        runtimeText->SetValue("0");
        maxFramesText->SetValue("5");
        stalls.begin();
        post_click(startButton);
        pump_until([] { return startButton->IsEnabled() == false; });
        pump_until(series_over);
        const double seriesStall = stalls.end();

        // One box chosen, then the capture.
        const int changed = change_settings(1);
        shown = thumbnails.size();
        console.watch_for("Capturing Image...");
        pressed = Clock::now();
        post_click(captureButton);
        pump_until([&] { return thumbnails.size() > shown; });
        Clock::time_point capturing;
        console.seen(&capturing);
        const double beforeCapture =
            std::chrono::duration<double, std::milli>(capturing - pressed).count();

        std::cout.rdbuf(terminal);
        std::printf("startup-ms %.0f\n", startUp);
        std::printf("startup-reads %d\n", reads);
        std::printf("capture-stall-ms %.0f\n", captureStall);
        std::printf("capture-pass-ms %.0f\n", captureTime);
        std::printf("series-stall-ms %.0f\n", seriesStall);
        std::printf("changed-settings %d\n", changed);
        std::printf("before-capture-ms %.0f\n", beforeCapture);
    }
    frame->Destroy();
    pump_until([&] { return wxTopLevelWindows.empty(); });
    std::filesystem::remove_all(dir);
    return 0;
}
