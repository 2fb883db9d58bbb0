// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace simcam {

// "/DCIM/" -> "/DCIM"; the root stays "/". libgphoto2 hands folders over in both forms.
std::string normal_folder(std::string folder);

// "/DCIM" + "IMG_0001.JPG" -> "/DCIM/IMG_0001.JPG"; "/" + "a" -> "/a".
std::string join_path(const std::string& folder, const std::string& name);

} // namespace simcam
