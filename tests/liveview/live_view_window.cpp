// SPDX-License-Identifier: GPL-3.0-or-later
#include "liveview/live_view_window.h"

#include "app/live_view_page.h"
#include "display/window_pixels.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>

namespace {

const int livePageIndex = 3;
const int firstPageIndex = 0;

} // namespace

const char liveFrames[] = "preview-size 512 340\npreview-delay-ms 20\n";

std::string live_camera(const std::string& more) {
    return std::string("single-config yes\n") + liveFrames +
           "picture jpeg 64 48\n"
           "config \"Camera and Driver Configuration\"\n"
           "  section actions \"Camera Actions\"\n"
           "    toggle viewfinder \"Viewfinder\" value=0\n"
           "  end\n"
           "end\n" +
           more;
}

wxWindow* live_page(MyFrame* frame) {
    return frame->notebook->GetPage(livePageIndex);
}

void show_live_view(MyFrame* frame) {
    frame->notebook->SetSelection(livePageIndex);
}

void leave_live_view(MyFrame* frame) {
    frame->notebook->SetSelection(firstPageIndex);
}

wxString live_state(MyFrame* frame) {
    auto* state = find_control<wxStaticText>(live_page(frame), "LiveViewState");
    return state ? state->GetLabel() : "(no state line)";
}

void tick_grid(MyFrame* frame, bool on) {
    auto* grid = find_control<wxCheckBox>(live_page(frame), "Grid");
    ASSERT_NE(grid, nullptr);
    grid->SetValue(on);
    wxCommandEvent ticked(wxEVT_CHECKBOX, grid->GetId());
    ticked.SetEventObject(grid);
    ticked.SetInt(on);
    grid->GetEventHandler()->ProcessEvent(ticked);
}

bool preview_calls_reach(const SimcamScenario& camera, int count, int timeout_ms) {
    return pump_until([&] { return camera.count("capture_preview") >= count; }, timeout_ms);
}

bool no_more_preview_calls(const SimcamScenario& camera, int ms) {
    const int before = camera.count("capture_preview");
    // Well over the 20 ms of a frame.
    pump_events(200);
    const int settled = camera.count("capture_preview");
    pump_events(ms);
    return settled <= before + 1 && camera.count("capture_preview") == settled;
}

wxRect drawn_frame(const wxImage& pixels) {
    // The sky and the ball are coloured; the page, the dark area and the grid are grey.
    auto coloured = [&](int x, int y) {
        const wxColour c = colour_at(pixels, wxPoint(x, y));
        return std::max({c.Red(), c.Green(), c.Blue()}) - std::min({c.Red(), c.Green(), c.Blue()}) >
               25;
    };
    const int midX = pixels.GetWidth() / 2;
    const int midY = pixels.GetHeight() / 2;
    int left = 0, right = pixels.GetWidth() - 1, top = 0, bottom = pixels.GetHeight() - 1;
    while (left < midX && !coloured(left, midY))
        ++left;
    while (right > midX && !coloured(right, midY))
        --right;
    while (top < midY && !coloured(midX, top))
        ++top;
    while (bottom > midY && !coloured(midX, bottom))
        --bottom;
    return wxRect(wxPoint(left, top), wxPoint(right, bottom));
}

size_t find_line(const std::vector<std::string>& lines, const std::string& prefix, size_t from) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].compare(0, prefix.size(), prefix) == 0)
            return i;
    return lines.size();
}

int count_lines(const std::vector<std::string>& lines, const std::string& prefix, size_t from,
                size_t to) {
    int found = 0;
    for (size_t i = from; i < to && i < lines.size(); ++i)
        found += lines[i].compare(0, prefix.size(), prefix) == 0;
    return found;
}
