// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/parameter_writer.h"

#include "camera/camera_handle.h"

#include <iostream>

CameraWidget* startupConfiguration = nullptr;

void keep_startup_configuration(CameraWidget* root) {
    if (startupConfiguration)
        gp_widget_free(startupConfiguration);
    startupConfiguration = root;
}

namespace {

void print_setting(const ParameterSetting& setting, int result) {
    std::cout << "Paramater:\t" << setting.key << std::endl;
    std::cout << "Value:\t\t" << setting.value << std::endl;
    if (result != GP_OK)
        std::cout << "Error setting paramater:\t" << result << std::endl;
}

// The widget of the start-up configuration that a single-setting write of the key reaches: one
// that the driver can find by its own name.
CameraWidget* single_setting_widget(const std::string& key) {
    CameraWidget* widget;
    if (!startupConfiguration ||
        find_widget_in_tree(startupConfiguration, key.c_str(), &widget) != GP_OK)
        return nullptr;
    const char* name = nullptr;
    CameraWidget* named;
    if (gp_widget_get_name(widget, &name) != GP_OK || !name || !*name ||
        gp_widget_get_child_by_name(startupConfiguration, name, &named) != GP_OK || named != widget)
        return nullptr;
    return widget;
}

bool offers_single_settings() {
    const CameraFunctions* functions = cameraHandle.camera->functions;
    return functions && functions->set_single_config;
}

// The start-up configuration holds what the camera was last known to take, so a box whose text
// it already holds costs no round trip.
int write_single_setting(const ParameterSetting& setting) {
    CameraWidget* widget = single_setting_widget(setting.key);
    CameraWidgetType type;
    const char* held = nullptr;
    // Only these hold their value as text.
    if (gp_widget_get_type(widget, &type) != GP_OK ||
        (type != GP_WIDGET_RADIO && type != GP_WIDGET_MENU && type != GP_WIDGET_TEXT) ||
        gp_widget_get_value(widget, &held) != GP_OK)
        held = nullptr;
    if (held && setting.value == held)
        return GP_OK;
    const std::string before = held ? held : "";
    int result = set_widget_value(widget, setting.value.c_str());
    if (result != GP_OK)
        return result;
    const char* name = nullptr;
    gp_widget_get_name(widget, &name);
    result = gp_camera_set_single_config(cameraHandle.camera, name, widget, cameraHandle.context);
    if (result != GP_OK)
        gp_widget_set_value(widget, before.c_str());
    return result;
}

// Sets the chosen settings in one tree read from the camera and writes it once. Each result is
// the setting's conversion's, or the one write's.
void write_whole_configuration(const std::vector<ParameterSetting>& settings,
                               const std::vector<size_t>& chosen, std::vector<int>& results) {
    CameraWidget* root = nullptr;
    const int read = gp_camera_get_config(cameraHandle.camera, &root, cameraHandle.context);
    std::vector<size_t> set;
    for (size_t i : chosen) {
        CameraWidget* widget;
        results[i] = read;
        if (read == GP_OK)
            results[i] = find_widget_in_tree(root, settings[i].key.c_str(), &widget);
        if (results[i] == GP_OK)
            results[i] = set_widget_value(widget, settings[i].value.c_str());
        if (results[i] == GP_OK)
            set.push_back(i);
    }
    if (!set.empty()) {
        const int written = gp_camera_set_config(cameraHandle.camera, root, cameraHandle.context);
        for (size_t i : set)
            results[i] = written;
    }
    if (read == GP_OK)
        gp_widget_free(root);
}

} // namespace

void write_parameters(const std::vector<ParameterSetting>& settings) {
    std::vector<int> results(settings.size(), GP_OK);
    std::vector<size_t> whole;
    const bool single = offers_single_settings();
    for (size_t i = 0; i < settings.size(); ++i) {
        if (single && single_setting_widget(settings[i].key))
            results[i] = write_single_setting(settings[i]);
        else
            whole.push_back(i);
    }
    if (!whole.empty())
        write_whole_configuration(settings, whole, results);
    // The lines wait for the results of the one write.
    for (size_t i = 0; i < settings.size(); ++i)
        print_setting(settings[i], results[i]);
}

int write_setting(const ParameterSetting& setting) {
    if (offers_single_settings() && single_setting_widget(setting.key))
        return write_single_setting(setting);
    std::vector<int> results(1, GP_OK);
    write_whole_configuration({setting}, {0}, results);
    return results[0];
}
