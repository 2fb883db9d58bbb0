// SPDX-License-Identifier: GPL-3.0-or-later
// How well a series keeps its time, in the real window against the simulated camera.
//
//   series_bench SCENARIO-LOG steady|pause INTERVAL PASSES CAPTURE-DELAY-MS
//     runs a series of PASSES passes and reads the capture times from the camera's log (the
//     scenario must log with times): a capture starts CAPTURE-DELAY-MS before its line. Prints
//     the mean period between capture starts, the largest lateness of a start after the grid
//     of INTERVAL laid through the earliest one, and the largest lateness_ms of the record.
//   series_bench SCENARIO-LOG --soak PASSES
//     runs a steady series at interval 1 s on a clock that skips its waits, and prints resident
//     memory, open files and threads at pass 100 and at the end.
//   series_bench SCENARIO-LOG --light PASSES follow|fixed [KEEP-DIR]
//     runs a steady series at interval 10 s on a clock that skips its waits, with the exposure
//     following the light or left as it is, and prints from the camera's log how far its
//     exposure missed the scene's light (scene EV - camera EV) and how far it moved between
//     frames, and from the record how near the measured brightness stayed to the target. The
//     pictures and the record are moved to KEEP-DIR when it is given.
//
// Prints one "name value..." line per figure. Run it under a display with CAMLIBS, IOLIBS and
// SIMCAM_SCENARIO set.

#include "bench_window.h"

#include "app/series_options_store.h"
#include "app/series_page.h"
#include "app/vantlow.h"
#include "capture/run_state.h"
#include "capture/series_clock.h"
#include "record/series_record.h"

#include <wx/init.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Sample {
    bool taken = false;
    long rss = 0, files = 0, threads = 0;
};

Sample sample() {
    return {true, proc_status("VmRSS:"), open_files(), proc_status("Threads:")};
}

// The real clocks, but a wait takes no time: it moves this clock on to its end instead. Passes
// take their real time, so a thousand passes at 1 s take what the passes take.
class SkippingClock : public SeriesClock {
  public:
    Steady::time_point now() override { return Steady::now() + skipped(); }
    Wall::time_point wall_now() override {
        return Wall::now() + std::chrono::duration_cast<Wall::duration>(skipped());
    }
    void wait_until(std::unique_lock<std::mutex>&, std::condition_variable&,
                    Steady::time_point when, const std::function<bool()>& wake) override {
        if (wake())
            return;
        const auto left = when - now();
        if (left > Steady::duration::zero()) {
            std::lock_guard<std::mutex> lock(mutex_);
            skipped_ += left;
        }
    }

  private:
    Steady::duration skipped() {
        std::lock_guard<std::mutex> lock(mutex_);
        return skipped_;
    }
    std::mutex mutex_;
    Steady::duration skipped_{};
};

// Capture lines of a log written with times: the camera's milliseconds of each.
std::vector<long> capture_times(const std::string& log) {
    std::vector<long> times;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        const auto tab = line.find('\t');
        if (tab != std::string::npos && line.compare(tab + 1, 8, "capture ") == 0)
            times.push_back(std::atol(line.c_str()));
    }
    return times;
}

void run_series(const SeriesOptions& options, long interval, long passes) {
    set_window_series_options(options);
    intervalText->SetValue(std::to_string(interval));
    runtimeText->SetValue("0");
    maxFramesText->SetValue(std::to_string(passes));
    framesText->SetValue("1");
    post_click(startButton);
    pump_until([] { return startButton->IsEnabled() == false; });
}

void timing(const std::string& log, const std::string& dir, Cadence cadence, long interval,
            long passes, long captureDelay) {
    SeriesOptions options;
    options.cadence = cadence;
    run_series(options, interval, passes);
    pump_until(series_over);

    std::vector<long> starts = capture_times(log);
    for (long& start : starts)
        start -= captureDelay;
    double period = 0, late = 0;
    if (starts.size() > 1)
        period = double(starts.back() - starts.front()) / double(starts.size() - 1);
    // Where slot 0 fell in the camera's time is not known: the grid is laid through the
    // earliest start, and each start is late by how far after its slot on that grid it fell.
    std::vector<double> offsets;
    for (std::size_t k = 0; k < starts.size(); ++k)
        offsets.push_back(double(starts[k]) - double(k) * interval * 1000.0);
    if (!offsets.empty())
        late = *std::max_element(offsets.begin(), offsets.end()) -
               *std::min_element(offsets.begin(), offsets.end());
    long recordLate = -1;
    for (const SeriesRecordRow& row : read_series_record(newest_series_record(dir)).rows)
        if (const std::string* field = row.field(record_column::latenessMs))
            recordLate = std::max(recordLate, std::atol(field->c_str()));
    std::printf("captures %zu\n", starts.size());
    std::printf("period-ms %.1f\n", period);
    std::printf("lateness-max-ms %.0f\n", late);
    std::printf("record-lateness-max-ms %ld\n", recordLate);
}

// The exposure error and the camera's EV of each capture in the log.
struct Exposure {
    double error, camera;
};

double field_of(const std::string& line, const std::string& name) {
    const auto at = line.find("\t" + name + "=");
    return at == std::string::npos ? NAN : std::atof(line.c_str() + at + name.size() + 2);
}

std::vector<Exposure> exposures(const std::string& log) {
    std::vector<Exposure> found;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (line.find("capture ") == std::string::npos || line.find("scene_ev=") == line.npos)
            continue;
        const double camera = field_of(line, "camera_ev");
        found.push_back({field_of(line, "scene_ev") - camera, camera});
    }
    return found;
}

void light(const std::string& log, const std::string& dir, long passes, bool follow) {
    SkippingClock clock;
    use_series_clock(&clock);
    SeriesOptions options;
    options.cadence = Cadence::Steady;
    options.followLight = follow;
    run_series(options, 10, passes);
    pump_until(series_over);
    use_series_clock(nullptr);

    const std::vector<Exposure> frames = exposures(log);
    long near = 0, firstBlack = 0;
    double largestStep = 0, largestError = 0;
    for (size_t k = 0; k < frames.size(); ++k) {
        const double error = frames[k].error;
        near += std::fabs(error) <= 1.0 / 3 + 0.005;
        largestError = std::max(largestError, std::fabs(error));
        // Four stops under mid-grey leave a picture all but black.
        if (!firstBlack && error < -4)
            firstBlack = static_cast<long>(k) + 1;
        if (k > 0)
            largestStep = std::max(largestStep, std::fabs(frames[k].camera - frames[k - 1].camera));
    }
    std::printf("captures %zu\n", frames.size());
    std::printf("within-third-percent %.1f\n",
                frames.empty() ? 0.0 : 100.0 * double(near) / double(frames.size()));
    std::printf("largest-error-ev %.2f\n", largestError);
    std::printf("largest-step-ev %.2f\n", largestStep);
    std::printf("first-black-frame %ld\n", firstBlack);
    long measured = 0, onTarget = 0;
    for (const SeriesRecordRow& row : read_series_record(newest_series_record(dir)).rows) {
        const std::string* brightness = row.field(record_column::brightnessEv);
        if (!brightness || brightness->empty())
            continue;
        ++measured;
        onTarget += std::fabs(std::atof(brightness->c_str())) <= 1.0 / 3;
    }
    // A series left as it is measures nothing.
    if (measured)
        std::printf("measured-within-third-percent %.1f\n",
                    100.0 * double(onTarget) / double(measured));
    else
        std::printf("measured-within-third-percent -\n");
}

void soak(long passes) {
    SkippingClock clock;
    use_series_clock(&clock);
    SeriesOptions options;
    options.cadence = Cadence::Steady;
    run_series(options, 1, passes);
    Sample at100, atEnd;
    // Both while the worker runs.
    pump_until([&] {
        if (!at100.taken && frameCount >= 100)
            at100 = sample();
        if (!atEnd.taken && frameCount >= passes)
            atEnd = sample();
        return atEnd.taken && series_over();
    });
    use_series_clock(nullptr);
    std::printf("soak-rss-kib %ld %ld\n", at100.rss, atEnd.rss);
    std::printf("soak-files %ld %ld\n", at100.files, atEnd.files);
    std::printf("soak-threads %ld %ld\n", at100.threads, atEnd.threads);
}

} // namespace

int main(int argc, char** argv) {
    const bool soaking = argc == 4 && std::string(argv[2]) == "--soak";
    const bool lighting = (argc == 5 || argc == 6) && std::string(argv[2]) == "--light";
    if (!soaking && !lighting && argc != 6) {
        std::fprintf(stderr,
                     "usage: series_bench SCENARIO-LOG steady|pause INTERVAL PASSES "
                     "CAPTURE-DELAY-MS\n       series_bench SCENARIO-LOG --soak PASSES\n"
                     "       series_bench SCENARIO-LOG --light PASSES follow|fixed [KEEP-DIR]\n");
        return 2;
    }
    const std::string log = argv[1];
    const std::string dir = std::filesystem::temp_directory_path() / "vantlow-series-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    Console console;
    std::streambuf* terminal = std::cout.rdbuf(&console);
    MyFrame* frame = start_program(argc, argv);
    directoryPicker->SetPath(dir);
    wxSetWorkingDirectory(dir);
    std::ofstream(log, std::ios::trunc).flush();

    if (soaking) {
        soak(std::atol(argv[3]));
    } else if (lighting) {
        light(log, dir, std::atol(argv[3]), std::string(argv[4]) == "follow");
    } else {
        const Cadence cadence = std::string(argv[2]) == "steady" ? Cadence::Steady : Cadence::Pause;
        timing(log, dir, cadence, std::atol(argv[3]), std::atol(argv[4]), std::atol(argv[5]));
    }
    std::cout.rdbuf(terminal);
    std::fflush(stdout);
    frame->Destroy();
    pump_until([&] { return wxTopLevelWindows.empty(); });
    if (lighting && argc == 6)
        std::filesystem::rename(dir, argv[5]);
    std::filesystem::remove_all(dir);
    return 0;
}
