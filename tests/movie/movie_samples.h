// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "simcam/jpeg_image.h"

#include <string>
#include <vector>

// Pictures for the movie tests, made as the simulated camera makes them: the frame number in
// large digits on colours of the frame's own.
std::string camera_picture(int frame, int width, int height);
void write_camera_picture(const std::string& path, int frame, int width, int height);

// A JPEG whose left half is red and right half blue, to see which way it was turned.
void write_halves_picture(const std::string& path, int width, int height);

// The byte orders of EXIF blocks: "II" as Intel wrote it, "MM" as Motorola did.
enum class ExifOrder { Intel, Motorola };

// The JPEG with an EXIF block holding the orientation (1 to 8) and, when given, the capture
// time ("YYYY:MM:DD HH:MM:SS") and its fraction of a second ("123").
std::string with_exif(const std::string& jpeg, int orientation, const std::string& captured = "",
                      const std::string& subseconds = "", ExifOrder order = ExifOrder::Intel);

// The JPEG with the size in its frame header replaced, the picture data left as it is: the header
// of a damaged picture.
std::string with_claimed_size(const std::string& jpeg, int width, int height);

// Sets a file's modification time, in seconds since the epoch.
void set_file_time(const std::string& path, long seconds);

// The files of a folder, by name, and their contents, to see that nothing was touched.
std::vector<std::pair<std::string, std::string>> folder_contents(const std::string& dir);

// Mean colours of a grid of cells over a part of a picture: what two pictures of the same
// scene share however each was scaled.
std::vector<double> cell_colours(const RgbImage& image, int x, int y, int width, int height);
double colour_distance(const std::vector<double>& a, const std::vector<double>& b);
// Which of the candidates the colours are nearest to.
int nearest(const std::vector<double>& colours, const std::vector<std::vector<double>>& candidates);
