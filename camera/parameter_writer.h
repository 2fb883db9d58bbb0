// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gphoto2/gphoto2-widget.h>
#include <string>
#include <vector>

// A changed camera parameter as a pass writes it: its registry key and the text of its box,
// both in the locale's bytes.
struct ParameterSetting {
    std::string key;
    std::string value;
};

// The configuration read at start-up. The Camera Settings page is built from it, and single
// settings are converted by its widgets, whose choices are the ones the page offers. Null when
// the camera did not open. Camera thread once the window is up.
extern CameraWidget* startupConfiguration;

// Replaces the start-up configuration, releasing the one before.
void keep_startup_configuration(CameraWidget* root);

// Writes the settings, then prints each one's "Paramater:", "Value:" and error lines in order.
// Where the driver offers single settings, a setting it can name takes one single-setting write
// when its text differs from what the camera was last known to hold; one full read and one full
// write take all the others together. Camera thread.
void write_parameters(const std::vector<ParameterSetting>& settings);

// Writes one setting without a console line: a single-setting write where the driver offers it
// and can name the setting, otherwise one full read and one full write. Returns the result.
// Camera thread.
int write_setting(const ParameterSetting& setting);
