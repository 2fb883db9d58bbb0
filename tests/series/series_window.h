// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/gui_harness.h"
#include "support/simcam_scenario.h"
#include "support/temp_dir.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <wx/string.h>

// What the window prints when it opens on a camera without parameters.
extern const char startUp[];
extern const char stopping[];

// The main window over a simulated camera with small pictures and no parameters, its console
// recorded from start-up and its pictures written to a folder of the test's own.
class SeriesWindow {
  public:
    // Lines for the camera's scenario, on top of the small pictures.
    explicit SeriesWindow(const std::string& scenario = "");
    // A worker still running is a failure of the test; it is stopped and waited for, so that
    // no worker outlives the window.
    ~SeriesWindow();
    SeriesWindow(const SeriesWindow&) = delete;
    SeriesWindow& operator=(const SeriesWindow&) = delete;

    void settings(const wxString& interval, const wxString& runtime, const wxString& maxFrames,
                  const wxString& frames = "1");

    // The console lines of a pass that captures one picture (the camera's number) and
    // retrieves, writes and deletes it while the series has counted `count` frames.
    std::string pass(int picture, int count) const;
    // The same for a pass of "Capture Image" outside a series.
    std::string single(int picture) const;

    // Pumps events until the console's last text is `tail` and the camera is idle.
    bool console_ends_with(const std::string& tail, int timeout_ms) const;

    SimcamScenario camera;
    TempDir pictures;
    StdoutCapture console;
    LogCapture log;
    std::optional<FrameUnderTest> frame;

  private:
    wxString previousDirectory_;
};

struct Buttons {
    bool capture, start, stop;
    bool operator==(const Buttons& o) const {
        return capture == o.capture && start == o.start && stop == o.stop;
    }
};
std::ostream& operator<<(std::ostream& out, const Buttons& b);
Buttons buttons();
extern const Buttons idle; // no series: Capture Image and Start on, Stop off

// Workers in the application's registry.
std::size_t workers();

// Pumps events until the series has ended: no worker left and the buttons back to idle.
bool series_ended(int timeout_ms);

bool ends_with(const std::string& text, const std::string& tail);
int occurrences(const std::string& text, const std::string& part);
