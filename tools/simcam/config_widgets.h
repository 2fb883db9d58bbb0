// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "scenario.h"

#include <gphoto2/gphoto2-widget.h>

#include <string>
#include <vector>

namespace simcam {

// The configuration tree as libgphoto2 widgets; the caller owns the result.
CameraWidget* make_widgets(const ConfigNode& node);

// Takes the values of `widget`, a tree shaped like `node` (as make_widgets made it), into
// `node`. Returns "key=value" for each value that changed, in tree order; the key is the
// widget's name, or its label when the name is empty. Parts shaped differently are skipped.
std::vector<std::string> take_values(CameraWidget* widget, ConfigNode& node);

// The first setting (a widget that is no window or section) called `name`, depth first, as a
// camera looks one up for a single read or write; nullptr if there is none.
ConfigNode* find_setting(ConfigNode& node, const std::string& name);

// The first setting whose key (its name, or its label when the name is empty) is `key`, depth
// first, as the operation log names settings; nullptr if there is none.
ConfigNode* find_keyed(ConfigNode& node, const std::string& key);

} // namespace simcam
