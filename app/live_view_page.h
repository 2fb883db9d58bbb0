// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <wx/checkbox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/stattext.h>

// Controls of the Live View page, set when the page is built; the page owns them.
extern wxCheckBox* gridCheck;       // the rule-of-thirds grid over the frame
extern wxStaticText* liveViewState; // frames per second, or why there are none

// Builds the Live View page. While it is the page shown, no series is under way and the camera
// is open, the camera thread fetches frames one at a time, each as a camera job of its own:
// the next is asked for once the last has been handed to the page, behind any command given
// meanwhile. Nothing is written to the console.
wxPanel* create_live_view_page(wxNotebook* notebook);

// What the camera thread has left to do for live view when the window closes: set the
// viewfinder back off if frames were fetched. Empty when nothing is left. GUI thread.
std::function<void()> live_view_leftover();
