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

bool offers_single_settings(const std::vector<ParameterSetting>& settings) {
    const CameraFunctions* functions = cameraHandle.camera->functions;
    if (!functions || !functions->set_single_config)
        return false;
    for (const ParameterSetting& setting : settings)
        if (!single_setting_widget(setting.key))
            return false;
    return true;
}

void write_single_settings(const std::vector<ParameterSetting>& settings) {
    for (const ParameterSetting& setting : settings) {
        CameraWidget* widget = single_setting_widget(setting.key);
        int result = set_widget_value(widget, setting.value.c_str());
        if (result == GP_OK) {
            const char* name = nullptr;
            gp_widget_get_name(widget, &name);
            result = gp_camera_set_single_config(cameraHandle.camera, name, widget,
                                                 cameraHandle.context);
        }
        print_setting(setting, result);
    }
}

// Each setting's result is its conversion's, or the one write's; so the lines come after it.
void write_whole_configuration(const std::vector<ParameterSetting>& settings) {
    CameraWidget* root = nullptr;
    const int read = gp_camera_get_config(cameraHandle.camera, &root, cameraHandle.context);
    std::vector<int> results(settings.size(), read);
    bool anySet = false;
    if (read == GP_OK) {
        for (size_t i = 0; i < settings.size(); ++i) {
            CameraWidget* widget;
            results[i] = find_widget_in_tree(root, settings[i].key.c_str(), &widget);
            if (results[i] == GP_OK)
                results[i] = set_widget_value(widget, settings[i].value.c_str());
            anySet = anySet || results[i] == GP_OK;
        }
        if (anySet) {
            const int written =
                gp_camera_set_config(cameraHandle.camera, root, cameraHandle.context);
            for (int& result : results)
                if (result == GP_OK)
                    result = written;
        }
        gp_widget_free(root);
    }
    for (size_t i = 0; i < settings.size(); ++i)
        print_setting(settings[i], results[i]);
}

} // namespace

void write_parameters(const std::vector<ParameterSetting>& settings) {
    if (settings.empty())
        return;
    if (offers_single_settings(settings))
        write_single_settings(settings);
    else
        write_whole_configuration(settings);
}
