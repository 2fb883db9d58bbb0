// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/live_view.h"

#include "display/display.h"
#include "display/jpeg_preview_decoder.h"

#include <algorithm>
#include <wx/dcbuffer.h>

namespace {

// Below the page's controls, with the margins of the other pages.
const int areaTop = 70;
const int areaMargin = 20;

const wxColour gridColour(255, 255, 255);
const wxColour histogramBackground(0, 0, 0);
const wxColour histogramBars(200, 200, 200);
const int histogramBarWidth = 2;
const int histogramHeight = 64;
const int histogramInset = 8;

// Where a picture of the size goes: as large as fits into the area, centred.
wxRect fitted_rect(const wxSize& picture, const wxRect& area) {
    const wxSize size = fit_within(picture, area.GetSize());
    return wxRect(area.x + (area.width - size.x) / 2, area.y + (area.height - size.y) / 2, size.x,
                  size.y);
}

void draw_grid(wxDC& dc, const wxRect& frame) {
    dc.SetPen(wxPen(gridColour, 1));
    for (int third = 1; third <= 2; ++third) {
        const int x = frame.x + frame.width * third / 3;
        const int y = frame.y + frame.height * third / 3;
        dc.DrawLine(x, frame.y, x, frame.GetBottom() + 1);
        dc.DrawLine(frame.x, y, frame.GetRight() + 1, y);
    }
}

// In the frame's bottom right corner, each band's bar as tall as its share of the tallest.
void draw_histogram(wxDC& dc, const LuminanceHistogram& counts, const wxRect& frame) {
    const int width = int(counts.size()) * histogramBarWidth;
    const wxRect box(frame.GetRight() + 1 - histogramInset - width,
                     frame.GetBottom() + 1 - histogramInset - histogramHeight, width,
                     histogramHeight);
    if (box.x < frame.x || box.y < frame.y)
        return;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(histogramBackground));
    dc.DrawRectangle(box);
    const std::uint32_t tallest = *std::max_element(counts.begin(), counts.end());
    if (tallest == 0)
        return;
    dc.SetBrush(wxBrush(histogramBars));
    for (std::size_t band = 0; band < counts.size(); ++band) {
        const int height =
            int((std::uint64_t(counts[band]) * histogramHeight + tallest - 1) / tallest);
        dc.DrawRectangle(box.x + int(band) * histogramBarWidth, box.GetBottom() + 1 - height,
                         histogramBarWidth, height);
    }
}

} // namespace

wxRect live_view_area(const wxWindow* page) {
    const wxSize client = page->GetClientSize();
    return wxRect(areaMargin, areaTop, std::max(client.x - 2 * areaMargin, 1),
                  std::max(client.y - areaTop - areaMargin, 1));
}

void LiveViewCanvas::show_frame(const LiveFrame& frame) {
    bitmap_ = wxGraphicsRenderer::GetDefaultRenderer()->CreateBitmapFromImage(frame.image);
    size_ = frame.image.GetSize();
    histogram_ = frame.histogram;
}

void LiveViewCanvas::clear_frame() {
    bitmap_ = wxGraphicsBitmap();
    size_ = wxSize();
    histogram_ = {};
}

void LiveViewCanvas::paint(wxWindow* page, bool grid) const {
    wxAutoBufferedPaintDC dc(page);
    page->PrepareDC(dc);
    const wxRect area = live_view_area(page);
    // Dark around the picture, as in a viewfinder.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(area);
    wxGraphicsContext* gc = dc.GetGraphicsContext();
    if (showsPreview_) {
        if (previewBitmap.IsOk()) {
            const wxRect at = fitted_rect(previewBitmap.GetSize(), area);
            gc->DrawBitmap(previewBitmap, at.x, at.y, at.width, at.height);
        }
    } else if (!bitmap_.IsNull()) {
        const wxRect frame = fitted_rect(size_, area);
        gc->DrawBitmap(bitmap_, frame.x, frame.y, frame.width, frame.height);
        if (grid)
            draw_grid(dc, frame);
        draw_histogram(dc, histogram_, frame);
    }
}
