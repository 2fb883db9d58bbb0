// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_window.h"

#include "app/series_page.h"
#include "app/vantlow.h"

#include <wx/init.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Console::watch_for(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    watched_ = text;
    seen_ = false;
    from_ = text_.size();
}

bool Console::seen(Clock::time_point* when) const {
    std::lock_guard<std::mutex> lock(mutex_);
    *when = seenAt_;
    return seen_;
}

Console::int_type Console::overflow(int_type c) {
    if (c != traits_type::eof()) {
        char ch = traits_type::to_char_type(c);
        xsputn(&ch, 1);
    }
    return traits_type::not_eof(c);
}

std::streamsize Console::xsputn(const char* s, std::streamsize n) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_.append(s, static_cast<size_t>(n));
    if (!seen_ && !watched_.empty() && text_.find(watched_, from_) != std::string::npos) {
        seen_ = true;
        seenAt_ = Clock::now();
    }
    if (text_.size() > (1u << 20)) { // a soak prints for a long time
        text_.erase(0, text_.size() - 4096);
        from_ = 0;
    }
    return n;
}

void StallMeter::begin() {
    longest_ = 0;
    last_ = Clock::now();
    Start(10);
}

double StallMeter::end() {
    Notify();
    Stop();
    return longest_;
}

void StallMeter::Notify() {
    longest_ = std::max(longest_, ms_since(last_));
    last_ = Clock::now();
}

void pump_until(const std::function<bool()>& done) {
    while (!done()) {
        wxTheApp->Yield(true);
        wxMilliSleep(1);
    }
}

void post_click(wxButton* button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->QueueEvent(click.Clone());
}

int count_lines(const std::string& file, const std::string& prefix) {
    std::ifstream in(file);
    int n = 0;
    for (std::string line; std::getline(in, line);)
        n += line.rfind(prefix, 0) == 0;
    return n;
}

size_t workers() {
    MyApp& app = wxGetApp();
    wxMutexLocker lock(app.workerLock);
    return app.workerThreads.size();
}

bool series_over() {
    return workers() == 0 && captureButton->IsEnabled() && startButton->IsEnabled();
}

long proc_status(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::string(key).size());
    return -1;
}

long open_files() {
    long n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        n += !entry.is_directory();
    return n;
}

MyFrame* start_program(int argc, char** argv) {
    wxEntryStart(argc, argv);
    wxGetApp().OnInit();
    auto* frame = static_cast<MyFrame*>(wxGetApp().GetTopWindow());
    pump_until([&] { return frame->IsShownOnScreen(); });
    return frame;
}
