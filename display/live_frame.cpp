// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/live_frame.h"

#include "display/jpeg_preview_decoder.h"

namespace {

LuminanceHistogram luminance_histogram(const wxImage& image) {
    LuminanceHistogram counts{};
    const unsigned char* rgb = image.GetData();
    const std::size_t pixels = std::size_t(image.GetWidth()) * image.GetHeight();
    constexpr int bandWidth = 256 / std::tuple_size<LuminanceHistogram>::value;
    for (std::size_t i = 0; i < pixels; ++i, rgb += 3) {
        // Rec. 601 weights, in 256ths.
        const int luma = (77 * rgb[0] + 150 * rgb[1] + 29 * rgb[2] + 128) >> 8;
        ++counts[luma / bandWidth];
    }
    return counts;
}

} // namespace

bool make_live_frame(const std::string& jpeg, const wxSize& area, LiveFrame* frame) {
    wxImage decoded;
    if (decode_jpeg_to_fit(reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size(), area,
                           decoded) != JpegDecodeResult::Decoded)
        return false;
    const wxSize fitted = fit_within(decoded.GetSize(), area);
    // The decoder has done the bulk of any shrinking; the nearest pixel keeps the rest sharp
    // enough to focus by, at a fraction of a smoother filter's cost.
    frame->image = decoded.GetSize() == fitted
                       ? decoded
                       : decoded.Scale(fitted.x, fitted.y, wxIMAGE_QUALITY_NORMAL);
    frame->histogram = luminance_histogram(frame->image);
    return true;
}
