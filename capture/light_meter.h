// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <wx/image.h>

// How bright a picture is, in EV from mid-grey: log2 of its mean linear luminance over 0.18,
// as an averaging meter reads a scene. None for an image that holds no pixels.
std::optional<double> picture_brightness(const wxImage& picture);
