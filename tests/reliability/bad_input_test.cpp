// SPDX-License-Identifier: GPL-3.0-or-later
// What the four series fields make of text that is no whole number, and a working folder that
// disappears while a series runs. Whatever is typed, the series ends normally, the field is
// reported on the console and no pause lasts longer than the interval the program settled on
// (which is printed): a bad interval must never sleep for years.
#include "reliability/picture_ledger.h"
#include "reliability/report_rows.h"
#include "reliability/window_actions.h"
#include "series/series_window.h"

#include "app/series_page.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

const int width = 160;
const int height = 120;
const char smallPictures[] = "picture jpeg 160 120";
const int seriesTimeoutMs = 60000;
// Time the worker takes to notice the end of a pause and report it, on a loaded machine.
const double pauseSlack = 1.0;

// The last is U+0663, ARABIC-INDIC DIGIT THREE.
const char* const inputs[] = {"",     " ",       "abc", "-5", "7x", "99999999999999999999",
                              "0x10", "\xd9\xa3"};

struct Field {
    const char* name;
    const char* error; // the console line for a field that is not a whole number
    // The other fields: each series ends after its first pass, whatever this field holds.
    const char* interval;
    const char* runtime;
    const char* maxFrames;
    const char* frames;
};

const Field fields[] = {
    {"Interval", "Error getting interval", nullptr, "0", "1", "1"},
    {"Frames", "Error getting frames/interval", "0", "-1", "0", nullptr},
    {"Runtime", "Error getting runtime", "0", nullptr, "1", "1"},
    {"MaxFrames", "Error getting max frames", "0", "-1", nullptr, "1"},
};

// A negative whole number is read as it is, and only the interval refuses it.
bool reported(const Field& field, const std::string& input) {
    return input != "-5" || std::string(field.name) == "Interval";
}

// The leading number of "7x" is kept; everything else gives 0.
int expected_interval(const Field& field, const std::string& input) {
    return std::string(field.name) == "Interval" && input == "7x" ? 7 : 0;
}

struct SeriesRun {
    std::string console;
    bool ended = false;
    int askedSeconds = -1; // what "Sleeping for N seconds" said
    double pausedSeconds = 0;
};

int asked_seconds(const std::string& console) {
    const std::string lead = "Sleeping for ";
    const auto at = console.find(lead);
    return at == std::string::npos ? -1 : std::atoi(console.c_str() + at + lead.size());
}

// Starts a series and times its first pause, from the "Sleeping for" text to the "done." after
// it.
SeriesRun run_series(const std::function<void()>& duringPause = [] {}) {
    SeriesRun run;
    StdoutCapture console;
    click(startButton);
    const std::string sleeping = "Sleeping for ";
    auto asleep = [&] { return console.text().find(sleeping) != std::string::npos; };
    if (pump_until([&] { return asleep() || workers() == 0; }, seriesTimeoutMs) && asleep()) {
        const Clock::time_point began = Clock::now();
        const auto at = console.text().find(sleeping);
        duringPause();
        pump_until(
            [&] {
                return console.text().find("done.\n", at) != std::string::npos || workers() == 0;
            },
            seriesTimeoutMs);
        run.pausedSeconds = std::chrono::duration<double>(Clock::now() - began).count();
    }
    run.ended = series_ended(seriesTimeoutMs);
    run.console = console.text();
    run.askedSeconds = asked_seconds(run.console);
    return run;
}

// The console lines a bad field can cause, or "(none)".
std::string reports(const std::string& console) {
    std::string found;
    std::istringstream lines(console);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Error getting", 0) == 0 || line.rfind("Couldn't write", 0) == 0)
            found += (found.empty() ? "" : " + ") + code_span(line);
    return found.empty() ? "(none)" : found;
}

// How the series ended: its stop lines, or "(by itself)".
std::string stop_lines(const std::string& console) {
    std::string found;
    std::istringstream lines(console);
    for (std::string line; std::getline(lines, line);)
        if (line.find("stopping capture") != std::string::npos)
            found += (found.empty() ? "" : " + ") + code_span(line);
    return found.empty() ? "(by itself)" : found;
}

void print_run(const std::string& field, const std::string& typed, const SeriesRun& run,
               int pictures) {
    print_row("bad-input",
              {field, typed, reports(run.console), std::to_string(pictures),
               std::to_string(run.askedSeconds) + " s", seconds_text(run.pausedSeconds),
               stop_lines(run.console), run.ended ? "ended, buttons back" : "DID NOT END"});
}

TEST(BadInput, EveryFieldTakesAnyTextAndTheSeriesEndsWithoutALongPause) {
    print_heading("bad-input", {"field", "typed", "console line", "pictures", "pause asked",
                                "pause measured", "how it ended", "series"});
    SeriesWindow w(smallPictures);
    for (const Field& field : fields) {
        for (const char* input : inputs) {
            SCOPED_TRACE(std::string(field.name) + " \"" + input + "\"");
            auto value = [&](const char* other) {
                return other ? wxString::FromUTF8(other) : wxString::FromUTF8(input);
            };
            w.settings(value(field.interval), value(field.runtime), value(field.maxFrames),
                       value(field.frames));
            const int before = w.camera.count("capture ");
            const SeriesRun run = run_series();
            const int pictures = w.camera.count("capture ") - before;
            print_run(field.name, code_span(input), run, pictures);

            ASSERT_TRUE(run.ended) << run.console;
            const std::string error = std::string(field.error) + "\n";
            EXPECT_EQ(occurrences(run.console, error), reported(field, input) ? 1 : 0)
                << run.console;
            EXPECT_EQ(run.askedSeconds, expected_interval(field, input)) << run.console;
            EXPECT_LE(run.pausedSeconds, run.askedSeconds + pauseSlack);
            EXPECT_EQ(pictures, std::string(field.name) == "Frames" ? 0 : 1);
        }
    }
    EXPECT_TRUE(w.log.errors().empty());
    EXPECT_TRUE(captureButton->IsEnabled()) << "the window still works";
}

TEST(BadInput, AWorkingFolderThatVanishesDuringASeriesLosesNoPicture) {
    SeriesWindow w(smallPictures);
    const std::string folder = w.pictures.file("shoot");
    std::filesystem::create_directory(folder);
    directoryPicker->SetPath(wxString::FromUTF8(folder));
    wxSetWorkingDirectory(wxString::FromUTF8(folder));
    w.settings("1", "0", "3");
    // Moved out of the way rather than deleted, so that the picture already in it still counts.
    const SeriesRun run =
        run_series([&] { std::filesystem::rename(folder, w.pictures.file("moved away")); });
    directoryPicker->SetPath(wxString::FromUTF8(w.pictures.path()));
    wxSetWorkingDirectory(wxString::FromUTF8(w.pictures.path()));
    const PictureCount count = count_pictures(w.camera, w.pictures.path(), width, height);
    print_run("Working directory", "moved away during the first pause", run, count.captured);
    print_figure("pictures-lost", count.lost);

    ASSERT_TRUE(run.ended) << run.console;
    for (const char* name : {"IMG_0002.JPG", "IMG_0003.JPG"})
        EXPECT_EQ(occurrences(run.console, "Couldn't write file " + folder + "/" + name +
                                               " - check path/permissions/disk space.\n"),
                  1)
            << run.console;
    EXPECT_LE(run.pausedSeconds, run.askedSeconds + pauseSlack);
    EXPECT_EQ(count.captured, 3);
    EXPECT_EQ(count.onDisk, 1);
    EXPECT_EQ(count.onCamera, 2) << "pictures that could not be written stay on the camera";
    EXPECT_EQ(count.lost, 0);
    EXPECT_EQ(count.strays, 0);
    EXPECT_NE(capture_once().find("Written file " + w.pictures.file("IMG_0004.JPG")),
              std::string::npos)
        << "capturing into a folder that exists works again";
}

} // namespace
