// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <wx/gdicmn.h>
#include <wx/image.h>

// How many of a frame's pixels fall into each band of luminance, darkest first.
using LuminanceHistogram = std::array<std::uint32_t, 64>;

// A live view frame made ready for the page, off the GUI thread: decoded and scaled to fit,
// with its histogram.
struct LiveFrame {
    wxImage image;
    LuminanceHistogram histogram{};
};

// Decodes a JPEG frame at the largest size that fits into the area, its aspect kept. False for
// a frame that cannot be decoded.
bool make_live_frame(const std::string& jpeg, const wxSize& area, LiveFrame* frame);
