// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/reconnect.h"

#include "app/vantlow.h"
#include "camera/same_camera.h"
#include "capture/capture_pass.h"
#include "capture/gui_bridge.h"
#include "capture/series_clock.h"
#include "record/series_record.h"

#include <algorithm>
#include <gphoto2/gphoto2-result.h>
#include <iostream>
#include <sstream>

namespace {

using namespace std::chrono_literals;

constexpr auto kRetry = 2s;
// How soon a Stop or a closing window ends the wait.
constexpr auto kStopCheck = 100ms;

// GUI thread only.
struct SeriesCamera {
    std::optional<long> reconnectMinutes;
    std::optional<CameraLoss> loss;
};

SeriesCamera& seriesCamera() {
    static SeriesCamera state;
    return state;
}

std::optional<CameraLoss> take_camera_loss() {
    std::optional<CameraLoss> loss;
    loss.swap(seriesCamera().loss);
    return loss;
}

// Waits on the series clock until `when`; false when the series ended first.
bool wait_unless_stopped(std::chrono::steady_clock::time_point when,
                         const std::function<bool()>& stopped) {
    for (;;) {
        if (stopped())
            return false;
        const auto now = series_clock().now();
        if (now >= when)
            return true;
        gui_bridge().pause_until(std::min(when, now + kStopCheck));
    }
}

// Tries every 2 s from the loss on. True once the camera is back; false when the series ended.
bool reconnect(MyFrame* frame, const CameraLoss& loss, const std::function<bool()>& stopped) {
    const auto giveUp = loss.since + std::chrono::minutes(loss.reconnectMinutes);
    for (auto attempt = loss.since + kRetry;; attempt += kRetry) {
        if (!wait_unless_stopped(std::min(attempt, giveUp), stopped))
            return false;
        if (series_clock().now() >= giveUp) {
            gui_bridge().run_on_gui_thread(frame, [&] {
                if (!stopped())
                    frame->CameraNotBack(loss.code);
            });
            return false;
        }
        bool back = false;
        const bool open = gui_bridge().run_on_gui_thread(frame, [&] {
            if (!stopped())
                frame->ReconnectCamera(loss, [&back] { back = true; });
        });
        if (!open)
            return false;
        if (back)
            return true;
    }
}

} // namespace

bool is_lost_camera_code(int result) {
    switch (result) {
    case GP_ERROR_IO:
    case GP_ERROR_TIMEOUT:
    case GP_ERROR_IO_READ:
    case GP_ERROR_IO_WRITE:
    case GP_ERROR_IO_USB_FIND:
    case GP_ERROR_IO_USB_CLAIM:
    case GP_ERROR_IO_LOCK:
    case GP_ERROR_MODEL_NOT_FOUND:
    case GP_ERROR_CAMERA_BUSY:
        return true;
    default:
        return false;
    }
}

std::string camera_lost_text(int code, long reconnectMinutes) {
    std::ostringstream text;
    text << "Camera lost (" << code << ": " << gp_result_as_string(code)
         << "); trying to reconnect every 2 seconds for up to " << reconnectMinutes
         << (reconnectMinutes == 1 ? " minute." : " minutes.");
    return text.str();
}

std::string camera_back_text(std::chrono::steady_clock::duration away) {
    const long seconds = static_cast<long>(
        std::chrono::round<std::chrono::seconds>(std::max(away, away.zero())).count());
    std::ostringstream text;
    text << "Camera back after ";
    if (seconds >= 3600)
        text << seconds / 3600 << " h " << seconds % 3600 / 60 << " min";
    else if (seconds >= 60)
        text << seconds / 60 << " min " << seconds % 60 << " s";
    else
        text << seconds << " s";
    text << "; going on with the series.";
    return text.str();
}

void keep_series_options(const SeriesOptions& options) {
    seriesCamera() = SeriesCamera{};
    if (options.onCameraLost == CameraLost::Reconnect)
        seriesCamera().reconnectMinutes = options.reconnectMinutes;
}

std::optional<long> series_reconnect_minutes() {
    return seriesCamera().reconnectMinutes;
}

void note_camera_loss(const std::optional<CameraLoss>& loss) {
    seriesCamera().loss = loss;
}

bool take_camera_back(const CaptureRequest& request, const CameraLoss& loss,
                      CaptureResult* fetched) {
    if (reopen_same_camera() != GP_OK)
        return false;
    const std::string text = camera_back_text(series_clock().now() - loss.since);
    std::cout << text << std::endl << std::endl;
    series_record_add({request.framesBefore,
                       request.seriesPass,
                       std::chrono::system_clock::now(),
                       "",
                       "",
                       "",
                       std::nullopt,
                       SeriesOutcome::CameraBack,
                       {}});
    *fetched = fetch_pictures(request, loss);
    // The return is the news, rather than a file written a moment after; a new loss more so.
    if (!fetched->lost)
        fetched->status = wxString::FromUTF8(text);
    return true;
}

void wait_for_lost_camera(MyFrame* frame, const SeriesOptions& options,
                          const std::function<bool()>& stopped) {
    if (options.onCameraLost != CameraLost::Reconnect)
        return;
    // A fetch after the return may lose the camera again.
    for (;;) {
        std::optional<CameraLoss> loss;
        if (!gui_bridge().run_on_gui_thread(frame, [&] { loss = take_camera_loss(); }) || !loss ||
            !reconnect(frame, *loss, stopped))
            return;
    }
}
