// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/series_options.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class MyFrame;
struct CaptureRequest;
struct CaptureResult;

// A picture of a pass on the camera's card.
struct CapturedPicture {
    std::string folder;
    std::string name;
    int frame; // in the series
    std::chrono::system_clock::time_point captured;
    bool downloaded = false; // only its deletion is left
};

// A camera that went in the middle of a pass of a series that waits for it.
struct CameraLoss {
    int code;                                    // what the call that found it gone gave
    std::chrono::steady_clock::time_point since; // on the series clock
    std::vector<CapturedPicture> pending;        // left on the card, in capture order
    long reconnectMinutes;
    // Set when a capture was under way: its picture, which no one named, may be on the card,
    // in the folder of the newest picture known and named after it.
    std::optional<CapturedPicture> lostCaptureAfter;
};

// Whether a result is what an unplugged, switched off or seized body gives.
bool is_lost_camera_code(int result);

std::string camera_lost_text(int code, long reconnectMinutes);
std::string camera_back_text(std::chrono::steady_clock::duration away);

// GUI thread. A series started with these options waits for a lost camera when they ask it to;
// the passes of the series then ask for the minutes, which are none outside such a series.
void keep_series_options(const SeriesOptions& options);
std::optional<long> series_reconnect_minutes();

// GUI thread. What the last pass or fetch left: the camera lost, or nothing.
void note_camera_loss(const std::optional<CameraLoss>& loss);

// Camera thread. One try to take the lost body back. When it is back, says so and fetches the
// pictures it left on its card into `fetched`, whose status text tells of the return.
bool take_camera_back(const CaptureRequest& request, const CameraLoss& loss,
                      CaptureResult* fetched);

// Series worker, after each pass of a series whose options ask it to wait for a lost camera:
// when the pass lost it, tries every 2 s to take it back until it is back and its pictures are
// fetched; until the series is stopped; or until the minutes are up, which ends the series as a
// failed capture does. `stopped` tells whether the series has ended.
void wait_for_lost_camera(MyFrame* frame, const SeriesOptions& options,
                          const std::function<bool()>& stopped);
