// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/window.h>

#include <string>

// The window as it paints itself right now, children included.
wxImage client_pixels(wxWindow* window);

wxColour colour_at(const wxImage& image, const wxPoint& at);
// Whether every channel of the pixel is within tolerance of the colour.
bool near_colour(const wxImage& image, const wxPoint& at, const wxColour& colour,
                 int tolerance = 12);
std::string describe_pixel(const wxImage& image, const wxPoint& at);
