// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "simcam/jpeg_image.h"

#include <ctime>
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

// Deflickering. A time-lapse of one scene whose exposure changes from picture to picture:
// picture i is the scene with its values multiplied by 2^evs[i], named in shooting order
// (file times too). Returns the paths.
std::vector<std::string> write_lit_series(const std::string& dir, int width, int height,
                                          const std::vector<double>& evs);
// The record of a series that took the pictures, begun at `start` in dir, one written row each.
// With `exposure` it has the columns of a series whose exposure followed the light, filled in
// each row; without, it is a record as written before there were such columns.
std::string write_series_record(const std::string& dir, std::time_t start,
                                const std::vector<std::string>& pictures, bool exposure);
// Exposures that wander at random by up to `amplitude` EV either way, the same for a seed.
std::vector<double> random_flicker(int count, double amplitude, unsigned seed);
// A steady change from `from` to `to` EV over `count` pictures, plus `flicker`.
std::vector<double> ramp_with(double from, double to, const std::vector<double>& flicker);

// The mean BT.601 luma of each frame, 0 to 255.
std::vector<double> mean_lumas(const std::vector<RgbImage>& frames);
// The spread (standard deviation) of the differences between neighbours.
double jitter(const std::vector<double>& values);
// The mean of log2 over each centred window of 2 * half + 1 values that fits.
std::vector<double> centred_log_means(const std::vector<double>& values, int half);
// The largest difference between the two at the same place.
double largest_difference(const std::vector<double>& a, const std::vector<double>& b);
