// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The camera's side of live view. Camera thread.

// Asks the camera for one live view frame and returns the library's result; on GP_OK the
// frame's bytes (a JPEG from the cameras we know) are in `frame`.
int fetch_preview_frame(std::string* frame);

// Sets the camera's "viewfinder" toggle back off, where it has one, so that the mirror or the
// sensor is released; quietly, as live view writes nothing to the console.
void release_viewfinder();
