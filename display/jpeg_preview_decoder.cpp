#include "display/jpeg_preview_decoder.h"

JpegDecodeResult decode_jpeg_reduced(const wxString& fileName, const wxSize& minSize,
                                     wxImage& out) {
    out = wxImage();
    const wxCharBuffer path = fileName.fn_str();
    if (!path.data())
        return JpegDecodeResult::NotJpeg;
    JpegDecodeResult result = decode_jpeg_scaled(
        path.data(), unsigned(minSize.x), unsigned(minSize.y), JpegFit::Fill,
        [&out](unsigned width, unsigned height) -> unsigned char* {
            return out.Create(int(width), int(height), false) ? out.GetData() : nullptr;
        });
    if (result != JpegDecodeResult::Decoded)
        out = wxImage();
    return result;
}
