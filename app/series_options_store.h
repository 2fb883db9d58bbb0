// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/series_options.h"

// The series options as the photographer last set them. GUI thread.

// Reads them from the options file, once, while the window is built: a bad value is reported
// on the console before the camera is looked for.
void load_window_series_options();

const SeriesOptions& window_series_options();

// What the next series reads, as the photographer changes them.
void set_window_series_options(const SeriesOptions& options);
