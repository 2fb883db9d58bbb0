// SPDX-License-Identifier: GPL-3.0-or-later
#include "camera_session.h"

#include <cstdio>

namespace {

void split(const std::string& path, std::string& folder, std::string& name) {
    const size_t slash = path.rfind('/');
    folder = slash == 0 ? "/" : path.substr(0, slash);
    name = path.substr(slash + 1);
}

std::vector<std::string> names_in(CameraList* list) {
    std::vector<std::string> names;
    for (int i = 0; i < gp_list_count(list); ++i) {
        const char* name = nullptr;
        gp_list_get_name(list, i, &name);
        names.push_back(name ? name : "");
    }
    return names;
}

std::string contents_of(CameraFile* file) {
    const char* data = nullptr;
    unsigned long size = 0;
    gp_file_get_data_and_size(file, &data, &size);
    return data ? std::string(data, size) : std::string();
}

const char* type_word(CameraWidgetType type) {
    switch (type) {
    case GP_WIDGET_WINDOW:
        return "window";
    case GP_WIDGET_SECTION:
        return "section";
    case GP_WIDGET_TEXT:
        return "text";
    case GP_WIDGET_RANGE:
        return "range";
    case GP_WIDGET_TOGGLE:
        return "toggle";
    case GP_WIDGET_RADIO:
        return "radio";
    case GP_WIDGET_MENU:
        return "menu";
    case GP_WIDGET_BUTTON:
        return "button";
    case GP_WIDGET_DATE:
        return "date";
    }
    return "?";
}

void describe_into(CameraWidget* widget, int depth, std::string& out) {
    const CameraWidgetType type = type_of(widget);
    out += std::string(2 * depth, ' ') + type_word(type) + " \"" + name_of(widget) + "\" \"" +
           label_of(widget) + "\"";
    if (type == GP_WIDGET_TEXT || type == GP_WIDGET_RADIO || type == GP_WIDGET_MENU)
        out += " value=\"" + text_of(widget) + "\"";
    if (type == GP_WIDGET_TOGGLE || type == GP_WIDGET_DATE) {
        int value = 0;
        gp_widget_get_value(widget, &value);
        out += " value=" + std::to_string(value);
    }
    if (type == GP_WIDGET_RANGE) {
        float value = 0, min = 0, max = 0, step = 0;
        gp_widget_get_value(widget, &value);
        gp_widget_get_range(widget, &min, &max, &step);
        char text[96];
        std::snprintf(text, sizeof text, " value=%g min=%g max=%g step=%g", value, min, max, step);
        out += text;
    }
    for (int i = 0; i < gp_widget_count_choices(widget); ++i) {
        const char* choice = nullptr;
        gp_widget_get_choice(widget, i, &choice);
        out += std::string(" choice=\"") + (choice ? choice : "") + "\"";
    }
    out += "\n";
    for (int i = 0; i < gp_widget_count_children(widget); ++i)
        describe_into(child_of(widget, i), depth + 1, out);
}

} // namespace

CameraSession::CameraSession() {
    context_ = gp_context_new();
    gp_camera_new(&camera_);
}

CameraSession::~CameraSession() {
    gp_camera_free(camera_);
    gp_context_unref(context_);
}

int CameraSession::init() {
    return gp_camera_init(camera_, context_);
}

int CameraSession::exit() {
    return gp_camera_exit(camera_, context_);
}

int CameraSession::capture(std::string& path) {
    CameraFilePath where = {};
    const int result = gp_camera_capture(camera_, GP_CAPTURE_IMAGE, &where, context_);
    if (result == GP_OK)
        path =
            std::string(where.folder) + (std::string(where.folder) == "/" ? "" : "/") + where.name;
    return result;
}

int CameraSession::fetch(const std::string& path, CameraFile* file) {
    std::string folder, name;
    split(path, folder, name);
    return gp_camera_file_get(camera_, folder.c_str(), name.c_str(), GP_FILE_TYPE_NORMAL, file,
                              context_);
}

int CameraSession::download(const std::string& path, std::string& bytes) {
    CameraFile* file = nullptr;
    gp_file_new(&file);
    const int result = fetch(path, file);
    if (result == GP_OK)
        bytes = contents_of(file);
    gp_file_free(file);
    return result;
}

int CameraSession::save(const std::string& path, const std::string& destination) {
    CameraFile* file = nullptr;
    gp_file_new(&file);
    int result = fetch(path, file);
    if (result == GP_OK)
        result = gp_file_save(file, destination.c_str());
    gp_file_free(file);
    return result;
}

int CameraSession::remove(const std::string& path) {
    std::string folder, name;
    split(path, folder, name);
    return gp_camera_file_delete(camera_, folder.c_str(), name.c_str(), context_);
}

std::vector<std::string> CameraSession::files(const std::string& folder) {
    CameraList* list = nullptr;
    gp_list_new(&list);
    gp_camera_folder_list_files(camera_, folder.c_str(), list, context_);
    std::vector<std::string> names = names_in(list);
    gp_list_free(list);
    return names;
}

std::vector<std::string> CameraSession::folders(const std::string& folder) {
    CameraList* list = nullptr;
    gp_list_new(&list);
    gp_camera_folder_list_folders(camera_, folder.c_str(), list, context_);
    std::vector<std::string> names = names_in(list);
    gp_list_free(list);
    return names;
}

int CameraSession::get_config(WidgetTree& tree) {
    CameraWidget* window = nullptr;
    const int result = gp_camera_get_config(camera_, &window, context_);
    tree.reset(result == GP_OK ? window : nullptr);
    return result;
}

int CameraSession::set_config(const WidgetTree& tree) {
    return gp_camera_set_config(camera_, tree.get(), context_);
}

int CameraSession::get_single(const std::string& name, WidgetTree& widget) {
    CameraWidget* found = nullptr;
    const int result = gp_camera_get_single_config(camera_, name.c_str(), &found, context_);
    widget.reset(result == GP_OK ? found : nullptr);
    return result;
}

int CameraSession::set_single(const std::string& name, const WidgetTree& widget) {
    return gp_camera_set_single_config(camera_, name.c_str(), widget.get(), context_);
}

int CameraSession::preview(std::string& bytes) {
    CameraFile* file = nullptr;
    gp_file_new(&file);
    const int result = gp_camera_capture_preview(camera_, file, context_);
    bytes = result == GP_OK ? contents_of(file) : "";
    gp_file_free(file);
    return result;
}

CameraWidget* child_of(CameraWidget* widget, int index) {
    CameraWidget* child = nullptr;
    gp_widget_get_child(widget, index, &child);
    return child;
}

std::string name_of(CameraWidget* widget) {
    const char* name = nullptr;
    gp_widget_get_name(widget, &name);
    return name ? name : "";
}

std::string label_of(CameraWidget* widget) {
    const char* label = nullptr;
    gp_widget_get_label(widget, &label);
    return label ? label : "";
}

CameraWidgetType type_of(CameraWidget* widget) {
    CameraWidgetType type = GP_WIDGET_WINDOW;
    gp_widget_get_type(widget, &type);
    return type;
}

std::string text_of(CameraWidget* widget) {
    const char* text = nullptr;
    gp_widget_get_value(widget, &text);
    return text ? text : "";
}

std::string describe(CameraWidget* widget) {
    std::string out;
    describe_into(widget, 0, out);
    return out;
}
