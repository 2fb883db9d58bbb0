// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/live_view_camera.h"

#include "camera/camera_handle.h"
#include "camera/parameter_writer.h"
#include "camera/startup_configuration.h"

int fetch_preview_frame(std::string* frame) {
    CameraFile* file;
    int result = gp_file_new(&file);
    if (result != GP_OK)
        return result;
    result = gp_camera_capture_preview(cameraHandle.camera, file, cameraHandle.context);
    const char* data = nullptr;
    unsigned long size = 0;
    if (result == GP_OK)
        result = gp_file_get_data_and_size(file, &data, &size);
    if (result == GP_OK)
        frame->assign(data, size);
    gp_file_unref(file);
    return result;
}

void release_viewfinder() {
    // The settings known from start-up tell whether the camera has the toggle, without a read.
    CameraWidget* toggle = startup_setting("viewfinder");
    CameraWidgetType type;
    if (!toggle || gp_widget_get_type(toggle, &type) != GP_OK || type != GP_WIDGET_TOGGLE)
        return;
    write_setting({"viewfinder", "0"});
}
