// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <wx/event.h>

// GTK may only be called from the GUI thread, and the GUI lock does not keep the event loop
// out, so a worker has everything that touches the toolkit or the camera run there.

// While the main window is open, requests are run. Called on the GUI thread.
void open_gui_bridge();
// The main window is going: requests not yet run are dropped and pauses end at once.
void close_gui_bridge();

// Runs the work on the GUI thread through the window's event queue, in its turn behind the
// camera, and waits until it and the camera job it starts have run. Returns false, without
// running it, once the bridge is closed.
bool run_on_gui_thread(wxEvtHandler* window, const std::function<void()>& work);

// Waits the given seconds, or less when the bridge closes meanwhile.
void pause_unless_closed(unsigned long seconds);
