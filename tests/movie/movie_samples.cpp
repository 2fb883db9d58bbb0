// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/movie_samples.h"

#include "display/jpeg_samples.h"
#include "picture.h"
#include "record/series_record.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <libexif/exif-data.h>
#include <numeric>
#include <random>
#include <sys/stat.h>

std::string camera_picture(int frame, int width, int height) {
    return simcam::make_jpeg(frame, width, height);
}

void write_camera_picture(const std::string& path, int frame, int width, int height) {
    write_file(path, camera_picture(frame, width, height));
}

namespace {

void add_entry(ExifData* exif, ExifMem* mem, ExifIfd ifd, ExifTag tag, ExifFormat format,
               const void* data, unsigned size) {
    ExifEntry* entry = exif_entry_new_mem(mem);
    entry->tag = tag;
    entry->format = format;
    entry->components = format == EXIF_FORMAT_ASCII ? size : 1;
    entry->size = size;
    entry->data = static_cast<unsigned char*>(exif_mem_alloc(mem, size));
    std::memcpy(entry->data, data, size);
    exif_content_add_entry(exif->ifd[ifd], entry);
    exif_entry_unref(entry);
}

void add_text(ExifData* exif, ExifMem* mem, ExifTag tag, const std::string& text) {
    if (!text.empty())
        add_entry(exif, mem, EXIF_IFD_EXIF, tag, EXIF_FORMAT_ASCII, text.c_str(),
                  unsigned(text.size() + 1));
}

} // namespace

std::string with_exif(const std::string& jpeg, int orientation, const std::string& captured,
                      const std::string& subseconds, ExifOrder order) {
    const ExifByteOrder bytes =
        order == ExifOrder::Motorola ? EXIF_BYTE_ORDER_MOTOROLA : EXIF_BYTE_ORDER_INTEL;
    ExifMem* mem = exif_mem_new_default();
    ExifData* exif = exif_data_new_mem(mem);
    exif_data_set_byte_order(exif, bytes);
    unsigned char value[2];
    exif_set_short(value, bytes, ExifShort(orientation));
    add_entry(exif, mem, EXIF_IFD_0, EXIF_TAG_ORIENTATION, EXIF_FORMAT_SHORT, value, 2);
    add_text(exif, mem, EXIF_TAG_DATE_TIME_ORIGINAL, captured);
    add_text(exif, mem, EXIF_TAG_SUB_SEC_TIME_ORIGINAL, subseconds);
    unsigned char* block = nullptr;
    unsigned int size = 0;
    exif_data_save_data(exif, &block, &size);
    std::string segment = "\xff\xe1";
    segment += char((size + 2) >> 8);
    segment += char((size + 2) & 0xff);
    segment.append(reinterpret_cast<const char*>(block), size);
    exif_mem_free(mem, block);
    exif_data_unref(exif);
    exif_mem_unref(mem);
    // Right after the start-of-image marker, where cameras put it.
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

std::string with_claimed_size(const std::string& jpeg, int width, int height) {
    std::string patched = jpeg;
    // Marker segments follow the start of image until the start-of-frame marker (C0 to CF, but
    // for the Huffman, arithmetic and JPEG-extension markers C4, C8 and CC).
    for (std::size_t at = 2; at + 9 <= patched.size();) {
        const unsigned char marker = static_cast<unsigned char>(patched[at + 1]);
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
            marker != 0xcc) {
            // Length, precision, then height and width, big-endian.
            patched[at + 5] = char(height >> 8);
            patched[at + 6] = char(height & 0xff);
            patched[at + 7] = char(width >> 8);
            patched[at + 8] = char(width & 0xff);
            return patched;
        }
        at += 2 + (static_cast<unsigned char>(patched[at + 2]) << 8 |
                   static_cast<unsigned char>(patched[at + 3]));
    }
    return patched;
}

void write_halves_picture(const std::string& path, int width, int height) {
    write_jpeg(path, width, height, JpegKind::Rgb, [width](int x, int, unsigned char* rgb) {
        const bool left = x < width / 2;
        rgb[0] = left ? 220 : 20;
        rgb[1] = 20;
        rgb[2] = left ? 20 : 220;
    });
}

void set_file_time(const std::string& path, long seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::vector<std::pair<std::string, std::string>> folder_contents(const std::string& dir) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files.emplace_back(entry.path().filename().string(), read_file(entry.path().string()));
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<double> cell_colours(const RgbImage& image, int x, int y, int width, int height) {
    const int columns = 8, rows = 6;
    std::vector<double> means;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            // The inner part of each cell, so that a pixel or two of difference in scaling
            // does not matter.
            const int left = x + (column * 4 + 1) * width / (columns * 4);
            const int right = x + (column * 4 + 3) * width / (columns * 4);
            const int top = y + (row * 4 + 1) * height / (rows * 4);
            const int bottom = y + (row * 4 + 3) * height / (rows * 4);
            double sum[3] = {};
            int count = 0;
            for (int py = top; py < bottom; ++py)
                for (int px = left; px < right; ++px, ++count)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += image.at(px, py)[c];
            for (double s : sum)
                means.push_back(count ? s / count : 0);
        }
    return means;
}

double colour_distance(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum / double(a.size()));
}

int nearest(const std::vector<double>& colours,
            const std::vector<std::vector<double>>& candidates) {
    int best = -1;
    double bestDistance = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const double d = colour_distance(colours, candidates[i]);
        if (best < 0 || d < bestDistance) {
            best = int(i);
            bestDistance = d;
        }
    }
    return best;
}

std::vector<std::string> write_lit_series(const std::string& dir, int width, int height,
                                          const std::vector<double>& evs) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < evs.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/lit-%04zu.jpg", i + 1);
        paths.push_back(dir + name);
        const double gain = std::exp2(evs[i]);
        // Soft light and shade from 40 to 120, which stays clear of black and white within
        // 0.8 EV either way.
        write_jpeg(paths.back(), width, height, JpegKind::Rgb,
                   [&](int x, int y, unsigned char* rgb) {
                       const double light = 80 + 25 * std::sin(x * 0.05) + 15 * std::cos(y * 0.08);
                       const double tint[3] = {1.0, 0.9, 0.75};
                       for (int c = 0; c < 3; ++c)
                           rgb[c] = (unsigned char)std::clamp(
                               std::lround(light * tint[c] * 1.2 * gain), 0L, 255L);
                   });
        set_file_time(paths.back(), 1700000000 + long(i));
    }
    return paths;
}

std::string write_series_record(const std::string& dir, std::time_t start,
                                const std::vector<std::string>& pictures, bool exposure) {
    const std::vector<std::string> columns = {record_column::shutterSeconds,
                                              record_column::aperture, record_column::iso,
                                              record_column::brightnessEv};
    const std::string record = series_record_begin(
        dir, start, [](const std::string&) {}, exposure ? columns : std::vector<std::string>());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        SeriesRecordRow row;
        row.frame = row.pass = int(i) + 1;
        row.captured = std::chrono::system_clock::from_time_t(start + std::time_t(i) * 10);
        row.file = pictures[i];
        if (exposure)
            row.extra = {{record_column::shutterSeconds, i % 2 ? "0.008" : "0.01"},
                         {record_column::aperture, "8"},
                         {record_column::iso, "100"},
                         {record_column::brightnessEv, "0.2"}};
        series_record_add(row);
    }
    series_record_end();
    return record;
}

std::vector<double> random_flicker(int count, double amplitude, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<double> evs;
    for (int i = 0; i < count; ++i)
        evs.push_back(amplitude * (2.0 * random() / double(random.max()) - 1.0));
    return evs;
}

std::vector<double> ramp_with(double from, double to, const std::vector<double>& flicker) {
    std::vector<double> evs;
    const double steps = double(std::max<std::size_t>(1, flicker.size() - 1));
    for (std::size_t i = 0; i < flicker.size(); ++i)
        evs.push_back(from + (to - from) * double(i) / steps + flicker[i]);
    return evs;
}

std::vector<double> mean_lumas(const std::vector<RgbImage>& frames) {
    std::vector<double> lumas;
    for (const RgbImage& frame : frames) {
        double sum = 0;
        for (std::size_t i = 0; i + 2 < frame.pixels.size(); i += 3)
            sum +=
                0.299 * frame.pixels[i] + 0.587 * frame.pixels[i + 1] + 0.114 * frame.pixels[i + 2];
        lumas.push_back(sum / double(std::max<std::size_t>(1, frame.pixels.size() / 3)));
    }
    return lumas;
}

double jitter(const std::vector<double>& values) {
    std::vector<double> steps;
    for (std::size_t i = 1; i < values.size(); ++i)
        steps.push_back(values[i] - values[i - 1]);
    if (steps.empty())
        return 0;
    const double mean = std::accumulate(steps.begin(), steps.end(), 0.0) / double(steps.size());
    double sum = 0;
    for (double step : steps)
        sum += (step - mean) * (step - mean);
    return std::sqrt(sum / double(steps.size()));
}

std::vector<double> centred_log_means(const std::vector<double>& values, int half) {
    std::vector<double> means;
    for (std::size_t i = std::size_t(half); i + std::size_t(half) < values.size(); ++i) {
        double sum = 0;
        for (std::size_t j = i - std::size_t(half); j <= i + std::size_t(half); ++j)
            sum += std::log2(values[j]);
        means.push_back(sum / double(2 * half + 1));
    }
    return means;
}

double largest_difference(const std::vector<double>& a, const std::vector<double>& b) {
    double largest = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}
