// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture_fixture.h"

#include "app/series_page.h"
#include "camera/camera_handle.h"
#include "display/display.h"

#include <algorithm>
#include <filesystem>

CapturePass::CapturePass(const std::string& scenario)
    : camera(scenario), startDirectory(wxGetCwd()) {
    use_directory(work.path());
    thumbnails.clear();
    previewBitmap = wxBitmap();
    camera.clear_log();
}

CapturePass::~CapturePass() {
    wxSetWorkingDirectory(startDirectory);
}

void CapturePass::use_directory(const std::string& dir) {
    // What picking a folder does: the picker shows it and it becomes the current directory.
    directoryPicker->SetPath(wxString::FromUTF8(dir));
    wxSetWorkingDirectory(wxString::FromUTF8(dir));
}

std::string CapturePass::press_capture() {
    StdoutCapture console;
    click(captureButton);
    EXPECT_TRUE(wait_for_camera()) << "the pass did not end";
    return console.text();
}

std::string CapturePass::status() const {
    return frame->GetStatusBar()->GetStatusText(0).utf8_string();
}

std::vector<std::string> CapturePass::files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(work.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string CapturePass::camera_file(const std::string& folder, const std::string& name) const {
    CameraFile* file;
    gp_file_new(&file);
    std::string bytes;
    if (gp_camera_file_get(cameraHandle.camera, folder.c_str(), name.c_str(), GP_FILE_TYPE_NORMAL,
                           file, cameraHandle.context) == GP_OK) {
        const char* data;
        unsigned long size;
        gp_file_get_data_and_size(file, &data, &size);
        bytes.assign(data, size);
    }
    gp_file_unref(file);
    return bytes;
}
