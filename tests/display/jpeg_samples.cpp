// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/jpeg_samples.h"

#include "support/temp_dir.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

void write_jpeg(const std::string& path, int width, int height, JpegKind kind,
                const PixelSource& pixel) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = kind == JpegKind::Rgb ? 3 : kind == JpegKind::Grey ? 1 : 4;
    cinfo.in_color_space = kind == JpegKind::Rgb    ? JCS_RGB
                           : kind == JpegKind::Grey ? JCS_GRAYSCALE
                                                    : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(std::size_t(width) * cinfo.input_components);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x)
            pixel(x, cinfo.next_scanline, &row[std::size_t(x) * cinfo.input_components]);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

void write_solid_jpeg(const std::string& path, int width, int height, const wxColour& colour) {
    write_jpeg(path, width, height, JpegKind::Rgb, [&](int, int, unsigned char* rgb) {
        rgb[0] = colour.Red();
        rgb[1] = colour.Green();
        rgb[2] = colour.Blue();
    });
}

PixelSource smooth_picture(int width, int height, JpegKind kind) {
    return [=](int x, int y, unsigned char* out) {
        const double u = double(x) / width, v = double(y) / height;
        const double waves[] = {0.5 + 0.4 * std::sin(7 * u), 0.5 + 0.4 * std::cos(5 * v),
                                0.5 + 0.4 * std::sin(4 * (u + v)), 0.3 + 0.2 * std::cos(6 * u)};
        const int components = kind == JpegKind::Rgb ? 3 : kind == JpegKind::Grey ? 1 : 4;
        for (int c = 0; c < components; ++c)
            out[c] = static_cast<unsigned char>(255 * waves[c]);
    };
}

void truncate_file(const std::string& path, double keptFraction) {
    const std::string bytes = read_file(path);
    write_file(path, bytes.substr(0, std::size_t(bytes.size() * keptFraction)));
}
