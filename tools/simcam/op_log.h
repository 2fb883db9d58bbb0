// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace simcam {

// Appends one line to the operation log at `path` (nothing when the path is empty). Each line
// is on disk when this returns, so a test can read it while the camera is still in use.
void log_operation(const std::string& path, const std::string& line);

} // namespace simcam
