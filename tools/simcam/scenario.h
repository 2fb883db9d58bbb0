#pragma once

#include "name_pattern.h"

#include <gphoto2/gphoto2-result.h>
#include <gphoto2/gphoto2-widget.h>

#include <string>
#include <vector>

namespace simcam {

// One configuration widget. Values are kept as the text the operation log shows.
struct ConfigNode {
    CameraWidgetType type = GP_WIDGET_WINDOW;
    std::string name;
    std::string label;
    std::string value;
    std::vector<std::string> choices;
    float min = 0, max = 0, step = 1;
    std::vector<ConfigNode> children;
};

// How a range value is written in scenarios and in the operation log.
std::string range_text(float value);

// Makes the nth call (1-based) fail, or the nth and every later one.
struct FailRule {
    int nth = 1;
    int code = GP_ERROR;
    bool onwards = false;
};

// The error code the nth call fails with, or GP_OK.
int failure_for(const std::vector<FailRule>& rules, int nth);

// How a JPEG looks: the frame number on a colour gradient, or a landscape whose sun crosses the
// sky from dawn to dusk once every day_frames frames.
enum class PictureStyle { Digits, Scene };

struct PictureSpec {
    bool raw = false;
    int width = 1500;
    int height = 1000;
    int raw_size = 0;
    PictureStyle style = PictureStyle::Digits;
    int day_frames = 0;
};

struct Scenario {
    bool present = true;
    int open_error = GP_OK;
    int init_error = GP_OK;
    int get_config_error = GP_OK;
    int set_config_error = GP_OK;
    std::string capture_folder = "/DCIM/100SIMCM";
    NamePattern capture_name = *NamePattern::parse("IMG_%04d.JPG");
    int capture_counter = 1;
    std::string capture_fixed;
    PictureSpec picture;
    int capture_delay_ms = 0;
    std::vector<FailRule> capture_fails;
    std::vector<FailRule> download_fails;
    std::vector<FailRule> delete_fails;
    std::string log_path;
    ConfigNode config;
};

// Never fails: lines it cannot use are reported on stderr and skipped.
Scenario parse_scenario(const std::string& text);

} // namespace simcam
