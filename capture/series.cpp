// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/series.h"
#include "app/series_page.h"
#include "app/vantlow.h"
#include "capture/gui_bridge.h"
#include "capture/reconnect.h"
#include "capture/run_state.h"
#include "record/series_record.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <cwchar>
#include <iostream>
#include <mutex>
#include <sstream>

std::atomic<bool> captureRunning{false};
std::atomic<bool> captureBusy{false};
std::atomic<std::int32_t> frameCount{0};

namespace {

// A worker owns the run state only while its series is the newest one: Start pressed while a
// stopped worker still sleeps begins a new series, and the old worker must leave it alone.
struct SeriesBook {
    std::mutex mutex;
    unsigned newest = 0;
    unsigned stopped = 0; // the newest series that Stop was pressed for
    unsigned ended = 0;   // the newest series whose worker has left its loop
    int pass = 0;         // of the running series
};

SeriesBook& book() {
    static SeriesBook series;
    return series;
}

// Reads a whole decimal number. On failure the leading number is kept, and a text with no
// number, or one out of range, gives 0.
bool read_long(const wxString& text, long* value) {
    const wchar_t* start = text.wc_str();
    wchar_t* end = nullptr;
    errno = 0;
    *value = std::wcstol(start, &end, 10);
    if (end == start || errno == ERANGE) {
        *value = 0;
        return false;
    }
    return *end == L'\0';
}

long read_setting(const wxString& text, const char* error, std::ostream& console) {
    long value;
    if (!read_long(text, &value))
        console << error << std::endl;
    return value;
}

} // namespace

MyThread::MyThread(MyFrame* frame) : wxThread(wxTHREAD_DETACHED), ownerFrame(frame) {}

void* MyThread::Entry() {
    SeriesBook& b = book();
    auto current = [this, &b] { return series == b.newest; };
    SeriesSettings settings;
    time_t start = 0;
    bool readable = gui_bridge().run_on_gui_thread(ownerFrame, [&] {
        std::lock_guard<std::mutex> lock(b.mutex);
        if (current())
            frameCount = 0;
        start = time(nullptr);
        settings = read_series_settings();
    });
    if (!readable)
        return nullptr;

    std::ostringstream errors;
    long interval;
    bool intervalRead = read_long(settings.interval, &interval);
    // The pause is a 32-bit count of seconds; anything outside it would sleep for decades.
    if (interval < 0 || static_cast<unsigned long>(interval) > UINT32_MAX) {
        intervalRead = false;
        interval = 0;
    }
    if (!intervalRead)
        errors << "Error getting interval" << std::endl;
    long runtime = read_setting(settings.runtime, "Error getting runtime", errors);
    long maxFrames = read_setting(settings.maxFrames, "Error getting max frames", errors);

    gui_bridge().run_on_gui_thread(ownerFrame, [&] {
        std::cout << errors.str();
        std::lock_guard<std::mutex> lock(b.mutex);
        // A Stop pressed before this point still counts.
        if (current() && b.stopped != series) {
            captureRunning = true;
            b.pass = 0;
            series_record_begin(std::string(settings.directory.fn_str()), start);
            keep_series_options(settings.options);
            show_series_running();
        }
    });

    // Whether the series still runs is decided where Stop is pressed, on the GUI thread, when
    // each request is served: a Stop that comes while one waits leaves nothing after it.
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(b.mutex);
            if (!captureRunning || !current())
                break;
            captureBusy = true;
        }
        bool open = gui_bridge().run_on_gui_thread(ownerFrame, [this, &b, &current] {
            if (captureRunning && current()) {
                ++b.pass;
                ownerFrame->CaptureImage();
            }
        });
        {
            std::lock_guard<std::mutex> lock(b.mutex);
            if (current())
                captureBusy = false;
        }
        if (open)
            wait_for_lost_camera(ownerFrame, settings.options, [&] {
                std::lock_guard<std::mutex> lock(b.mutex);
                return !captureRunning || !current();
            });
        auto sleeping = [&] {
            std::lock_guard<std::mutex> lock(b.mutex);
            if (captureRunning && current())
                std::cout << "Sleeping for " << interval << " seconds... ";
        };
        if (!open || !gui_bridge().run_on_gui_thread(ownerFrame, sleeping))
            break;
        gui_bridge().pause_unless_closed(std::chrono::seconds(interval));

        bool superseded = false;
        open = gui_bridge().run_on_gui_thread(ownerFrame, [&] {
            std::lock_guard<std::mutex> lock(b.mutex);
            superseded = !current();
            if (superseded)
                return;
            if (captureRunning)
                std::cout << "done." << std::endl << std::endl;
            if (maxFrames != 0 && static_cast<long>(frameCount) >= maxFrames) {
                std::cout << maxFrames << " frames captured - stopping capture." << std::endl;
                captureRunning = false;
            }
            if (runtime != 0 && static_cast<int>((time(nullptr) - start) / 60) >= runtime) {
                std::cout << runtime << " minutes have elapsed - stopping capture." << std::endl;
                captureRunning = false;
            }
        });
        if (!open || superseded)
            break;
    }

    gui_bridge().run_on_gui_thread(ownerFrame, [&] {
        std::lock_guard<std::mutex> lock(b.mutex);
        if (current()) {
            b.ended = series;
            series_record_end();
            show_series_idle();
        }
    });
    return nullptr;
}

void MyThread::OnExit() {
    MyApp& app = wxGetApp();
    wxMutexLocker lock(app.workerLock);
    if (app.workerThreads.Index(this) != wxNOT_FOUND)
        app.workerThreads.Remove(this);
    if (app.workerThreads.IsEmpty() && app.waitingForWorkers) {
        app.waitingForWorkers = false;
        app.workersDone.Post();
    }
}

void enroll_worker(MyThread* worker) {
    std::lock_guard<std::mutex> lock(book().mutex);
    worker->series = ++book().newest;
}

int series_pass() {
    std::lock_guard<std::mutex> lock(book().mutex);
    return book().pass;
}

void stop_series() {
    std::lock_guard<std::mutex> lock(book().mutex);
    book().stopped = book().newest;
    captureRunning = false;
    captureBusy = false;
    frameCount = 0;
}

bool series_under_way() {
    std::lock_guard<std::mutex> lock(book().mutex);
    const SeriesBook& b = book();
    return b.newest != b.stopped && b.newest != b.ended;
}
