// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/parameter_writer.h"

#include "camera/camera_handle.h"
#include "camera/startup_configuration.h"

#include <iostream>

namespace {

void print_setting(const ParameterSetting& setting, int result) {
    std::cout << "Paramater:\t" << setting.key << std::endl;
    std::cout << "Value:\t\t" << setting.value << std::endl;
    if (result != GP_OK)
        std::cout << "Error setting paramater:\t" << result << std::endl;
}

bool offers_single_settings() {
    const CameraFunctions* functions = cameraHandle.camera->functions;
    return functions && functions->set_single_config;
}

// A widget of the start-up one's type, name, choices and range, holding no value yet: the
// conversion needs the choices, and the start-up tree keeps what the camera held then.
CameraWidget* blank_copy(CameraWidget* known) {
    CameraWidgetType type;
    const char* label = "";
    const char* name = "";
    gp_widget_get_type(known, &type);
    gp_widget_get_label(known, &label);
    gp_widget_get_name(known, &name);
    CameraWidget* copy = nullptr;
    if (gp_widget_new(type, label, &copy) != GP_OK)
        return nullptr;
    gp_widget_set_name(copy, name);
    if (type == GP_WIDGET_RADIO || type == GP_WIDGET_MENU) {
        for (int i = 0; i < gp_widget_count_choices(known); ++i) {
            const char* choice = nullptr;
            if (gp_widget_get_choice(known, i, &choice) == GP_OK)
                gp_widget_add_choice(copy, choice);
        }
    } else if (type == GP_WIDGET_RANGE) {
        float min, max, step;
        if (gp_widget_get_range(known, &min, &max, &step) == GP_OK)
            gp_widget_set_range(copy, min, max, step);
    }
    return copy;
}

int write_single_setting(CameraWidget* known, const std::string& value) {
    CameraWidget* widget = blank_copy(known);
    if (!widget)
        return GP_ERROR_NO_MEMORY;
    int result = set_widget_value(widget, value.c_str());
    if (result == GP_OK) {
        // A value equal to the blank one would otherwise not count as a change.
        gp_widget_set_changed(widget, 1);
        const char* name = nullptr;
        gp_widget_get_name(widget, &name);
        result =
            gp_camera_set_single_config(cameraHandle.camera, name, widget, cameraHandle.context);
    }
    gp_widget_free(widget);
    return result;
}

// Sets the chosen settings in one tree read from the camera and writes it once. A setting that
// does not convert gets its own result at once; when the read or the write fails, the others
// are written one by one.
void write_whole_configuration(const std::vector<ParameterSetting>& settings,
                               const std::vector<size_t>& chosen, std::vector<int>& results) {
    CameraWidget* root = nullptr;
    const int read = gp_camera_get_config(cameraHandle.camera, &root, cameraHandle.context);
    std::vector<size_t> carried = chosen;
    if (read == GP_OK) {
        carried.clear();
        for (size_t i : chosen) {
            CameraWidget* widget;
            results[i] = find_widget_in_tree(root, settings[i].key.c_str(), &widget);
            if (results[i] == GP_OK)
                results[i] = set_widget_value(widget, settings[i].value.c_str());
            if (results[i] == GP_OK)
                carried.push_back(i);
        }
        const int written =
            carried.empty() ? GP_OK
                            : gp_camera_set_config(cameraHandle.camera, root, cameraHandle.context);
        gp_widget_free(root);
        if (written == GP_OK)
            return;
    }
    for (size_t i : carried)
        results[i] =
            set_config_value(&cameraHandle, settings[i].key.c_str(), settings[i].value.c_str());
}

std::vector<int> apply_settings(const std::vector<ParameterSetting>& settings) {
    std::vector<int> results(settings.size(), GP_OK);
    std::vector<size_t> whole;
    const bool single = offers_single_settings();
    for (size_t i = 0; i < settings.size(); ++i) {
        CameraWidget* known = single ? startup_setting(settings[i].key.c_str()) : nullptr;
        if (known)
            results[i] = write_single_setting(known, settings[i].value);
        else
            whole.push_back(i);
    }
    if (!whole.empty())
        write_whole_configuration(settings, whole, results);
    return results;
}

} // namespace

void write_parameters(const std::vector<ParameterSetting>& settings) {
    const std::vector<int> results = apply_settings(settings);
    // The lines wait for the results of the one write.
    for (size_t i = 0; i < settings.size(); ++i)
        print_setting(settings[i], results[i]);
}

int write_setting(const ParameterSetting& setting) {
    return apply_settings({setting})[0];
}
