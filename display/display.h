// SPDX-License-Identifier: GPL-3.0-or-later
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

// A picture stretched to the preview and shrunk from that to its thumbnail. Images, unlike
// bitmaps, may be made on any thread.
struct PreviewImages {
    wxImage preview;
    wxImage thumbnail;
};

PreviewImages scale_for_preview(const wxImage& picture);
// Loads a picture file and scales it. When it cannot be loaded, writes "Couldn't load image."
// and returns false.
bool load_preview_images(const wxString& fileName, PreviewImages* images);
// The same without a word.
bool decode_preview_images(const wxString& fileName, PreviewImages* images);
// Makes the preview and a new thumbnail of the gallery from the images. GUI thread.
void show_preview_images(const PreviewImages& images);
// Loads a picture from disk into the preview and the gallery. GUI thread.
void show_captured_image(const wxString& fileName);

void PaintPreview(wxPaintEvent& event);
void PaintGallery(wxPaintEvent& event);
