// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gphoto2/gphoto2-widget.h>

// The configuration tree read when the camera opened at start-up. The Camera Settings page is
// built from it, and single settings are converted by its widgets, whose choices are the ones
// the page offers. Its values are what the camera held then, never taken for what it holds now.
// GUI thread while the window is built, camera thread after.

// Keeps the tree, releasing the one before; null when the camera did not open.
void keep_startup_configuration(CameraWidget* root);

// The widget that `key` resolves to, as it would in a fresh read; null when there is none.
CameraWidget* startup_widget(const char* key);

// The setting that the driver knows by the name `key` resolves to, as a single-setting read or
// write reaches it; null when there is none (a widget without a name, say).
CameraWidget* startup_setting(const char* key);
