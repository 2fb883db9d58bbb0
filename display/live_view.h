// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "display/live_frame.h"

#include <wx/dc.h>
#include <wx/gdicmn.h>
#include <wx/graphics.h>
#include <wx/window.h>

// What the Live View page draws: the latest frame scaled to fit, with its histogram, or the
// series' latest picture while a series holds live view. GUI thread.
class LiveViewCanvas {
  public:
    // Makes a frame that was made ready off the GUI thread the one the page draws.
    void show_frame(const LiveFrame& frame);
    void clear_frame();
    // The frame drawn; null when there is none. A graphics bitmap is drawn as it is, where a
    // wxBitmap would be converted for the screen afresh for every frame.
    const wxGraphicsBitmap& frame_bitmap() const { return bitmap_; }

    // Whether the page draws the series' latest picture instead of frames.
    bool shows_preview() const { return showsPreview_; }
    void set_shows_preview(bool preview) { showsPreview_ = preview; }

    void paint(wxWindow* page, bool grid) const;

  private:
    wxGraphicsBitmap bitmap_;
    wxSize size_;
    LuminanceHistogram histogram_{};
    bool showsPreview_ = false;
};

// The part of the page that the picture is fitted into.
wxRect live_view_area(const wxWindow* page);
