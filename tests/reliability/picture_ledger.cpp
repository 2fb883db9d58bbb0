// SPDX-License-Identifier: GPL-3.0-or-later
#include "reliability/picture_ledger.h"

#include "record/series_record.h"

#include "picture.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gphoto2/gphoto2.h>

namespace {

const std::string captureFolder = "/DCIM/100SIMCM";

struct Captured {
    std::string name;
    int frame;
};

// The camera logs "capture /DCIM/100SIMCM/IMG_0007.JPG" for each picture it took.
std::vector<Captured> captured_pictures(const SimcamScenario& camera) {
    const std::string prefix = "capture " + captureFolder + "/";
    std::vector<Captured> pictures;
    for (const std::string& line : camera.log()) {
        if (line.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string name = line.substr(prefix.size());
        const auto digit = name.find_first_of("0123456789");
        if (digit != std::string::npos)
            pictures.push_back({name, std::atoi(name.c_str() + digit)});
    }
    return pictures;
}

} // namespace

std::string camera_picture(int frame, int width, int height) {
    return simcam::make_jpeg(frame, width, height);
}

std::vector<std::string> camera_listing() {
    std::vector<std::string> names;
    GPContext* context = gp_context_new();
    Camera* camera = nullptr;
    gp_camera_new(&camera);
    CameraList* list = nullptr;
    gp_list_new(&list);
    if (gp_camera_init(camera, context) == GP_OK &&
        gp_camera_folder_list_files(camera, captureFolder.c_str(), list, context) == GP_OK) {
        for (int i = 0; i < gp_list_count(list); ++i) {
            const char* name = nullptr;
            if (gp_list_get_name(list, i, &name) == GP_OK)
                names.push_back(name);
        }
    }
    gp_list_free(list);
    gp_camera_exit(camera, context);
    gp_camera_unref(camera);
    gp_context_unref(context);
    return names;
}

PictureCount count_pictures(const SimcamScenario& camera, const std::string& folder, int width,
                            int height) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && !is_series_record_name(entry.path().filename().string()))
            files.push_back(read_file(entry.path().string()));
    std::vector<bool> matched(files.size(), false);
    const std::vector<std::string> listed = camera_listing();

    PictureCount count;
    for (const Captured& picture : captured_pictures(camera)) {
        ++count.captured;
        const std::string bytes = camera_picture(picture.frame, width, height);
        bool found = false;
        for (size_t i = 0; i < files.size() && !found; ++i) {
            if (!matched[i] && files[i] == bytes)
                matched[i] = found = true;
        }
        if (found) {
            ++count.onDisk;
        } else if (std::find(listed.begin(), listed.end(), picture.name) != listed.end()) {
            ++count.onCamera;
        } else {
            ++count.lost;
            count.lostNames.push_back(picture.name);
        }
    }
    count.strays = static_cast<int>(std::count(matched.begin(), matched.end(), false));
    return count;
}
