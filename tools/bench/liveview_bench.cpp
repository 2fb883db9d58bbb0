// SPDX-License-Identifier: GPL-3.0-or-later
// What live view delivers and costs with the simulated camera's 1024 x 680 frames: frames shown
// against frames the camera delivered at 10, 20 and 30 a second; at 30 a second the longest
// stall of a 10 ms timer on the GUI thread and the processor time of the whole process over
// wall time (the simulated camera, which makes its frames inside the process, told apart),
// beside the same with every big buffer mapped afresh, as during a series; and the time from
// Start to the first pass's "Capturing Image..." with live view running and without. Prints a
// Markdown table. Run it under a display with CAMLIBS and IOLIBS set, as
// tools/bench/liveview-bench does.
//
//   liveview_bench WORK-FOLDER [SECONDS-A-ROW]

#include "bench_window.h"
#include "picture.h"

#include "app/heap_policy.h"
#include "app/live_view_page.h"
#include "app/series_page.h"
#include "app/vantlow.h"

#include <wx/init.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

const int livePageIndex = 3;
const int detectCameraId = 30;
const int trials = 30;

// The simulated camera's scenario, rewritten for each pace, and its operation log.
struct SimulatedCamera {
    std::string scenario;
    std::string log;

    void write(int frameMs) const {
        std::ofstream(scenario, std::ios::trunc)
            << "single-config yes\npreview-size 1024 680\npreview-delay-ms " << frameMs
            << "\npicture jpeg 640 426\n"
               "config \"Camera and Driver Configuration\"\n"
               "  section actions \"Camera Actions\"\n"
               "    toggle viewfinder \"Viewfinder\" value=0\n"
               "  end\n"
               "end\n"
               "log "
            << log << "\n";
    }
    int frames() const { return count_lines(log, "capture_preview"); }
};

double process_cpu_seconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double thread_cpu_ms() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// A frame counts as shown once a paint of the page has drawn it.
class ShownFrames {
  public:
    explicit ShownFrames(LiveViewPage* page) : page_(page) {
        page->Bind(wxEVT_PAINT, &ShownFrames::painted, this);
    }
    long count = 0;

  private:
    void painted(wxPaintEvent& event) {
        // Holding the last one keeps its data alive, so a new frame never reuses its address.
        const wxGraphicsBitmap& shown = page_->canvas().frame_bitmap();
        if (!shown.IsNull() && !shown.IsSameAs(last_)) {
            ++count;
            last_ = shown;
        }
        event.Skip();
    }
    LiveViewPage* page_;
    wxGraphicsBitmap last_;
};

struct Rates {
    double delivered; // frames a second
    double shown;
    double cpuPercent;
};

// Measured without a timer of our own: each of its ticks would repaint the whole window.
Rates measure_frames(const SimulatedCamera& camera, const ShownFrames& shown, double seconds) {
    const int frames = camera.frames();
    const long painted = shown.count;
    const double cpu = process_cpu_seconds();
    const Clock::time_point start = Clock::now();
    pump_until([&] { return ms_since(start) >= seconds * 1000; });
    const double elapsed = ms_since(start) / 1000;
    return {(camera.frames() - frames) / elapsed, (shown.count - painted) / elapsed,
            (process_cpu_seconds() - cpu) / elapsed * 100};
}

double longest_stall_ms(double seconds) {
    StallMeter stalls;
    const Clock::time_point start = Clock::now();
    stalls.begin();
    pump_until([&] { return ms_since(start) >= seconds * 1000; });
    return stalls.end();
}

// Until no frame has come for a while.
void wait_for_frames_to_stop(const SimulatedCamera& camera) {
    int last = -1;
    while (camera.frames() != last) {
        last = camera.frames();
        const Clock::time_point since = Clock::now();
        pump_until([&] { return ms_since(since) >= 300; });
    }
}

void wait_for_frames(const SimulatedCamera& camera, int more) {
    const int target = camera.frames() + more;
    pump_until([&] { return camera.frames() >= target; });
}

// The camera opened afresh, which makes it read the scenario again.
void set_pace(MyFrame* frame, const SimulatedCamera& camera, int frameMs) {
    frame->notebook->SetSelection(0);
    wait_for_frames_to_stop(camera);
    camera.write(frameMs);
    const int opened = count_lines(camera.log, "init");
    wxCommandEvent detect(wxEVT_MENU, detectCameraId);
    frame->ProcessWindowEvent(detect);
    pump_until([&] { return count_lines(camera.log, "init") > opened; });
    frame->notebook->SetSelection(livePageIndex);
    wait_for_frames(camera, 10);
}

double start_to_capture_ms(Console& console) {
    console.watch_for("Capturing Image...");
    const Clock::time_point pressed = Clock::now();
    post_click(startButton);
    Clock::time_point capturing;
    pump_until([&] { return console.seen(&capturing); });
    pump_until(series_over);
    return std::chrono::duration<double, std::milli>(capturing - pressed).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double simulated_frame_cpu_ms() {
    const int frames = 60;
    const double start = thread_cpu_ms();
    for (int frame = 1; frame <= frames; ++frame)
        simcam::make_preview(frame, 1024, 680);
    return (thread_cpu_ms() - start) / frames;
}

std::string load_average() {
    std::ifstream in("/proc/loadavg");
    std::string one;
    in >> one;
    return one;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: liveview_bench WORK-FOLDER [SECONDS-A-ROW]\n");
        return 2;
    }
    const std::filesystem::path work = argv[1];
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10;
    const std::filesystem::path pictures = work / "pictures";
    std::filesystem::create_directories(pictures);
    const SimulatedCamera camera{(work / "live.scenario").string(), (work / "ops.log").string()};
    camera.write(33);
    setenv("SIMCAM_SCENARIO", camera.scenario.c_str(), 1);
    const std::string loadAtStart = load_average();

    Console console;
    std::streambuf* terminal = std::cout.rdbuf(&console);
    MyFrame* frame = start_program(argc, argv);
    directoryPicker->SetPath(pictures.string());
    wxSetWorkingDirectory(pictures.string());
    ShownFrames shown(find_live_view_page(frame->notebook));

    std::vector<std::pair<int, Rates>> paces;
    for (int frameMs : {100, 50, 33}) {
        set_pace(frame, camera, frameMs);
        paces.push_back({frameMs, measure_frames(camera, shown, seconds)});
    }
    const double liveStallMs = longest_stall_ms(seconds);
    // The same pace with the heap as a series keeps it: every big buffer mapped afresh.
    map_big_buffers();
    const Rates mapped = measure_frames(camera, shown, seconds);
    reuse_big_buffers();
    // The machine's own stalls, without live view.
    frame->notebook->SetSelection(0);
    wait_for_frames_to_stop(camera);
    const double idleStallMs = longest_stall_ms(seconds);
    const double cameraFrameMs = simulated_frame_cpu_ms();

    // Start, on the Timelapse Settings page and with live view running.
    intervalText->SetValue("0");
    runtimeText->SetValue("0");
    maxFramesText->SetValue("1");
    framesText->SetValue("1");
    std::vector<double> withLiveView, without;
    // Clicks at any moment of a frame, not just as one begins.
    std::mt19937 random(1);
    std::uniform_int_distribution<int> phaseMs(0, 40);
    for (int trial = 0; trial < trials; ++trial) {
        frame->notebook->SetSelection(livePageIndex);
        wait_for_frames(camera, 3);
        const Clock::time_point arrived = Clock::now();
        const int phase = phaseMs(random);
        pump_until([&] { return ms_since(arrived) >= phase; });
        withLiveView.push_back(start_to_capture_ms(console));
        frame->notebook->SetSelection(0);
        wait_for_frames_to_stop(camera);
        without.push_back(start_to_capture_ms(console));
    }
    frame->Destroy();
    pump_until([&] { return wxTopLevelWindows.empty(); });
    std::cout.rdbuf(terminal);

    const Rates& fastest = paces.back().second;
    const double frameMs = 1000 / fastest.delivered;
    std::printf("Live view of the simulated camera's 1024 x 680 frames, %.0f s a row; load average "
                "%s at the start\n\n",
                seconds, loadAtStart.c_str());
    std::printf("| figure | goal | measured |\n|---|---|---|\n");
    for (const auto& [pace, row] : paces)
        std::printf("| frames shown against frames the camera delivered, camera at %d/s | >= 95 %% "
                    "| %.1f/s of %.1f/s: %.1f %% |\n",
                    1000 / pace, row.shown, row.delivered, 100 * row.shown / row.delivered);
    std::printf("| frames shown against the camera's pace of 30/s | | %.1f/s: %.0f %% |\n",
                fastest.shown, 100 * fastest.shown / 30);
    std::printf("| longest gap of a 10 ms GUI timer, live view at 30/s | <= 20 ms | %.1f ms |\n",
                liveStallMs);
    std::printf("| the same without live view (the machine's own stalls) | | %.1f ms |\n",
                idleStallMs);
    std::printf("| processor time over wall time, live view at 30/s | <= 30 %% of a core | %.1f %% "
                "(%.1f %% of it the simulated camera making %.1f frames/s at %.2f ms each) |\n",
                fastest.cpuPercent, cameraFrameMs * fastest.delivered / 10, fastest.delivered,
                cameraFrameMs);
    std::printf("| the same with every big buffer mapped afresh, as in a series | | %.1f %% at "
                "%.1f frames/s shown |\n",
                mapped.cpuPercent, mapped.shown);
    std::printf("| Start to the pass's first line, no live view (%d runs) | | median %.1f ms, "
                "longest %.1f ms |\n",
                trials, median(without), *std::max_element(without.begin(), without.end()));
    std::printf("| Start to the pass's first line, live view at 30/s (%d runs) | | median %.1f "
                "ms, longest %.1f ms |\n",
                trials, median(withLiveView),
                *std::max_element(withLiveView.begin(), withLiveView.end()));
    std::printf("| delay live view adds before a series pass: median, and longest against the "
                "median without | <= one frame (%.1f ms at 30/s) | %.1f ms, %.1f ms |\n",
                frameMs, median(withLiveView) - median(without),
                *std::max_element(withLiveView.begin(), withLiveView.end()) - median(without));
    return 0;
}
