// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg_image.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void leave_on_error(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

// Kept free of objects with destructors, so that leaving it by longjmp is safe.
bool decode_into(const std::string& bytes, RgbImage& image) {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = leave_on_error;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.pixels.resize(3 * size_t(image.width) * image.height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &image.pixels[3 * size_t(info.output_scanline) * image.width];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

std::optional<RgbImage> decode_jpeg(const std::string& bytes) {
    RgbImage image;
    if (bytes.empty() || !decode_into(bytes, image))
        return std::nullopt;
    return image;
}
