// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/vantlow.h"

// The pass of the running series under way, counted from 1; 0 when no series runs. GUI thread.
int series_pass();

// Gives a new worker the newest series: an older worker still sleeping leaves it alone.
void enroll_worker(MyThread* worker);

// Ends the newest series, even one whose worker has not begun yet: the run state goes back to
// no series.
void stop_series();

// From Start until the series ends: by Stop, or when its worker has taken its last pass. GUI
// thread.
bool series_under_way();
