// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A series that waits for a lost camera takes back only the body it began with: the one with
// the same serial number where the camera reports one, else the same model, on any port. Both
// run on the camera thread.

// Notes the open camera's model and serial number, while it is surely there.
void remember_open_camera();

// Looks for the remembered body on every port and opens it on a fresh camera object, which
// then replaces the lost one. Returns GP_OK when it is open again, else the library's code.
int reopen_same_camera();
