// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
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

// A small, fast pseudo-random generator (xorshift); the state must not be 0.
uint32_t next_random(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

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

    Caption(int frame, int glyph_scale) : digits(std::to_string(frame)), scale(glyph_scale) {
        width = (kCell * static_cast<int>(digits.size()) - 1) * scale;
        height = kGlyphHeight * scale;
        left = top = 0;
    }

    // In the middle, as large as a third of the height and nine tenths of the width allow.
    static Caption centred(int frame, int image_width, int image_height) {
        const int columns = kCell * static_cast<int>(std::to_string(frame).size()) - 1;
        Caption caption(frame, std::max(1, std::min(image_height / 3 / kGlyphHeight,
                                                    image_width * 9 / 10 / columns)));
        caption.left = (image_width - caption.width) / 2;
        caption.top = (image_height - caption.height) / 2;
        return caption;
    }

    // In the top-left corner, a fifth of the height tall: big enough to read in a thumbnail
    // without hiding the scene.
    static Caption cornered(int frame, int image_height) {
        Caption caption(frame, std::max(1, image_height / 5 / kGlyphHeight));
        caption.left = caption.top = 2 * caption.scale;
        return caption;
    }

    bool crosses_row(int y) const { return y >= top - scale && y < top + height + scale; }

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

    // Paints the caption's pixel into `pixel` and says whether (x, y) was on it.
    bool paint(int x, int y, JSAMPLE* pixel) const {
        if (on_glyph(x, y)) {
            pixel[0] = pixel[1] = pixel[2] = 250;
            return true;
        }
        if (on_plate(x, y)) {
            pixel[0] = pixel[1] = pixel[2] = 24;
            return true;
        }
        return false;
    }
};

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void leave_on_error(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void put(JSAMPLE* pixel, const Rgb& colour) {
    pixel[0] = static_cast<JSAMPLE>(colour.r);
    pixel[1] = static_cast<JSAMPLE>(colour.g);
    pixel[2] = static_cast<JSAMPLE>(colour.b);
}

// Fills one row of RGB samples; y counts from the top.
using RowPainter = std::function<void(int y, JSAMPLE* row)>;

// Sensor noise: the same offset on the three channels of a pixel, at most `amplitude` either
// way. Each row takes its offsets from one table of the frame's, starting at a place of its
// own, so the same frame gets the same noise.
class Grain {
  public:
    Grain() = default;
    Grain(int amplitude, int frame) : amplitude_(amplitude) {
        if (amplitude <= 0)
            return;
        offsets_.resize(kTableSize);
        uint32_t state = 2654435761u * static_cast<uint32_t>(frame) + 1u;
        const uint32_t span = 2 * static_cast<uint32_t>(amplitude) + 1;
        for (int16_t& offset : offsets_)
            offset = static_cast<int16_t>(static_cast<int>(next_random(state) % span) - amplitude);
    }

    void apply(int y, int width, JSAMPLE* row) const {
        if (amplitude_ <= 0)
            return;
        uint32_t state = 40503u * static_cast<uint32_t>(y) + 1u;
        size_t at = next_random(state);
        for (int x = 0; x < width; ++x, ++at) {
            const int offset = offsets_[at % kTableSize];
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = static_cast<JSAMPLE>(std::clamp(row[3 * x + c] + offset, 0, 255));
        }
    }

  private:
    static constexpr size_t kTableSize = 1 << 16;

    int amplitude_ = 0;
    std::vector<int16_t> offsets_;
};

std::string encode_jpeg(int width, int height, const Grain& grain, const RowPainter& paint_row) {
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
        paint_row(y, row.data());
        grain.apply(y, width, row.data());
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

// The frame number in the middle of a diagonal gradient between two colours of the frame's.
class Digits {
  public:
    Digits(int frame, int width, int height)
        : caption_(Caption::centred(frame, width, height)), width_(width), height_(height) {
        const int hue = (frame * 47) % 360;
        const Rgb from = hue_colour(hue, 230);
        const Rgb to = hue_colour((hue + 120) % 360, 110);
        for (int t = 0; t <= 256; ++t)
            shades_[t] = {from.r + (to.r - from.r) * t / 256, from.g + (to.g - from.g) * t / 256,
                          from.b + (to.b - from.b) * t / 256};
        for (int x = 0; x < width; ++x)
            across_.push_back(width > 1 ? x * 256 / (width - 1) : 0);
    }

    void fill_row(int y, JSAMPLE* row) const {
        const int down = height_ > 1 ? y * 256 / (height_ - 1) : 0;
        const bool captioned = caption_.crosses_row(y);
        for (int x = 0; x < width_; ++x) {
            JSAMPLE* pixel = &row[3 * x];
            if (!captioned || !caption_.paint(x, y, pixel))
                put(pixel, shades_[(across_[x] + down) / 2]);
        }
    }

  private:
    Caption caption_;
    int width_, height_;
    Rgb shades_[257];
    std::vector<int> across_;
};

Rgb mix(const Rgb& a, const Rgb& b, double t) {
    auto channel = [t](int from, int to) {
        return static_cast<int>(std::lround(from + (to - from) * t));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

// The colours of one moment of the day.
struct Palette {
    Rgb zenith, horizon, sun, land;
};

const Palette kDawn = {{36, 44, 104}, {246, 150, 96}, {255, 180, 84}, {44, 66, 52}};
const Palette kMidday = {{48, 116, 212}, {172, 210, 244}, {255, 250, 220}, {84, 150, 70}};
const Palette kDusk = {{44, 24, 82}, {238, 94, 62}, {255, 136, 60}, {38, 48, 42}};

Palette palette_at(double day) {
    const Palette& from = day < 0.5 ? kDawn : kMidday;
    const Palette& to = day < 0.5 ? kMidday : kDusk;
    const double t = day < 0.5 ? day * 2 : day * 2 - 1;
    return {mix(from.zenith, to.zenith, t), mix(from.horizon, to.horizon, t),
            mix(from.sun, to.sun, t), mix(from.land, to.land, t)};
}

// Sky, sun and hills at one moment; the hills stand in front of the sun.
class Scene {
  public:
    Scene(int frame, int day_frames, int width, int height)
        : caption_(Caption::cornered(frame, height)), width_(width), height_(height) {
        const double pi = std::acos(-1.0);
        const double day =
            day_frames > 1 ? static_cast<double>((frame - 1) % day_frames) / (day_frames - 1) : 0.5;
        palette_ = palette_at(day);
        horizon_ = 0.7 * height;
        sun_radius_ = 0.07 * height;
        sun_x_ = width * (0.1 + 0.8 * day);
        sun_y_ = horizon_ + 0.3 * sun_radius_ - std::sin(pi * day) * 0.55 * height;
        for (int x = 0; x < width; ++x) {
            const double across = 2 * pi * x / std::max(1, width - 1);
            hills_.push_back(horizon_ + height * (0.05 * std::sin(1.3 * across + 0.6) +
                                                  0.025 * std::sin(3.7 * across + 2.1)));
        }
    }

    void fill_row(int y, JSAMPLE* row) const {
        const double up = std::clamp(y / horizon_, 0.0, 1.0);
        const Rgb sky = mix(palette_.zenith, palette_.horizon, up * up);
        for (int x = 0; x < width_; ++x) {
            JSAMPLE* pixel = &row[3 * x];
            if (caption_.paint(x, y, pixel))
                continue;
            if (y >= hills_[x]) {
                // Nearer ground is darker.
                put(pixel, mix(palette_.land, {0, 0, 0}, 0.5 * (y - hills_[x]) / height_));
                continue;
            }
            const double from_sun = std::hypot(x - sun_x_, y - sun_y_) - sun_radius_;
            const double glow = from_sun <= 0 ? 1.0 : 0.6 * std::exp(-from_sun / sun_radius_);
            put(pixel, mix(sky, palette_.sun, glow));
        }
    }

  private:
    Caption caption_;
    int width_, height_;
    Palette palette_;
    double horizon_, sun_radius_, sun_x_, sun_y_;
    std::vector<double> hills_;
};

// A ball crossing a twilight sky from side to side, and back, a sixtieth of the width a frame.
class MovingBall {
  public:
    MovingBall(int frame, int width, int height)
        : caption_(Caption::cornered(frame, height)), width_(width), height_(height) {
        radius_ = std::max(1, height / 8);
        const int travel = std::max(1, width - 2 * radius_);
        const int step = std::max(1, width / 60);
        const int along = static_cast<int>((static_cast<int64_t>(frame - 1) * step) % (2 * travel));
        centre_x_ = radius_ + (along <= travel ? along : 2 * travel - along);
        centre_y_ = height * 11 / 20;
    }

    void fill_row(int y, JSAMPLE* row) const {
        const Rgb sky =
            mix(kTop, kBottom, height_ > 1 ? static_cast<double>(y) / (height_ - 1) : 0);
        const int dy = y - centre_y_;
        const int half = dy * dy <= radius_ * radius_
                             ? static_cast<int>(std::sqrt(double(radius_ * radius_ - dy * dy)))
                             : -1;
        for (int x = 0; x < width_; ++x) {
            JSAMPLE* pixel = &row[3 * x];
            if (!caption_.paint(x, y, pixel))
                put(pixel, std::abs(x - centre_x_) <= half ? kBall : sky);
        }
    }

  private:
    static constexpr Rgb kTop = {24, 34, 70};
    static constexpr Rgb kBottom = {96, 128, 150};
    static constexpr Rgb kBall = {255, 150, 30};
    Caption caption_;
    int width_, height_, radius_, centre_x_, centre_y_;
};

double linear(double encoded) {
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

double encoded(double linear) {
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

// A picture's exposure: its light scaled so that the mean luminance lands `stops` from
// mid-grey, each channel clipped at full scale. The mean comes from every eighth row, which is
// near enough and spares painting the picture twice.
class Exposure {
  public:
    Exposure(double stops, int width, int height, const RowPainter& paint_row) {
        double linear_of[256];
        for (int value = 0; value < 256; ++value)
            linear_of[value] = linear(value / 255.0);
        std::vector<JSAMPLE> row(3 * static_cast<size_t>(width));
        double sum = 0;
        long pixels = 0;
        for (int y = 0; y < height; y += 8) {
            paint_row(y, row.data());
            for (int x = 0; x < width; ++x, ++pixels)
                sum += 0.2126 * linear_of[row[3 * x]] + 0.7152 * linear_of[row[3 * x + 1]] +
                       0.0722 * linear_of[row[3 * x + 2]];
        }
        const double mean = sum / std::max(1L, pixels);
        const double gain = (mean > 0 ? kMidGrey / mean : 1) * std::exp2(stops);
        for (int value = 0; value < 256; ++value)
            table_[value] = static_cast<JSAMPLE>(
                std::lround(255 * encoded(std::min(1.0, linear_of[value] * gain))));
    }

    void apply(int width, JSAMPLE* row) const {
        for (int i = 0; i < 3 * width; ++i)
            row[i] = table_[row[i]];
    }

  private:
    static constexpr double kMidGrey = 0.18;
    JSAMPLE table_[256];
};

std::string make_raw(int frame, int size) {
    std::string bytes(static_cast<size_t>(size), '\0');
    uint32_t state = 2654435761u * static_cast<uint32_t>(frame) + 1u;
    for (char& byte : bytes)
        byte = static_cast<char>(next_random(state) >> 24);
    // A JPEG starts with 0xff 0xd8; make sure this does not.
    if (!bytes.empty())
        bytes[0] = 'R';
    return bytes;
}

} // namespace

std::string make_picture(int frame, const PictureKind& kind, std::optional<double> stops) {
    if (kind.raw)
        return make_raw(frame, kind.raw_size);
    const Grain grain(kind.grain, frame);
    auto encode = [&](const RowPainter& paint_row) {
        if (!stops)
            return encode_jpeg(kind.width, kind.height, grain, paint_row);
        const Exposure exposure(*stops, kind.width, kind.height, paint_row);
        return encode_jpeg(kind.width, kind.height, grain, [&](int y, JSAMPLE* row) {
            paint_row(y, row);
            exposure.apply(kind.width, row);
        });
    };
    if (kind.style == PictureStyle::Scene) {
        const Scene scene(frame, kind.day_frames, kind.width, kind.height);
        return encode([&scene](int y, JSAMPLE* row) { scene.fill_row(y, row); });
    }
    const Digits digits(frame, kind.width, kind.height);
    return encode([&digits](int y, JSAMPLE* row) { digits.fill_row(y, row); });
}

std::string make_jpeg(int frame, int width, int height) {
    PictureKind kind;
    kind.width = width;
    kind.height = height;
    return make_picture(frame, kind);
}

std::string make_preview(int frame, int width, int height) {
    const MovingBall ball(frame, width, height);
    return encode_jpeg(width, height, Grain(),
                       [&ball](int y, JSAMPLE* row) { ball.fill_row(y, row); });
}

std::string headers_only(const std::string& jpeg) {
    // Marker segments after the start-of-image marker: 0xff, a code, a two-byte length that
    // counts itself. The scan (0xda) starts the image data.
    size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xff &&
           static_cast<unsigned char>(jpeg[at + 1]) != 0xda) {
        const size_t length = static_cast<unsigned char>(jpeg[at + 2]) * 256u +
                              static_cast<unsigned char>(jpeg[at + 3]);
        at += 2 + length;
    }
    return jpeg.substr(0, std::min(at, jpeg.size()));
}

} // namespace simcam
