// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "simcam/jpeg_image.h"

#include <string>
#include <vector>

// A movie as libavformat and libavcodec read it back.
struct MovieOnDisk {
    bool opened = false;
    std::string format;      // the container's names, e.g. "mov,mp4,m4a,3gp,3g2,mj2"
    std::string codec;       // e.g. "h264"
    std::string pixelFormat; // e.g. "yuv420p"
    std::string colourSpace; // e.g. "bt470bg"
    int width = 0, height = 0;
    int rateNum = 0, rateDen = 1; // frames per second as a fraction
    std::vector<RgbImage> frames; // every frame, in order, in RGB
};

MovieOnDisk read_movie(const std::string& path);
