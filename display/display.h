#pragma once

#include <wx/bitmap.h>
#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

#include <cstddef>
#include <vector>

extern const wxSize previewSize;
extern const wxSize thumbnailSize;
extern const std::size_t maxThumbnails;

// The last picture, stretched to previewSize; null until the first one arrives.
extern wxBitmap previewBitmap;
// One thumbnail per picture, oldest first, at most maxThumbnails.
extern std::vector<wxBitmap> thumbnails;

// Loads a picture from disk into the preview and the gallery. GUI thread only.
void show_captured_image(const wxString& fileName);
// The part of show_captured_image that follows loading: stretches the picture into the
// preview and appends its thumbnail.
void show_loaded_image(const wxImage& picture);

void PaintPreview(wxPaintEvent& event);
void PaintGallery(wxPaintEvent& event);
