// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "display/live_frame.h"

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/graphics.h>
#include <wx/window.h>

// What the Live View page draws. GUI thread.

// The latest frame on the page, scaled to fit, with its histogram. A graphics bitmap is drawn
// as it is, where a wxBitmap would be converted for the screen afresh for every frame.
struct ShownFrame {
    wxGraphicsBitmap bitmap; // null when there is no frame to show
    wxSize size;
    LuminanceHistogram histogram{};
};
extern ShownFrame liveFrame;
// Set while a series holds live view: the page then draws the series' latest picture.
extern bool liveViewShowsPreview;

// The part of the page that the picture is fitted into.
wxRect live_view_area(const wxWindow* page);

// Makes a frame that was made ready off the GUI thread the one the page draws.
void show_live_frame(const LiveFrame& frame);
void clear_live_frame();

void PaintLiveView(wxPaintEvent& event);
