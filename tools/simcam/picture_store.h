// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace simcam {

// The pictures on the camera's card, by folder (as normal_folder writes it) and name. A picture is
// kept as its frame number: its bytes are made again when it is downloaded, so a long time-lapse
// costs no memory.
class PictureStore {
  public:
    // Replaces a picture of the same path.
    void put(const std::string& folder, const std::string& name, int frame);
    // The frame number, or -1 if there is no such picture.
    int frame(const std::string& folder, const std::string& name) const;
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
        int frame;
    };
    std::vector<Picture> pictures_;
};

} // namespace simcam
