#include "camera/detection.h"

#include "app/series_page.h"
#include "app/vantlow.h"
#include "camera/camera_handle.h"
#include "camera/settings_page.h"

#include <gphoto2/gphoto2-result.h>
#include <iostream>

namespace {

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

// What the user can do about a failed open, or an empty text when there is nothing to say.
wxString failure_advice(int result) {
    if (result == GP_ERROR_IO_LOCK)
        return "Failed to initialise camera. Please check the camera is unmounted and that no "
               "other applications are using it, then re-initialise or restart the program to "
               "enable camera paramaters.";
    if (result == GP_ERROR_MODEL_NOT_FOUND)
        return "Failed to initialise camera. Please check the camera is turned on, then "
               "re-initialise or restart the program to enable camera paramaters.";
    return wxEmptyString;
}

} // namespace

wxWindow* initialise_camera(wxWindow* page) {
    int result = open_camera();
    if (result != GP_OK) {
        wxString advice = failure_advice(result);
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
        CameraWidget* root;
        if (gp_camera_get_config(cameraHandle.camera, &root, cameraHandle.context) == GP_OK) {
            add_parameter_controls(page, root);
            gp_widget_free(root);
        }
    }
    std::cout << std::endl;
    return page;
}

void MyFrame::DetectCamera(wxCommandEvent&) {
    gp_camera_exit(cameraHandle.camera, cameraHandle.context);
    int result = open_camera();
    if (result != GP_OK) {
        wxString advice = failure_advice(result);
        if (!advice.empty())
            wxLogError(advice);
    } else {
        std::cout << "Camera initialised." << std::endl;
        captureButton->Enable(true);
        startButton->Enable(true);
        SetStatusText("Camera initialised.", 0);
    }
    std::cout << std::endl;
}
