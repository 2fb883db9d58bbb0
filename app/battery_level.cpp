// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/battery_level.h"

#include "camera/camera_handle.h"

#include <cstdio>

std::optional<std::string> read_battery_level() {
    const CameraFunctions* functions =
        cameraHandle.camera ? cameraHandle.camera->functions : nullptr;
    if (!functions || !functions->get_single_config)
        return std::nullopt;
    CameraWidget* widget = nullptr;
    if (gp_camera_get_single_config(cameraHandle.camera, "batterylevel", &widget,
                                    cameraHandle.context) != GP_OK)
        return std::nullopt;
    std::optional<std::string> level;
    CameraWidgetType type;
    gp_widget_get_type(widget, &type);
    if (type == GP_WIDGET_TEXT) {
        const char* text = nullptr;
        if (gp_widget_get_value(widget, &text) == GP_OK && text && *text)
            level = text;
    } else if (type == GP_WIDGET_RANGE) {
        float value = 0;
        if (gp_widget_get_value(widget, &value) == GP_OK) {
            char text[16];
            std::snprintf(text, sizeof text, "%.0f%%", value);
            level = text;
        }
    }
    gp_widget_free(widget);
    return level;
}
