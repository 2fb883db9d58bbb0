// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scenario.h"

#include <optional>
#include <string>

namespace simcam {

// Picture number `frame` as the scenario describes it; the same frame gives the same bytes.
// Empty when a JPEG could not be made.
//  - digits: the frame number in large digits on a background whose colours depend on the
//    frame, so pictures tell apart even as thumbnails;
//  - scene: a landscape at one moment of a day that lasts day_frames frames: the sun rises on
//    the left at frame 1 and sets on the right at frame day_frames while the sky turns from
//    dawn to midday to dusk; the frame number stands in the top-left corner. The next day
//    starts over;
//  - raw: bytes that are no image, as a raw file from the camera would look to a JPEG decoder.
// With `stops`, a JPEG is exposed that many stops above mid-grey: its light is scaled so that its
// mean (linear) luminance is 18% times 2^stops, and each channel clips at full scale as a
// sensor's does.
std::string make_picture(int frame, const PictureKind& kind,
                         std::optional<double> stops = std::nullopt);

// The default camera's picture: digits, without grain.
std::string make_jpeg(int frame, int width, int height);

// Live view frame number `frame`: an orange ball crossing a twilight sky from side to side and
// back, a sixtieth of the width a frame, with the frame number in the top-left corner.
std::string make_preview(int frame, int width, int height);

// The JPEG's headers without its image data, as a transfer broken off early leaves it: every
// decoder fails on it.
std::string headers_only(const std::string& jpeg);

} // namespace simcam
