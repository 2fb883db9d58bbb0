// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/series.h"
#include "app/series_page.h"
#include "app/vantlow.h"
#include "capture/follow_light_window.h"
#include "capture/gui_bridge.h"
#include "capture/reconnect.h"
#include "capture/run_state.h"
#include "capture/series_cadence.h"
#include "capture/series_clock.h"
#include "capture/series_schedule.h"
#include "record/series_record.h"

#include <wx/log.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <ctime>
#include <cwchar>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

std::atomic<bool> captureRunning{false};
std::atomic<bool> captureBusy{false};
std::atomic<std::int32_t> frameCount{0};

namespace {

// A worker owns the run state only while its series is the newest one: Start pressed while a
// stopped worker still sleeps begins a new series, and the old worker must leave it alone.
struct SeriesBook {
    std::mutex mutex;
    unsigned newest = 0;
    unsigned stopped = 0;    // the newest series that Stop was pressed for
    unsigned ended = 0;      // the newest series whose worker has left its loop
    int pass = 0;            // of the running series
    SeriesProgress progress; // of the newest series, but for underWay and framesTaken
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

using Wall = std::chrono::system_clock;

std::time_t wall_seconds() {
    return Wall::to_time_t(series_clock().wall_now());
}

// When a series begins and when it ends by the clock, worked out as Start is pressed.
struct SeriesTimes {
    std::optional<Wall::time_point> startAt; // unset: at once
    std::optional<Wall::time_point> endAt;   // unset: only the limits end it
    std::string problem;                     // why the series cannot be armed
};

SeriesTimes series_times(const SeriesOptions& options, Wall::time_point now) {
    SeriesTimes times;
    const std::optional<Location> where = options.location();
    const NextTime start = next_series_time(options.startAt, where, now);
    const NextTime end = next_series_time(options.endAt, where, start.time);
    times.problem = series_time_problem(options.startAt, start);
    if (times.problem.empty())
        times.problem = series_time_problem(options.endAt, end);
    if (!times.problem.empty())
        return times;
    if (options.startAt.kind != SeriesTime::Kind::Now)
        times.startAt = start.time;
    if (end.outcome == NextTime::Outcome::At)
        times.endAt = end.time;
    return times;
}

// A series whose start or end time cannot come is not armed; the photographer has to change
// the options, so it is an error as well as a console line.
void refuse_series(const std::string& problem) {
    const std::string line = "The series is not armed: " + problem;
    std::cout << line << std::endl;
    wxLogError("%s", wxString::FromUTF8(line));
}

void announce_times(const SeriesOptions& options, const SeriesTimes& times) {
    if (times.startAt)
        std::cout << "Armed: the series starts at "
                  << local_time_text(*times.startAt, "%Y-%m-%d %H:%M:%S") << " ("
                  << series_time_text(options.startAt) << ")." << std::endl;
    if (times.endAt)
        std::cout << "The series ends at " << local_time_text(*times.endAt, "%Y-%m-%d %H:%M:%S")
                  << " (" << series_time_text(options.endAt) << ") at the latest." << std::endl;
}

std::vector<std::string> record_columns(const SeriesOptions& options) {
    std::vector<std::string> columns;
    if (options.cadence == Cadence::Steady)
        columns = {record_column::scheduled, record_column::latenessMs};
    if (options.followLight) {
        for (const std::string& column : exposure_columns())
            columns.push_back(column);
    }
    return columns;
}

// The row of each slot that passed entirely while a pass ran: no frame (0), no file.
void record_missed(const SeriesCadence& cadence, const SeriesCadence::Pause& pause) {
    for (long slot = pause.firstMissed; slot < pause.firstMissed + pause.missed; ++slot) {
        SeriesRecordRow row;
        row.pass = static_cast<int>(slot + 1);
        row.captured = cadence.due_wall(slot);
        row.outcome = SeriesOutcome::Missed;
        row.extra = {{record_column::scheduled, record_time_text(row.captured)}};
        series_record_add(row);
    }
}

// The first pass, or the end of an armed wait: the record begins and the runtime counts.
void begin_running(SeriesBook& b, const SeriesSettings& settings, std::time_t start, long runtime) {
    series_record_begin(std::string(settings.directory.fn_str()), start, print_to_console,
                        record_columns(settings.options));
    b.progress.armedUntil.reset();
    if (runtime > 0)
        b.progress.runtimeEnd = Wall::from_time_t(start) + std::chrono::minutes(runtime);
}

// Numbers the pass by its slot and tells the record when it was due. GUI thread, book locked.
void begin_pass(SeriesBook& b, SeriesCadence& cadence, Cadence kind) {
    const auto now = series_clock().now();
    if (!cadence.started())
        cadence.start(now, series_clock().wall_now());
    const SeriesCadence::Slot& slot = cadence.next();
    b.pass = static_cast<int>(slot.number + 1);
    b.progress.nextPass.reset();
    b.progress.nextPassWall.reset();
    if (kind != Cadence::Steady)
        return;
    const auto late = std::chrono::duration_cast<std::chrono::milliseconds>(now - slot.due);
    series_record_pass_fields(b.pass, {{record_column::scheduled, record_time_text(slot.dueWall)},
                                       {record_column::latenessMs, std::to_string(late.count())}});
}

// Waits for an armed series' start time and makes it the first slot; false when Stop, a newer
// series or the window's closing ended the wait first.
bool wait_until_armed_time(unsigned series, Wall::time_point when, SeriesCadence& cadence) {
    SeriesClock& clock = series_clock();
    const auto due = clock.now() + (when - clock.wall_now());
    SeriesBook& b = book();
    // Unlike the pause between passes, Stop ends this wait at once.
    gui_bridge().pause_until(due, [series, &b] {
        std::lock_guard<std::mutex> lock(b.mutex);
        return !captureRunning || series != b.newest;
    });
    cadence.start(due, when);
    return clock.now() >= due;
}

} // namespace

MyThread::MyThread(MyFrame* frame) : wxThread(wxTHREAD_DETACHED), ownerFrame(frame) {}

void* MyThread::Entry() {
    SeriesBook& b = book();
    auto current = [this, &b] { return series == b.newest; };
    SeriesSettings settings;
    SeriesTimes times;
    time_t start = 0;
    bool readable = gui_bridge().run_on_gui_thread(ownerFrame, [&] {
        std::lock_guard<std::mutex> lock(b.mutex);
        if (current())
            frameCount = 0;
        start = wall_seconds();
        settings = read_series_settings();
        times = series_times(settings.options, series_clock().wall_now());
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
    const Cadence cadenceKind = settings.options.cadence;
    SeriesCadence cadence(cadenceKind, std::chrono::seconds(interval));

    gui_bridge().run_on_gui_thread(ownerFrame, [&] {
        std::cout << errors.str();
        if (!times.problem.empty()) {
            refuse_series(times.problem);
            return;
        }
        std::lock_guard<std::mutex> lock(b.mutex);
        // A Stop pressed before this point still counts.
        if (current() && b.stopped != series) {
            captureRunning = true;
            b.pass = 0;
            b.progress.frameLimit = maxFrames;
            b.progress.endAt = times.endAt;
            b.progress.armedUntil = times.startAt;
            announce_times(settings.options, times);
            keep_series_options(settings.options);
            begin_follow_light(settings.options, cadenceKind == Cadence::Steady
                                                     ? std::optional<double>(interval)
                                                     : std::nullopt);
            if (!times.startAt)
                begin_running(b, settings, start, runtime);
            show_series_running();
        }
    });

    if (times.startAt && wait_until_armed_time(series, *times.startAt, cadence)) {
        gui_bridge().run_on_gui_thread(ownerFrame, [&] {
            std::lock_guard<std::mutex> lock(b.mutex);
            if (captureRunning && current()) {
                start = wall_seconds();
                begin_running(b, settings, start, runtime);
            }
        });
    }

    // Whether the series still runs is decided where Stop is pressed, on the GUI thread, when
    // each request is served: a Stop that comes while one waits leaves nothing after it.
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(b.mutex);
            if (!captureRunning || !current())
                break;
            captureBusy = true;
        }
        bool open = gui_bridge().run_on_gui_thread(ownerFrame, [&] {
            if (captureRunning && current()) {
                {
                    std::lock_guard<std::mutex> lock(b.mutex);
                    begin_pass(b, cadence, cadenceKind);
                }
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
        const SeriesCadence::Pause pause = cadence.pause_after(series_clock().now());
        auto sleeping = [&] {
            std::lock_guard<std::mutex> lock(b.mutex);
            if (captureRunning && current()) {
                record_missed(cadence, pause);
                b.progress.nextPass = cadence.next().due;
                b.progress.nextPassWall = cadence.next().dueWall;
                std::cout << "Sleeping for " << cadence.sleeping_text(pause);
            }
        };
        if (!open || !gui_bridge().run_on_gui_thread(ownerFrame, sleeping))
            break;
        gui_bridge().pause_until(pause.until);

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
            if (runtime != 0 && static_cast<int>((wall_seconds() - start) / 60) >= runtime) {
                std::cout << runtime << " minutes have elapsed - stopping capture." << std::endl;
                captureRunning = false;
            }
            if (times.endAt && series_clock().wall_now() >= *times.endAt) {
                std::cout << "End time " << series_time_text(settings.options.endAt)
                          << " reached - stopping capture." << std::endl;
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
    book().progress = SeriesProgress();
}

int series_pass() {
    std::lock_guard<std::mutex> lock(book().mutex);
    return book().pass;
}

void stop_series() {
    {
        std::lock_guard<std::mutex> lock(book().mutex);
        book().stopped = book().newest;
        captureRunning = false;
        captureBusy = false;
        frameCount = 0;
    }
    gui_bridge().wake_pauses();
}

SeriesProgress series_progress() {
    std::lock_guard<std::mutex> lock(book().mutex);
    const SeriesBook& b = book();
    if (b.newest == b.stopped || b.newest == b.ended)
        return {};
    SeriesProgress progress = b.progress;
    progress.underWay = true;
    progress.framesTaken = frameCount;
    return progress;
}

bool series_under_way() {
    std::lock_guard<std::mutex> lock(book().mutex);
    const SeriesBook& b = book();
    return b.newest != b.stopped && b.newest != b.ended;
}
