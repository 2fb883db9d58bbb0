#pragma once

#include "display/jpeg_decoder.h"

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

// Decodes a JPEG file for the preview at the smallest DCT scale whose output still covers
// minSize in both dimensions.
JpegDecodeResult decode_jpeg_reduced(const wxString& fileName, const wxSize& minSize, wxImage& out);
