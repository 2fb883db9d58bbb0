// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/series_watch.h"

#include "app/battery_level.h"
#include "app/command_turns.h"
#include "app/series_page.h"
#include "camera/detection.h"
#include "capture/run_state.h"
#include "capture/series.h"
#include "capture/series_clock.h"
#include "platform/free_space.h"

#include <cstdlib>
#include <wx/statusbr.h>

namespace {

const auto batteryEvery = std::chrono::minutes(5);

// As a series reads its fields: the leading number, 0 without one.
long leading_number(const wxString& text) {
    return std::strtol(text.utf8_str(), nullptr, 10);
}

std::unique_ptr<SeriesWatch>& held_watch() {
    static std::unique_ptr<SeriesWatch> watch;
    return watch;
}

} // namespace

SeriesWatch::SeriesWatch(wxFrame* frame)
    : frame_(frame), inhibitor_([this](const std::string& text) {
          notice_ = text;
          show();
      }) {
    timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { show(); });
    // A pass begins and ends between events; the idle event after each sees it at once.
    frame_->Bind(wxEVT_IDLE, &SeriesWatch::idle, this);
}

SeriesWatch::~SeriesWatch() {
    frame_->Unbind(wxEVT_IDLE, &SeriesWatch::idle, this);
}

void SeriesWatch::series_started() {
    const SeriesSettings settings = read_series_settings();
    plan_ = {std::max(0L, leading_number(settings.interval)), leading_number(settings.runtime),
             leading_number(settings.maxFrames)};
    directory_ = std::string(settings.directory.fn_str());
    start_ = series_clock().wall_now();
    writtenBefore_ = pictures_written();
    running_ = false;
    inPass_ = false;
    passes_ = 0;
    passTime_ = Clock::duration::zero();
    notice_.clear();
    watching_ = true;
    if (settings.options.keepAwake)
        inhibitor_.hold();
    show_fields(2);
    show();
    timer_.Start(1000);
}

void SeriesWatch::series_running() {
    if (!watching_)
        return;
    running_ = true;
    start_ = series_clock().wall_now();
}

void SeriesWatch::series_ended() {
    if (!watching_)
        return;
    watching_ = false;
    running_ = false;
    timer_.Stop();
    inhibitor_.release();
    show_fields(1);
}

void SeriesWatch::idle(wxIdleEvent& event) {
    event.Skip();
    observe();
}

void SeriesWatch::observe() {
    if (!running_)
        return;
    const bool busy = captureBusy;
    if (busy == inPass_)
        return;
    const Clock::time_point now = series_clock().wall_now();
    if (busy) {
        passSince_ = now;
    } else {
        ++passes_;
        passTime_ += now - passSince_;
        passEnd_ = now;
    }
    inPass_ = busy;
}

void SeriesWatch::ask_battery() {
    using Steady = std::chrono::steady_clock;
    if (!running_ || batteryAsked_ || Steady::now() < batteryDue_ || !camera_is_open() ||
        command_turns().camera_busy())
        return;
    batteryAsked_ = true;
    // The watch outlives every job: the window closes the turns, which drops late results,
    // before it lets the watch go.
    command_turns().start_camera_job([this] {
        auto level = read_battery_level();
        return [this, level] {
            batteryAsked_ = false;
            batteryDue_ = Steady::now() + batteryEvery;
            battery_ = level;
            show();
        };
    });
}

void SeriesWatch::show() {
    if (!watching_)
        return;
    observe();
    ask_battery();
    SeriesFigures figures;
    figures.plan = plan_;
    // Each pass reads the field afresh; text that is no number takes no picture.
    if (!framesText->GetValue().ToLong(&figures.framesPerPass))
        figures.framesPerPass = 0;
    // The series' own clock, which tests may drive.
    figures.now = series_clock().wall_now();
    figures.start = start_;
    figures.frames = running_ ? frameCount.load() : 0;
    const SeriesProgress progress = series_progress();
    figures.armedUntil = progress.armedUntil;
    figures.nextPass = progress.nextPassWall;
    figures.passSince = inPass_ ? passSince_ : figures.now;
    if (passes_ > 0)
        figures.passLength = passTime_ / passes_;
    const PicturesWritten written = pictures_written();
    if (written.count > writtenBefore_.count)
        figures.pictureSize =
            (written.bytes - writtenBefore_.bytes) / (written.count - writtenBefore_.count);
    else if (written.count > 0)
        figures.pictureSize = written.lastSize;
    figures.freeBytes = free_space(directory_);

    const wxString text = progress_text(figures, forecast_series(figures), battery_, notice_);
    if (frame_->GetStatusBar()->GetStatusText(1) != text)
        frame_->SetStatusText(text, 1);
}

// Two fields only while a series is under way, so that the window is as it always was without
// one.
void SeriesWatch::show_fields(int count) {
    wxStatusBar* bar = frame_->GetStatusBar();
    if (bar->GetFieldsCount() == count)
        return;
    const int widths[] = {-1, -3};
    bar->SetFieldsCount(count, count == 2 ? widths : nullptr);
}

SeriesWatch* series_watch() {
    return held_watch().get();
}

void open_series_watch(wxFrame* frame) {
    held_watch() = std::make_unique<SeriesWatch>(frame);
}

void close_series_watch() {
    held_watch().reset();
}
