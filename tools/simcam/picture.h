#pragma once

#include <string>

namespace simcam {

// A JPEG showing the frame number in large digits on a background whose colours depend on
// the frame, so pictures tell apart even as thumbnails. The same frame gives the same bytes.
std::string make_jpeg(int frame, int width, int height);

// A JPEG of a landscape at one moment of a day that lasts day_frames frames: the sun rises on
// the left at frame 1 and sets on the right at frame day_frames while the sky turns from dawn
// to midday to dusk; the frame number stands in the top-left corner. The next day starts over.
std::string make_scene_jpeg(int frame, int day_frames, int width, int height);

// Bytes that are no image, as a raw file from the camera would look to a JPEG decoder.
std::string make_raw(int frame, int size);

} // namespace simcam
