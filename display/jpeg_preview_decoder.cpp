// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/jpeg_preview_decoder.h"

#include <algorithm>

namespace {

// Decodes into the image, which is left empty unless the decoding succeeded.
template <class Decode> JpegDecodeResult decode_into(wxImage& out, Decode decode) {
    out = wxImage();
    const JpegDecodeResult result = decode([&out](unsigned width, unsigned height) {
        return out.Create(int(width), int(height), false) ? out.GetData() : nullptr;
    });
    if (result != JpegDecodeResult::Decoded)
        out = wxImage();
    return result;
}

} // namespace

JpegDecodeResult decode_jpeg_reduced(const wxString& fileName, const wxSize& minSize,
                                     wxImage& out) {
    const wxCharBuffer path = fileName.fn_str();
    if (!path.data()) {
        out = wxImage();
        return JpegDecodeResult::NotJpeg;
    }
    return decode_into(out, [&](const RgbDestination& destination) {
        return decode_jpeg_scaled(path.data(), unsigned(minSize.x), unsigned(minSize.y),
                                  JpegFit::Fill, destination);
    });
}

JpegDecodeResult decode_jpeg_to_fit(const unsigned char* data, std::size_t size, const wxSize& area,
                                    wxImage& out) {
    return decode_into(out, [&](const RgbDestination& destination) {
        return decode_jpeg_in_memory(data, size, unsigned(area.x), unsigned(area.y),
                                     JpegFit::Contain, destination);
    });
}

wxSize fit_within(const wxSize& picture, const wxSize& area) {
    using Wide = long long;
    if (picture.x <= 0 || picture.y <= 0)
        return wxSize(1, 1);
    // The side that limits keeps the area's length exactly; the other is rounded.
    wxSize fitted = area;
    if (Wide(area.x) * picture.y <= Wide(area.y) * picture.x)
        fitted.y = int((Wide(picture.y) * area.x + picture.x / 2) / picture.x);
    else
        fitted.x = int((Wide(picture.x) * area.y + picture.y / 2) / picture.y);
    return wxSize(std::max(fitted.x, 1), std::max(fitted.y, 1));
}
