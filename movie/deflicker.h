// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "movie/picture_frame.h"

#include <cstddef>
#include <vector>

struct AVFrame;

// Frames over which the brightness is evened out when nothing else is asked for, and the most:
// each frame waits, decoded, for the half window after it.
constexpr int defaultDeflickerFrames = 15;
constexpr int maxDeflickerFrames = 51;

// Frames on each side of a frame in a centred window of `frames`; an even number loses one so
// that the window stays centred. 0 for 0 or 1 frames: nothing is evened out.
int deflicker_half_window(int frames);

// The frame's brightness where the picture lies: the mean of log2 of its luma above black, on
// a sparse grid. A change of exposure multiplies the luma above black by a factor that a power
// law makes the same for every pixel, so it adds the same to this mean whatever the picture
// shows, and a steady ramp of exposure stays a straight line in it.
double frame_brightness(const AVFrame* frame, const FrameArea& area);

// The gain that brings frame `index` to the mean brightness of the frames from index - half to
// index + half, cut off at the ends. Pictures left out have NaN and are passed over.
double deflicker_gain(const std::vector<double>& brightness, std::size_t index, int half);

// Multiplies the luma above black and the colour differences by the gain, which for a power-law
// transfer is one gain on the light itself, colours kept. Highlights that would go past white
// stay white.
void apply_gain(AVFrame* frame, double gain);
