// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/gui_harness.h"
#include "support/simcam_scenario.h"

#include <string>
#include <vector>
#include <wx/gdicmn.h>
#include <wx/image.h>

// A camera with live view: frames of 512 x 340 (the 1024 x 680 of real bodies, halved to keep
// the tests quick) every 20 ms, a viewfinder toggle among its actions and single settings, with
// more scenario lines after these.
std::string live_camera(const std::string& more = "");
// The lines that give the series tests' camera the same frames.
extern const char liveFrames[];

wxWindow* live_page(MyFrame* frame);
// Shows the page as a click on its tab does, and shows the first page again.
void show_live_view(MyFrame* frame);
void leave_live_view(MyFrame* frame);
// The line under the grid's check box: frames per second, or why there are none.
wxString live_state(MyFrame* frame);
// Ticks the grid's check box as the user does.
void tick_grid(MyFrame* frame, bool on);

// Pumps events until the camera has been asked for this many frames in all (as its operation
// log counts them, failed ones included).
bool preview_calls_reach(const SimcamScenario& camera, int count, int timeout_ms = 20000);
// Pumps events for a while and tells whether the camera was asked for no further frame, apart
// from the one that may be under way now.
bool no_more_preview_calls(const SimcamScenario& camera, int ms = 400);

// The rectangle that the frame covers in the page's pixels, found from the middle row and the
// middle column.
wxRect drawn_frame(const wxImage& pixels);
// Index of the first log line that starts with the prefix at or after `from`, or the size.
size_t find_line(const std::vector<std::string>& lines, const std::string& prefix, size_t from = 0);
int count_lines(const std::vector<std::string>& lines, const std::string& prefix, size_t from,
                size_t to);
