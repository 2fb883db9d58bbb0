// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/detection.h"

#include "app/series_page.h"
#include "camera/camera_handle.h"
#include "camera/settings_page.h"
#include "camera/startup_configuration.h"

#include <gphoto2/gphoto2-result.h>
#include <iostream>
#include <wx/log.h>

namespace {

bool cameraOpen = false;

// Starts a fresh conversation and opens the camera, with its console lines.
int open_camera() {
    init_camera_handle(&cameraHandle);
    std::cout << "Detecting Camera." << std::endl << std::endl;
    int result = gp_camera_init(cameraHandle.camera, cameraHandle.context);
    if (result != GP_OK) {
        std::cout << "Failed to initialise camera:\t" << result << std::endl;
        std::cout << gp_result_as_string(result) << std::endl;
    }
    return result;
}

} // namespace

bool camera_is_open() {
    return cameraOpen;
}

void set_camera_open(bool open) {
    cameraOpen = open;
}

wxString camera_failure_advice(int result) {
    if (result == GP_ERROR_IO_LOCK)
        return "Failed to initialise camera. Please check the camera is unmounted and that no "
               "other applications are using it, then re-initialise or restart the program to "
               "enable camera paramaters.";
    if (result == GP_ERROR_MODEL_NOT_FOUND)
        return "Failed to initialise camera. Please check the camera is turned on, then "
               "re-initialise or restart the program to enable camera paramaters.";
    return wxEmptyString;
}

wxWindow* initialise_camera(wxWindow* page) {
    int result = open_camera();
    cameraOpen = result == GP_OK;
    if (result != GP_OK) {
        keep_startup_configuration(nullptr);
        wxString advice = camera_failure_advice(result);
        if (!advice.empty())
            wxLogError(advice);
        captureButton->Enable(false);
        startButton->Enable(false);
        stopButton->Enable(false);
    } else {
        std::cout << "Camera initialised." << std::endl << std::endl;
        captureButton->Enable(true);
        startButton->Enable(true);
        stopButton->Enable(false);
        // One read: the page is built from it, and single settings convert by it.
        CameraWidget* root = nullptr;
        if (gp_camera_get_config(cameraHandle.camera, &root, cameraHandle.context) != GP_OK)
            root = nullptr;
        keep_startup_configuration(root);
        if (root)
            add_parameter_controls(page, root);
    }
    std::cout << std::endl;
    return page;
}

int redetect_camera() {
    gp_camera_exit(cameraHandle.camera, cameraHandle.context);
    int result = open_camera();
    if (result == GP_OK)
        std::cout << "Camera initialised." << std::endl;
    std::cout << std::endl;
    return result;
}
