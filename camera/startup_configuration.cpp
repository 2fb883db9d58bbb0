// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/startup_configuration.h"

#include "camera/camera_handle.h"

namespace {

CameraWidget* startupRoot = nullptr;

} // namespace

void keep_startup_configuration(CameraWidget* root) {
    if (startupRoot)
        gp_widget_free(startupRoot);
    startupRoot = root;
}

CameraWidget* startup_widget(const char* key) {
    CameraWidget* widget;
    if (!startupRoot || find_widget_in_tree(startupRoot, key, &widget) != GP_OK)
        return nullptr;
    return widget;
}

CameraWidget* startup_setting(const char* key) {
    CameraWidget* widget = startup_widget(key);
    const char* name = nullptr;
    CameraWidget* named;
    if (!widget || gp_widget_get_name(widget, &name) != GP_OK || !name || !*name ||
        gp_widget_get_child_by_name(startupRoot, name, &named) != GP_OK || named != widget)
        return nullptr;
    return widget;
}
