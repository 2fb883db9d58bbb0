// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_widgets.h"

#include <cstdlib>

namespace simcam {
namespace {

bool holds_value(CameraWidgetType type) {
    return type != GP_WIDGET_WINDOW && type != GP_WIDGET_SECTION && type != GP_WIDGET_BUTTON;
}

std::string value_text(CameraWidget* widget, CameraWidgetType type) {
    if (type == GP_WIDGET_TOGGLE || type == GP_WIDGET_DATE) {
        int number = 0;
        gp_widget_get_value(widget, &number);
        return std::to_string(number);
    }
    if (type == GP_WIDGET_RANGE) {
        float number = 0;
        gp_widget_get_value(widget, &number);
        return range_text(number);
    }
    const char* text = nullptr;
    gp_widget_get_value(widget, &text);
    return text ? text : "";
}

void set_value(CameraWidget* widget, const ConfigNode& node) {
    if (node.type == GP_WIDGET_TOGGLE || node.type == GP_WIDGET_DATE) {
        int number = std::atoi(node.value.c_str());
        gp_widget_set_value(widget, &number);
    } else if (node.type == GP_WIDGET_RANGE) {
        gp_widget_set_range(widget, node.min, node.max, node.step);
        float number = std::strtof(node.value.c_str(), nullptr);
        gp_widget_set_value(widget, &number);
    } else {
        for (const std::string& choice : node.choices)
            gp_widget_add_choice(widget, choice.c_str());
        gp_widget_set_value(widget, node.value.c_str());
    }
}

void take_into(CameraWidget* widget, ConfigNode& node, std::vector<std::string>& changes) {
    CameraWidgetType type;
    if (gp_widget_get_type(widget, &type) != GP_OK || type != node.type)
        return;
    if (holds_value(type)) {
        std::string value = value_text(widget, type);
        if (value != node.value) {
            changes.push_back((node.name.empty() ? node.label : node.name) + "=" + value);
            node.value = value;
        }
    }
    const int count = gp_widget_count_children(widget);
    for (int i = 0; i < count && i < static_cast<int>(node.children.size()); ++i) {
        CameraWidget* child = nullptr;
        if (gp_widget_get_child(widget, i, &child) == GP_OK)
            take_into(child, node.children[i], changes);
    }
}

} // namespace

CameraWidget* make_widgets(const ConfigNode& node) {
    CameraWidget* widget = nullptr;
    gp_widget_new(node.type, node.label.c_str(), &widget);
    gp_widget_set_name(widget, node.name.c_str());
    if (holds_value(node.type)) {
        set_value(widget, node);
        // A fresh tree shows nothing as changed, as a real camera's does.
        gp_widget_set_changed(widget, 0);
    }
    for (const ConfigNode& child : node.children)
        gp_widget_append(widget, make_widgets(child));
    return widget;
}

std::vector<std::string> take_values(CameraWidget* widget, ConfigNode& node) {
    std::vector<std::string> changes;
    take_into(widget, node, changes);
    return changes;
}

ConfigNode* find_setting(ConfigNode& node, const std::string& name) {
    const bool setting = node.type != GP_WIDGET_WINDOW && node.type != GP_WIDGET_SECTION;
    if (setting && !name.empty() && node.name == name)
        return &node;
    for (ConfigNode& child : node.children)
        if (ConfigNode* found = find_setting(child, name))
            return found;
    return nullptr;
}

ConfigNode* find_keyed(ConfigNode& node, const std::string& key) {
    const bool setting = node.type != GP_WIDGET_WINDOW && node.type != GP_WIDGET_SECTION;
    if (setting && (node.name.empty() ? node.label : node.name) == key)
        return &node;
    for (ConfigNode& child : node.children)
        if (ConfigNode* found = find_keyed(child, key))
            return found;
    return nullptr;
}

} // namespace simcam
