// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera/camera_handle.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <strings.h>

CameraHandle cameraHandle;

void init_camera_handle(CameraHandle* handle) {
    if (!handle)
        return;
    // Re-detection replaces the conversation; the caller has already closed the camera.
    if (handle->camera)
        gp_camera_unref(handle->camera);
    if (handle->context)
        gp_context_unref(handle->context);
    free(handle->folder);
    *handle = CameraHandle{};
    handle->folder = strdup("/");
    gp_camera_new(&handle->camera);
    handle->context = gp_context_new();
}

namespace {

bool find_child(CameraWidget* parent, const char* key, CameraWidget** child) {
    return gp_widget_get_child_by_name(parent, key, child) == GP_OK ||
           gp_widget_get_child_by_label(parent, key, child) == GP_OK;
}

// Walks "a/b/c" one component at a time. A last component that matches nothing leaves the
// deepest widget matched so far; a missing component in the middle is an error.
int find_by_path(CameraWidget* root, const char* path, CameraWidget** widget) {
    char* copy = strdup(path);
    if (!copy)
        return GP_ERROR_NO_MEMORY;
    CameraWidget* current = root;
    char* component = copy + strspn(copy, "/");
    int result = GP_OK;
    for (;;) {
        char* slash = strchr(component, '/');
        if (slash)
            *slash = '\0';
        CameraWidget* found = nullptr;
        bool matched = find_child(current, component, &found);
        if (matched)
            current = found;
        if (!slash)
            break;
        if (!matched) {
            result = GP_ERROR;
            break;
        }
        component = slash + 1;
        component += strspn(component, "/");
    }
    free(copy);
    *widget = current;
    return result;
}

// 1 or 0 for the usual spellings of on and off, -1 for anything else.
int toggle_state(const char* text) {
    for (const char* on : {"1", "on", "true", "yes"})
        if (strcasecmp(text, on) == 0)
            return 1;
    for (const char* off : {"0", "off", "false", "no"})
        if (strcasecmp(text, off) == 0)
            return 0;
    return -1;
}

int set_toggle(CameraWidget* widget, const char* text) {
    int value = toggle_state(text);
    if (value < 0)
        return GP_ERROR_BAD_PARAMETERS;
    return gp_widget_set_value(widget, &value);
}

int set_range(CameraWidget* widget, const char* text) {
    float min, max, step, value;
    int result = gp_widget_get_range(widget, &min, &max, &step);
    if (result != GP_OK)
        return result;
    if (sscanf(text, "%f", &value) != 1 || !std::isfinite(value) || value < min || value > max)
        return GP_ERROR_BAD_PARAMETERS;
    return gp_widget_set_value(widget, &value);
}

int set_date(CameraWidget* widget, const char* text) {
    int value = -1;
    if (sscanf(text, "%d", &value) == 0)
        return GP_ERROR_BAD_PARAMETERS;
    return gp_widget_set_value(widget, &value);
}

// The text is taken as a choice's text first, then as a choice's index.
int set_choice(CameraWidget* widget, const char* text) {
    int count = gp_widget_count_choices(widget);
    if (count < 0)
        return count;
    const char* choice = nullptr;
    for (int i = 0; i < count; ++i) {
        if (gp_widget_get_choice(widget, i, &choice) == GP_OK && strcmp(choice, text) == 0)
            return gp_widget_set_value(widget, text);
    }
    int index;
    if (sscanf(text, "%d", &index) == 1 && index >= 0 && index < count) {
        int result = gp_widget_get_choice(widget, index, &choice);
        return result == GP_OK ? gp_widget_set_value(widget, choice) : result;
    }
    // Writing back an unchanged configuration would report a value the camera never took.
    return GP_ERROR_BAD_PARAMETERS;
}

} // namespace

int set_widget_value(CameraWidget* widget, const char* text) {
    CameraWidgetType type;
    int result = gp_widget_get_type(widget, &type);
    if (result != GP_OK)
        return result;
    switch (type) {
    case GP_WIDGET_WINDOW:
    case GP_WIDGET_SECTION:
    case GP_WIDGET_BUTTON:
        return GP_ERROR_BAD_PARAMETERS;
    case GP_WIDGET_TEXT:
        return gp_widget_set_value(widget, text);
    case GP_WIDGET_TOGGLE:
        return set_toggle(widget, text);
    case GP_WIDGET_RANGE:
        return set_range(widget, text);
    case GP_WIDGET_DATE:
        return set_date(widget, text);
    case GP_WIDGET_RADIO:
    case GP_WIDGET_MENU:
        return set_choice(widget, text);
    }
    return GP_OK;
}

int find_widget_in_tree(CameraWidget* root, const char* name, CameraWidget** widget) {
    if (find_child(root, name, widget))
        return GP_OK;
    return find_by_path(root, name, widget);
}

int find_config_widget(CameraHandle* handle, const char* name, CameraWidget** widget,
                       CameraWidget** root) {
    int result = gp_camera_get_config(handle->camera, root, handle->context);
    if (result != GP_OK)
        return result;
    result = find_widget_in_tree(*root, name, widget);
    if (result != GP_OK)
        gp_widget_free(*root);
    return result;
}

int set_config_value(CameraHandle* handle, const char* name, const char* text) {
    CameraWidget* widget;
    CameraWidget* root;
    int result = find_config_widget(handle, name, &widget, &root);
    if (result != GP_OK)
        return result;
    result = set_widget_value(widget, text);
    if (result == GP_OK)
        result = gp_camera_set_config(handle->camera, root, handle->context);
    gp_widget_free(root);
    return result;
}
