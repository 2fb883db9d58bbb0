// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_path.h"

namespace simcam {

std::string normal_folder(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string join_path(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

} // namespace simcam
