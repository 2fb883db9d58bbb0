// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace simcam {

// What a picture is made from again: its frame number, and its exposure in stops from
// mid-grey when the scene has light.
struct Shot {
    int frame = 0;
    std::optional<double> stops;
};

// The pictures on the camera's card, by folder (as normal_folder writes it) and name. A picture is
// kept as its shot: its bytes are made again when it is downloaded, so a long time-lapse costs no
// memory.
class PictureStore {
  public:
    // Replaces a picture of the same path.
    void put(const std::string& folder, const std::string& name, const Shot& shot);
    std::optional<Shot> find(const std::string& folder, const std::string& name) const;
    bool remove(const std::string& folder, const std::string& name);
    void clear() { pictures_.clear(); }

    std::vector<std::string> files(const std::string& folder) const;
    // Folders directly inside `folder` that hold pictures, or lead to `also` (which the
    // camera shows even while empty).
    std::vector<std::string> subfolders(const std::string& folder, const std::string& also) const;

  private:
    struct Picture {
        std::string folder;
        std::string name;
        Shot shot;
    };
    std::vector<Picture> pictures_;
};

} // namespace simcam
