// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window benchmarks measure with: the console's timing, stalls of the GUI thread, and
// the window driven through its own event loop.

#include <wx/button.h>
#include <wx/timer.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <streambuf>
#include <string>

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start);

// The console, with the moment a text first appeared in it.
class Console : public std::streambuf {
  public:
    void watch_for(const std::string& text);
    bool seen(Clock::time_point* when) const;

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

  private:
    mutable std::mutex mutex_;
    std::string text_;
    std::string watched_;
    size_t from_ = 0;
    bool seen_ = false;
    Clock::time_point seenAt_;
};

// The longest time between two ticks of a 10 ms timer on the GUI thread.
class StallMeter : public wxTimer {
  public:
    void begin();
    double end();
    void Notify() override;

  private:
    Clock::time_point last_;
    double longest_ = 0;
};

void pump_until(const std::function<bool()>& done);
class MyFrame;
// Starts the toolkit and the program as main would, and waits until its window is on screen.
MyFrame* start_program(int argc, char** argv);
// A click as the toolkit delivers it: through the event loop, not by a direct call.
void post_click(wxButton* button);
// Lines of the file that start with the prefix.
int count_lines(const std::string& file, const std::string& prefix);
// Workers in the application's registry.
size_t workers();
// No worker left, and Capture Image and Start enabled again.
bool series_over();
// A figure of /proc/self/status, such as "VmRSS:" (kB) or "Threads:"; -1 when it is missing.
long proc_status(const char* key);
// Descriptors the process holds open.
long open_files();
