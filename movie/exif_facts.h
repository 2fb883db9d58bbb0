// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// What the movie needs from a picture's EXIF block.
struct ExifFacts {
    int orientation = 1;            // 1 to 8 as EXIF counts them; 1 is upright
    std::optional<double> captured; // seconds since the epoch, with the fraction if recorded
};

// Reads the block as read_jpeg_header gives it; an empty or broken block gives the defaults.
ExifFacts read_exif_facts(const std::string& exif);
