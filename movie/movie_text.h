// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "movie/make_movie.h"

#include <string>
#include <vector>

// The words the command line and the window use alike for a movie run.

// "37 of 120 frames, about 0:42 left"
std::string progress_text(const MovieProgress& progress);

// "Wrote sky.mp4: 118 frames, 1920 x 1080, 25 frames per second."
std::string made_text(const MovieResult& result);

// One line for each kind of picture that was left out, naming at most maxNames of them.
std::vector<std::string> left_out_text(const MovieResult& result, std::size_t maxNames);
