// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <wx/string.h>

// How far a series has come and what is left of it: its end, its movie's length and the disk it
// still needs. Pure; the window gathers the figures.

// The limits of a series, from the page's fields at Start.
struct SeriesPlan {
    long interval = 0;       // seconds of pause after a pass
    long runtimeMinutes = 0; // 0: no time limit
    long maxFrames = 0;      // 0: no frame limit
};

struct SeriesFigures {
    using Time = std::chrono::system_clock::time_point;

    SeriesPlan plan;
    long framesPerPass = 1;
    Time now;
    Time start; // of the series
    int frames = 0;
    // When an armed series makes its first pass.
    std::optional<Time> armedUntil;
    // When the next pass begins; none while a pass is under way, which began at passSince.
    std::optional<Time> nextPass;
    Time passSince;
    std::chrono::system_clock::duration passLength{}; // a pass's mean length, 0 before any
    std::optional<std::uint64_t> pictureSize;         // bytes a picture is expected to take
    std::optional<std::uint64_t> freeBytes;           // in the working directory
};

struct SeriesForecast {
    std::optional<int> framesAtEnd;
    std::optional<SeriesFigures::Time> end;
    std::optional<std::uint64_t> roomNeeded; // for the frames still to come
    bool diskShort = false;
};

SeriesForecast forecast_series(const SeriesFigures& figures);

// The movie a number of frames makes.
constexpr int movieFramesPerSecond = 25;

// One line for the status bar: "Frame 3 of 10 · next in 4 s · ends about 23:10 · movie 0.4 s ·
// disk 1.2 MB of 40 GB free · battery 80%", led by a warning when the disk will not last and
// by the notice, if any, that sleep is not held off.
wxString progress_text(const SeriesFigures& figures, const SeriesForecast& forecast,
                       const std::optional<std::string>& battery, const std::string& notice);
