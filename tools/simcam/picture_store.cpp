// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_store.h"

#include <algorithm>

namespace simcam {

void PictureStore::put(const std::string& folder, const std::string& name, const Shot& shot) {
    remove(folder, name);
    pictures_.push_back(Picture{folder, name, shot});
}

std::optional<Shot> PictureStore::find(const std::string& folder, const std::string& name) const {
    for (const Picture& picture : pictures_)
        if (picture.folder == folder && picture.name == name)
            return picture.shot;
    return std::nullopt;
}

bool PictureStore::remove(const std::string& folder, const std::string& name) {
    auto found = std::find_if(pictures_.begin(), pictures_.end(), [&](const Picture& picture) {
        return picture.folder == folder && picture.name == name;
    });
    if (found == pictures_.end())
        return false;
    pictures_.erase(found);
    return true;
}

std::vector<std::string> PictureStore::files(const std::string& folder) const {
    std::vector<std::string> names;
    for (const Picture& picture : pictures_)
        if (picture.folder == folder)
            names.push_back(picture.name);
    return names;
}

std::vector<std::string> PictureStore::subfolders(const std::string& folder,
                                                  const std::string& also) const {
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    std::vector<std::string> names;
    auto add = [&](const std::string& path) {
        if (path.compare(0, prefix.size(), prefix) != 0 || path.size() == prefix.size())
            return;
        const std::string name =
            path.substr(prefix.size(), path.find('/', prefix.size()) - prefix.size());
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    add(also);
    for (const Picture& picture : pictures_)
        add(picture.folder);
    return names;
}

} // namespace simcam
