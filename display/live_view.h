#pragma once

#include "display/live_frame.h"

#include <wx/bitmap.h>
#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

// What the Live View page draws. GUI thread.

// The latest frame shown, scaled to fit, and its histogram; null when there is none to show.
extern wxBitmap liveFrameBitmap;
extern LuminanceHistogram liveFrameHistogram;
// Set while a series holds live view: the page then draws the series' latest picture.
extern bool liveViewShowsPreview;

// The part of the page that the picture is fitted into.
wxRect live_view_area(const wxWindow* page);

// Makes a frame that was made ready off the GUI thread the one the page draws.
void show_live_frame(const LiveFrame& frame);
void clear_live_frame();

void PaintLiveView(wxPaintEvent& event);
