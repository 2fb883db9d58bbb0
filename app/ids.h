// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Window ids the event table routes by. The directory picker deliberately shares the Stop
// button's id; only button events with it reach StopCapture.
enum {
    ID_CAPTURE = 20,
    ID_DETECT_CAMERA = 30,
    ID_START = 40,
    ID_STOP = 50,
    ID_DIRECTORY_PICKER = 50,
    ID_MAKE_MOVIE = 60,
};
