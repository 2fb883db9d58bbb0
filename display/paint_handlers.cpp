// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/display.h"

#include <wx/dcbuffer.h>
#include <wx/window.h>

namespace {

const wxPoint previewOrigin(20, 140);
const wxPoint galleryOrigin(20, 20);
const int galleryColumnStep = 110;
const int galleryRowStep = 75;
const int galleryRowEnd = 610;

wxWindow* painted_window(const wxPaintEvent& event) {
    return static_cast<wxWindow*>(event.GetEventObject());
}

} // namespace

void PaintPreview(wxPaintEvent& event) {
    wxWindow* page = painted_window(event);
    wxAutoBufferedPaintDC dc(page);
    page->PrepareDC(dc);
    if (previewBitmap.IsOk())
        dc.DrawBitmap(previewBitmap, previewOrigin, false);
    event.Skip();
}

void PaintGallery(wxPaintEvent& event) {
    wxWindow* page = painted_window(event);
    wxAutoBufferedPaintDC dc(page);
    page->PrepareDC(dc);
    wxPoint at = galleryOrigin;
    for (const wxBitmap& thumbnail : thumbnails) {
        dc.DrawBitmap(thumbnail, at, false);
        at.x += galleryColumnStep;
        if (at.x >= galleryRowEnd) {
            at.x = galleryOrigin.x;
            at.y += galleryRowStep;
        }
    }
    event.Skip();
}
