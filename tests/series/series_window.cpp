// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/series_window.h"

#include "app/command_turns.h"
#include "app/series_page.h"
#include "app/vantlow.h"

#include <cstdio>
#include <gtest/gtest.h>

const char startUp[] = "Detecting Camera.\n\nCamera initialised.\n\n\n";
const char stopping[] = "\nStopping capture.\n\n";
const Buttons idle{true, true, false};

namespace {

// No parameter rows, so the console shows only the series; small pictures keep passes quick.
const char baseScenario[] = "config \"Camera Configuration\"\nend\npicture jpeg 64 48\n";

} // namespace

SeriesWindow::SeriesWindow(const std::string& scenario)
    : camera(baseScenario + scenario), previousDirectory_(wxGetCwd()) {
    frame.emplace();
    directoryPicker->SetPath(pictures.path());
    wxSetWorkingDirectory(pictures.path());
}

SeriesWindow::~SeriesWindow() {
    if (frame && workers() != 0) {
        ADD_FAILURE() << "the test left a worker running";
        click(stopButton);
        pump_until([] { return workers() == 0; }, 10000);
    }
    frame.reset();
    wxSetWorkingDirectory(previousDirectory_);
}

void SeriesWindow::settings(const wxString& interval, const wxString& runtime,
                            const wxString& maxFrames, const wxString& frames) {
    intervalText->SetValue(interval);
    runtimeText->SetValue(runtime);
    maxFramesText->SetValue(maxFrames);
    framesText->SetValue(frames);
}

namespace {

// The lines of a pass that captures, writes and deletes one picture; a series numbers it.
std::string pass_lines(const TempDir& pictures, int picture, const std::string& number) {
    char name[16];
    std::snprintf(name, sizeof name, "IMG_%04d.JPG", picture);
    return std::string("Capturing Image...\n") + "New file is in location /DCIM/100SIMCM/" + name +
           " on the camera.\n" + "Written file " + number + pictures.file(name) + "\n" + "File " +
           name + " deleted from camera.\n\n";
}

} // namespace

std::string SeriesWindow::pass(int picture, int count) const {
    return pass_lines(pictures, picture, std::to_string(count) + ": ");
}

std::string SeriesWindow::single(int picture) const {
    return pass_lines(pictures, picture, "");
}

bool SeriesWindow::console_ends_with(const std::string& tail, int timeout_ms) const {
    // What the camera printed shows in the window once its job's result is applied.
    return pump_until(
        [&] { return ends_with(console.text(), tail) && !command_turns().camera_busy(); },
        timeout_ms);
}

std::ostream& operator<<(std::ostream& out, const Buttons& b) {
    return out << "capture " << b.capture << ", start " << b.start << ", stop " << b.stop;
}

Buttons buttons() {
    return {captureButton->IsEnabled(), startButton->IsEnabled(), stopButton->IsEnabled()};
}

std::size_t workers() {
    MyApp& app = wxGetApp();
    wxMutexLocker lock(app.workerLock);
    return app.workerThreads.size();
}

bool series_ended(int timeout_ms) {
    return pump_until([] { return workers() == 0 && buttons() == idle; }, timeout_ms);
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int occurrences(const std::string& text, const std::string& part) {
    int found = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}
