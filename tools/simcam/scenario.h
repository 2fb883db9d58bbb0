// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "light.h"
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

// The nth call (1-based), or with `onwards` the nth and every later one.
struct CallRule {
    int nth = 1;
    bool onwards = false;

    bool picks(int call) const { return call == nth || (onwards && call > nth); }
};

// Whether any of the rules picks the nth call.
bool picks(const std::vector<CallRule>& rules, int nth);

// Makes the calls a rule picks fail with `code`.
struct FailRule {
    CallRule calls;
    int code = GP_ERROR;
};

// The error code the nth call fails with, or GP_OK.
int failure_for(const std::vector<FailRule>& rules, int nth);

// A setting turned on the body by hand right after the capture-th capture.
struct Dial {
    int capture = 1;
    std::string name;
    std::string value;
};

// A value of a setting that the camera will not take, however it is written.
struct RefusedValue {
    std::string name;
    std::string value;
    int code = GP_ERROR;
};

// Makes the camera drop off the bus at the calls a rule picks, for `ms` milliseconds.
struct VanishRule {
    CallRule calls;
    int ms = 0;
};

// How long the camera stays away after the nth call, or 0 if it stays.
int absence_for(const std::vector<VanishRule>& rules, int nth);

// How a JPEG looks: the frame number on a colour gradient, or a landscape whose sun crosses the
// sky from dawn to dusk once every day_frames frames.
enum class PictureStyle { Digits, Scene };

// What the camera delivers as a picture: a raw file of raw_size bytes, or a JPEG.
struct PictureKind {
    bool raw = false;
    int width = 1500;
    int height = 1000;
    int raw_size = 0;
    PictureStyle style = PictureStyle::Digits;
    int day_frames = 0;
    // Amplitude of the sensor noise laid over a JPEG: with some, a JPEG is as large as a real
    // body's, which sets how long its download takes.
    int grain = 0;
};

// What a scenario file says; each member is set by the word of a like name (README.md lists the
// words). Delays are in milliseconds; 0 makes the operation instant.
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
    PictureKind picture;
    int init_delay_ms = 0;
    int get_config_delay_ms = 0;
    int set_config_delay_ms = 0;
    // Whether the driver offers reads and writes of one setting; without, libgphoto2 goes
    // through the whole configuration.
    bool single_config = false;
    int get_single_delay_ms = 0;
    int set_single_delay_ms = 0;
    int capture_delay_ms = 0;
    int download_bytes_per_second = 0;
    int delete_delay_ms = 0;
    // Whether each opening sets the configuration back to the scenario's values, as a body that
    // forgot its settings while it was switched off.
    bool forget_settings = false;
    std::vector<Dial> dials;
    std::vector<RefusedValue> refused;
    // Settings whose values each capture line shows.
    std::vector<std::string> logged_settings;
    std::vector<FailRule> capture_fails;
    std::vector<CallRule> capture_hangs;
    std::vector<FailRule> download_fails;
    std::vector<FailRule> delete_fails;
    std::vector<VanishRule> capture_vanishes;
    std::vector<VanishRule> download_vanishes;
    std::vector<VanishRule> delete_vanishes;
    bool preview = true;
    int preview_width = 1024;
    int preview_height = 680;
    int preview_delay_ms = 33;
    std::vector<FailRule> preview_fails;
    std::vector<CallRule> preview_damaged;
    bool preview_log = true;
    std::string log_path;
    // Whether log lines start with the milliseconds since the scenario was loaded.
    bool log_times = false;
    // Without a curve the pictures keep their own brightness.
    SceneLight light;
    ConfigNode config;
};

// Never fails: lines it cannot use are reported on stderr and skipped.
Scenario parse_scenario(const std::string& text);

} // namespace simcam
