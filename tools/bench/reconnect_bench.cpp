// SPDX-License-Identifier: GPL-3.0-or-later
// A series told to wait for a lost camera, in the real window over the simulated camera: one
// picture every 2 s, 30 in all, and the camera off the cable for 20 s at the 10th capture.
// Prints a table: the pictures the camera took and those written (none may be lost), and the
// time from the camera's return to its reopening and to the next capture, whose goal is the
// 2 s between tries plus one interval. Run it under a display with CAMLIBS and IOLIBS set.
//
//   reconnect_bench

#include "bench_window.h"

#include "app/series_options_store.h"
#include "app/series_page.h"
#include "app/vantlow.h"

#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 30;
constexpr int kVanishAt = 10;
constexpr long kAwayMs = 20000;

struct Op {
    long ms; // the camera's own clock
    std::string what;
};

std::vector<Op> read_ops(const std::string& log) {
    std::vector<Op> ops;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        const auto tab = line.find('\t');
        if (tab != std::string::npos)
            ops.push_back({std::atol(line.c_str()), line.substr(tab + 1)});
    }
    return ops;
}

bool starts(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / "vantlow-reconnect-bench";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work / "pictures");
    const std::string log = (work / "ops.log").string();
    const std::string scenario = (work / "bench.scenario").string();
    std::ofstream(scenario) << "config \"Camera Configuration\"\n"
                               "  text serialnumber \"Serial Number\" value=\"SN-BENCH\"\nend\n"
                               "picture jpeg 1500 1000\n"
                            << "capture-vanish " << kVanishAt << " " << kAwayMs << "\n"
                            << "log-times yes\nlog " << log << "\n";
    setenv("SIMCAM_SCENARIO", scenario.c_str(), 1);

    Console console;
    std::streambuf* terminal = std::cout.rdbuf(&console);
    MyFrame* frame = start_program(argc, argv);
    const std::string dir = (work / "pictures").string();
    directoryPicker->SetPath(dir);
    wxSetWorkingDirectory(dir);
    SeriesOptions options = window_series_options();
    options.onCameraLost = CameraLost::Reconnect;
    set_window_series_options(options);
    intervalText->SetValue("2");
    runtimeText->SetValue("0");
    maxFramesText->SetValue(std::to_string(kFrames));
    framesText->SetValue("1");

    const Clock::time_point started = Clock::now();
    post_click(startButton);
    pump_until([] { return !startButton->IsEnabled(); });
    pump_until(series_over);
    const double seriesMs = ms_since(started);
    std::cout.rdbuf(terminal);

    // The camera's log tells when it went, when it was opened again and when it captured.
    const std::vector<Op> ops = read_ops(log);
    long vanished = -1, reopened = -1, nextCapture = -1;
    int taken = 0;
    for (const Op& op : ops) {
        if (starts(op.what, "capture /") || starts(op.what, "capture failed -7 /"))
            ++taken;
        if (vanished < 0 && starts(op.what, "capture failed -7"))
            vanished = op.ms;
        else if (vanished >= 0 && reopened < 0 && op.what == "init")
            reopened = op.ms;
        else if (reopened >= 0 && nextCapture < 0 && starts(op.what, "capture /"))
            nextCapture = op.ms;
    }
    int written = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        written += starts(entry.path().filename().string(), "IMG_");
    const long back = vanished + kAwayMs;

    std::printf("%-44s %10s %10s\n", "interval 2 s, 30 frames, away 20 s at 10", "measured",
                "goal");
    std::printf("%-44s %10d %10s\n", "pictures taken by the camera", taken, "30");
    std::printf("%-44s %10d %10s\n", "pictures written", written, "30");
    std::printf("%-44s %10d %10s\n", "pictures lost", taken - written, "0");
    std::printf("%-44s %10ld %10s\n", "camera back -> reopened (ms)", reopened - back, "<= 2000");
    std::printf("%-44s %10ld %10s\n", "camera back -> next capture (ms)", nextCapture - back,
                "<= 4000");
    std::printf("%-44s %10.0f %10s\n", "whole series (ms)", seriesMs, "");

    frame->Destroy();
    pump_until([&] { return wxTopLevelWindows.empty(); });
    std::filesystem::remove_all(work);
    return 0;
}
