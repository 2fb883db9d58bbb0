#pragma once

#include <string>

namespace simcam {

// A JPEG showing the frame number in large digits on a background whose colours depend on
// the frame, so pictures tell apart even as thumbnails. The same frame gives the same bytes.
std::string make_jpeg(int frame, int width, int height);

// Bytes that are no image, as a raw file from the camera would look to a JPEG decoder.
std::string make_raw(int frame, int size);

} // namespace simcam
