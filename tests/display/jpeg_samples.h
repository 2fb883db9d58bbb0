// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <wx/colour.h>

#include <functional>
#include <string>

enum class JpegKind { Rgb, Grey, Cmyk };

// Fills the components of the pixel at (x, y): 3 for RGB, 1 for grey, 4 for CMYK.
using PixelSource = std::function<void(int x, int y, unsigned char* components)>;

// Writes a baseline JPEG at quality 90 (CMYK ones with libjpeg's Adobe marker).
void write_jpeg(const std::string& path, int width, int height, JpegKind kind,
                const PixelSource& pixel);
void write_solid_jpeg(const std::string& path, int width, int height, const wxColour& colour);
// Slow waves in every component: a picture that any downscaling method renders alike.
PixelSource smooth_picture(int width, int height, JpegKind kind);
// Keeps the first part of the file, as when a download or a card write is cut short.
void truncate_file(const std::string& path, double keptFraction);
