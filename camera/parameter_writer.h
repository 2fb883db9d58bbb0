// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// A camera parameter as a pass writes it: its registry key and the text of its box, both in the
// locale's bytes.
struct ParameterSetting {
    std::string key;
    std::string value;
};

// Writes every setting, whatever the camera was last known to hold, then prints each one's
// "Paramater:", "Value:" and error lines in order. A setting that the driver can write on its
// own takes one single-setting write; the others go together in one full read and one full
// write, and one by one, each with its own read and write, when that write fails, so that a
// value the camera refuses costs only its own setting. Camera thread.
void write_parameters(const std::vector<ParameterSetting>& settings);

// Writes one setting the same way, without a console line, and returns its result. Camera
// thread.
int write_setting(const ParameterSetting& setting);
