// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "jpeg/jpeg_decoder.h"

#include <cstddef>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

// Decodes a JPEG file for the preview at the smallest DCT scale whose output still covers
// minSize in both dimensions.
JpegDecodeResult decode_jpeg_reduced(const wxString& fileName, const wxSize& minSize, wxImage& out);

// Decodes a JPEG held in memory at the smallest DCT scale whose output still covers the picture
// as it is shown fitted into `area`, its aspect kept.
JpegDecodeResult decode_jpeg_to_fit(const unsigned char* data, std::size_t size, const wxSize& area,
                                    wxImage& out);

// The largest size of the picture's aspect that fits into the area; at least 1 x 1.
wxSize fit_within(const wxSize& picture, const wxSize& area);
