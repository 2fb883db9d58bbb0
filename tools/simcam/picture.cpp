#include "picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace simcam {
namespace {

// 5 x 7 digit glyphs, one byte a row, bit 4 is the leftmost column.
const uint8_t kDigits[10][7] = {
    {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}, {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e},
    {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}, {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e},
    {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}, {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e},
    {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}, {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}, {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}};
const int kGlyphWidth = 5;
const int kGlyphHeight = 7;
const int kCell = kGlyphWidth + 1;

struct Rgb {
    int r, g, b;
};

Rgb hue_colour(int hue, int value) {
    // Saturation fixed at about two thirds; hue in degrees, value 0..255.
    const int low = value / 3;
    const int sector = (hue % 360) / 60;
    const int rise = low + (value - low) * (hue % 60) / 60;
    const int fall = value - (value - low) * (hue % 60) / 60;
    switch (sector) {
    case 0:
        return {value, rise, low};
    case 1:
        return {fall, value, low};
    case 2:
        return {low, value, rise};
    case 3:
        return {low, fall, value};
    case 4:
        return {rise, low, value};
    default:
        return {value, low, fall};
    }
}

// Where the frame number goes: glyph scale and the top-left corner of the text.
struct Caption {
    std::string digits;
    int scale, left, top, width, height;

    Caption(int frame, int image_width, int image_height) : digits(std::to_string(frame)) {
        const int columns = kCell * static_cast<int>(digits.size()) - 1;
        scale =
            std::max(1, std::min(image_height / 3 / kGlyphHeight, image_width * 9 / 10 / columns));
        width = columns * scale;
        height = kGlyphHeight * scale;
        left = (image_width - width) / 2;
        top = (image_height - height) / 2;
    }

    bool on_plate(int x, int y) const {
        return x >= left - scale && x < left + width + scale && y >= top - scale &&
               y < top + height + scale;
    }

    bool on_glyph(int x, int y) const {
        if (x < left || x >= left + width || y < top || y >= top + height)
            return false;
        const int column = (x - left) / scale;
        const int row = (y - top) / scale;
        if (column % kCell == kGlyphWidth)
            return false;
        const int bit = kGlyphWidth - 1 - column % kCell;
        return (kDigits[digits[column / kCell] - '0'][row] >> bit) & 1;
    }
};

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void leave_on_error(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void fill_row(int frame, int y, int width, int height, const Caption& caption,
              std::vector<JSAMPLE>& row) {
    const int hue = (frame * 47) % 360;
    const Rgb from = hue_colour(hue, 230);
    const Rgb to = hue_colour((hue + 120) % 360, 110);
    const int down = height > 1 ? y * 256 / (height - 1) : 0;
    for (int x = 0; x < width; ++x) {
        JSAMPLE* pixel = &row[3 * x];
        if (caption.on_glyph(x, y)) {
            pixel[0] = pixel[1] = pixel[2] = 250;
        } else if (caption.on_plate(x, y)) {
            pixel[0] = pixel[1] = pixel[2] = 24;
        } else {
            const int t = ((width > 1 ? x * 256 / (width - 1) : 0) + down) / 2;
            pixel[0] = static_cast<JSAMPLE>(from.r + (to.r - from.r) * t / 256);
            pixel[1] = static_cast<JSAMPLE>(from.g + (to.g - from.g) * t / 256);
            pixel[2] = static_cast<JSAMPLE>(from.b + (to.b - from.b) * t / 256);
        }
    }
}

} // namespace

std::string make_jpeg(int frame, int width, int height) {
    const Caption caption(frame, width, height);
    std::vector<JSAMPLE> row(3 * static_cast<size_t>(width));
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_compress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = leave_on_error;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < height; ++y) {
        fill_row(frame, y, width, height, caption, row);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

std::string make_raw(int frame, int size) {
    std::string bytes(static_cast<size_t>(size), '\0');
    uint32_t state = 2654435761u * static_cast<uint32_t>(frame) + 1u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    // A JPEG starts with 0xff 0xd8; make sure this does not.
    if (!bytes.empty())
        bytes[0] = 'R';
    return bytes;
}

} // namespace simcam
