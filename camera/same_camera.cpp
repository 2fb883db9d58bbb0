// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/same_camera.h"

#include "camera/camera_handle.h"

#include <gphoto2/gphoto2-list.h>
#include <gphoto2/gphoto2-port-info-list.h>
#include <gphoto2/gphoto2-result.h>
#include <string>

namespace {

struct Body {
    bool known = false;
    CameraAbilities abilities; // of its model: a new object needs them to open on a given port
    std::string serial;        // empty when the camera reports none
};

Body& remembered() {
    static Body body;
    return body;
}

// Where the driver reads single settings the read costs one setting; else libgphoto2 reads the
// whole configuration.
std::string serial_number(Camera* camera) {
    CameraWidget* widget = nullptr;
    if (gp_camera_get_single_config(camera, "serialnumber", &widget, cameraHandle.context) != GP_OK)
        return "";
    std::string serial;
    CameraWidgetType type;
    const char* value = nullptr;
    if (gp_widget_get_type(widget, &type) == GP_OK && type == GP_WIDGET_TEXT &&
        gp_widget_get_value(widget, &value) == GP_OK && value)
        serial = value;
    gp_widget_free(widget);
    return serial;
}

int set_port(Camera* camera, const char* path) {
    GPPortInfoList* ports = nullptr;
    int result = gp_port_info_list_new(&ports);
    if (result != GP_OK)
        return result;
    result = gp_port_info_list_load(ports);
    int index = result < GP_OK ? result : gp_port_info_list_lookup_path(ports, path);
    GPPortInfo info;
    result = index < GP_OK ? index : gp_port_info_list_get_info(ports, index, &info);
    if (result >= GP_OK)
        result = gp_camera_set_port_info(camera, info);
    gp_port_info_list_free(ports);
    return result < GP_OK ? result : GP_OK;
}

// A new object every time: one whose opening failed may refuse every later call.
int open_on_port(const char* path, Camera** opened) {
    const Body& body = remembered();
    Camera* camera = nullptr;
    int result = gp_camera_new(&camera);
    if (result != GP_OK)
        return result;
    result = gp_camera_set_abilities(camera, body.abilities);
    if (result == GP_OK)
        result = set_port(camera, path);
    if (result == GP_OK)
        result = gp_camera_init(camera, cameraHandle.context);
    if (result == GP_OK && !body.serial.empty() && serial_number(camera) != body.serial) {
        gp_camera_exit(camera, cameraHandle.context);
        result = GP_ERROR_MODEL_NOT_FOUND;
    }
    if (result != GP_OK) {
        gp_camera_unref(camera);
        return result;
    }
    *opened = camera;
    return GP_OK;
}

} // namespace

void remember_open_camera() {
    Body& body = remembered();
    body.known = gp_camera_get_abilities(cameraHandle.camera, &body.abilities) == GP_OK;
    body.serial = body.known ? serial_number(cameraHandle.camera) : "";
}

int reopen_same_camera() {
    const Body& body = remembered();
    if (!body.known)
        return GP_ERROR_MODEL_NOT_FOUND;
    // The lost object is closed at the first try; later ones find it closed.
    gp_camera_exit(cameraHandle.camera, cameraHandle.context);
    CameraList* list = nullptr;
    int result = gp_list_new(&list);
    if (result != GP_OK)
        return result;
    result = gp_camera_autodetect(list, cameraHandle.context);
    const int found = result < GP_OK ? 0 : gp_list_count(list);
    result = result < GP_OK ? result : GP_ERROR_MODEL_NOT_FOUND;
    Camera* camera = nullptr;
    for (int i = 0; i < found && !camera; ++i) {
        const char* model = nullptr;
        const char* port = nullptr;
        if (gp_list_get_name(list, i, &model) != GP_OK ||
            gp_list_get_value(list, i, &port) != GP_OK ||
            std::string(model) != body.abilities.model)
            continue;
        result = open_on_port(port, &camera);
    }
    gp_list_free(list);
    if (camera) {
        gp_camera_unref(cameraHandle.camera);
        cameraHandle.camera = camera;
    }
    return result;
}
