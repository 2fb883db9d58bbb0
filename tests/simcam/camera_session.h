// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gphoto2/gphoto2.h>

#include <memory>
#include <string>
#include <vector>

struct WidgetFree {
    void operator()(CameraWidget* widget) const { gp_widget_free(widget); }
};
using WidgetTree = std::unique_ptr<CameraWidget, WidgetFree>;

// A camera opened as the program opens it: no model or port given, so libgphoto2
// autodetects whatever CAMLIBS and IOLIBS offer.
class CameraSession {
  public:
    CameraSession();
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    int init();
    int exit();

    // Returns the libgphoto2 result; `path` becomes "/folder/name" on success.
    int capture(std::string& path);
    int download(const std::string& path, std::string& bytes);
    int save(const std::string& path, const std::string& destination);
    int remove(const std::string& path);
    std::vector<std::string> files(const std::string& folder);
    std::vector<std::string> folders(const std::string& folder);

    int get_config(WidgetTree& tree);
    int set_config(const WidgetTree& tree);
    // gp_camera_get_single_config / gp_camera_set_single_config: the driver's own, or
    // libgphoto2's emulation through the whole tree.
    int get_single(const std::string& name, WidgetTree& widget);
    int set_single(const std::string& name, const WidgetTree& widget);
    // One live view frame.
    int preview(std::string& bytes);

    Camera* camera() const { return camera_; }
    GPContext* context() const { return context_; }

  private:
    int fetch(const std::string& path, CameraFile* file);

    GPContext* context_ = nullptr;
    Camera* camera_ = nullptr;
};

// Widget tree helpers for tests: index-based, since names may be empty or repeated.
CameraWidget* child_of(CameraWidget* widget, int index);
std::string name_of(CameraWidget* widget);
std::string label_of(CameraWidget* widget);
CameraWidgetType type_of(CameraWidget* widget);
std::string text_of(CameraWidget* widget);
// One line per widget, indented by depth: type "name" "label" and value, choices or range.
std::string describe(CameraWidget* widget);
