#pragma once

#include <cstddef>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

enum class JpegDecodeResult {
    NotJpeg,     // no JPEG signature, or the file cannot be opened
    Unsupported, // a JPEG whose colour space we cannot turn into RGB
    Failed,      // damaged, truncated or too big to hold: no other decoder should try it
    Decoded,
};

// Decodes a JPEG file at the smallest DCT scale (1/8, 1/4, 1/2 or 1) whose output still
// covers minSize in both dimensions, so big camera files never get decoded whole.
JpegDecodeResult decode_jpeg_reduced(const wxString& fileName, const wxSize& minSize, wxImage& out);

// Decodes a JPEG held in memory at the smallest DCT scale whose output still covers the picture
// as it is shown fitted into `area`, its aspect kept.
JpegDecodeResult decode_jpeg_to_fit(const unsigned char* data, std::size_t size, const wxSize& area,
                                    wxImage& out);

// The largest size of the picture's aspect that fits into the area; at least 1 x 1.
wxSize fit_within(const wxSize& picture, const wxSize& area);
