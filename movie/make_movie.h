// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "movie/deflicker.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// Frame rates from 1 to this are made.
constexpr int maxMovieFps = 240;

struct MovieRequest {
    std::string source; // a series record or a folder of pictures
    std::string output; // the MP4 file to write
    int fps = 25;
    // Even; 0 x 0 takes the own size (upright) of the first picture that decodes, rounded down
    // to even.
    int width = 1920;
    int height = 1080;
    bool replace = false; // whether an existing output file may be replaced
    // Frames in the centred window over which each frame's brightness is evened out, from 0
    // (left as it is) to maxDeflickerFrames; slow changes of light stay.
    int deflicker = 0;
};

struct MovieProgress {
    int done = 0;
    int total = 0;           // shrinks when a picture turns out to be damaged
    double secondsLeft = -1; // negative while not yet known
};

// Called on the encoding thread after each frame.
using MovieProgressReport = std::function<void(const MovieProgress&)>;

enum class MovieOutcome { Made, Cancelled, OutputExists, Failed };

struct MovieResult {
    MovieOutcome outcome = MovieOutcome::Failed;
    std::string error; // what went wrong, in whole sentences
    std::string output;
    int frames = 0, width = 0, height = 0, fps = 0;
    // Pictures left out, by path.
    std::vector<std::string> notPictures, damaged, oversized, missing;
    int unreadableRows = 0;
};

// Makes an H.264 MP4 of the pictures, decoding them on every core ahead of the encoder, all at
// low priority. Source pictures are only read. The movie is written aside and appears under
// its name only when whole; an existing file is only replaced when the request allows it.
// Whatever ends the run early (cancel, a full disk, an error) removes the partial file. Blocks
// until done; `cancel` may be set from any thread.
MovieResult make_movie(const MovieRequest& request, const MovieProgressReport& progress,
                       const std::atomic<bool>& cancel);

// A name beside the source for its movie that names no existing file: "series.csv" ->
// "series.mp4", folder "sky" -> "sky.mp4", then "sky-1.mp4" and so on.
std::string default_movie_path(const std::string& source);

// The deflicker window for the source unless the person chooses one: defaultDeflickerFrames for
// a series record whose exposure followed the light, whose steps the window smooths away, else 0.
int default_deflicker(const std::string& source);
