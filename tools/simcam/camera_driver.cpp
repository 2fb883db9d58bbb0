// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated camera as a libgphoto2 camera driver. Its state lives in this module and
// outlasts gp_camera_exit, as a real camera's memory does, until the scenario changes.

#include "cable.h"
#include "camera_identity.h"
#include "config_widgets.h"
#include "driver_export.h"
#include "exposure.h"
#include "folder_path.h"
#include "op_log.h"
#include "picture.h"
#include "picture_store.h"
#include "scenario_source.h"

#include <gphoto2/gphoto2-library.h>
#include <gphoto2/gphoto2-port.h>
#include <gphoto2/gphoto2-result.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

namespace simcam {
namespace {

using Clock = std::chrono::steady_clock;

struct Memory {
    ScenarioSource source;
    // What the times in the operation log count from.
    Clock::time_point loaded_at;
    ConfigNode config;
    PictureStore pictures;
    int next_frame = 1;
    // Calls since the scenario was loaded, which its rules count.
    int captures = 0;
    int downloads = 0;
    int deletes = 0;
    int previews = 0;
    Flicker flicker;

    const Scenario& scenario() const { return source.scenario(); }

    void reload_if_changed() {
        if (!source.refresh())
            return;
        loaded_at = Clock::now();
        config = scenario().config;
        pictures.clear();
        next_frame = scenario().capture_counter;
        captures = downloads = deletes = previews = 0;
        flicker.restart();
    }
};

Memory memory;

void pause_ms(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void write_log(const std::string& line) {
    const Scenario& scenario = memory.scenario();
    if (!scenario.log_times) {
        log_operation(scenario.log_path, line);
        return;
    }
    const auto since_load =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - memory.loaded_at);
    log_operation(scenario.log_path, std::to_string(since_load.count()) + "\t" + line);
}

// Writes the operation's log line and passes its result on.
int logged(int result, const std::string& operation, const std::string& subject = "") {
    std::string line = operation;
    if (result != GP_OK)
        line += " failed " + std::to_string(result);
    if (!subject.empty())
        line += " " + subject;
    write_log(line);
    return result;
}

// Every call starts with a request over the cable. libgphoto2's PTP driver reports any failed
// transfer as an I/O error, and so does this one.
int request(Camera* camera) {
    const char bytes[1] = {};
    return gp_port_write(camera->port, bytes, sizeof bytes) < GP_OK ? GP_ERROR_IO : GP_OK;
}

// The camera drops off the bus for `ms` milliseconds; the call it was answering fails as the
// requests after it do.
int drop_off(Camera* camera, int ms) {
    gp_port_usb_msg_write(camera->port, kDropOffRequest, ms, 0, nullptr, 0);
    return GP_ERROR_IO;
}

// The call's failure by the scenario's rules, or the camera dropping off at it.
int outcome(Camera* camera, const std::vector<FailRule>& fails,
            const std::vector<VanishRule>& vanishes, int call) {
    const int error = failure_for(fails, call);
    if (error != GP_OK)
        return error;
    const int ms = absence_for(vanishes, call);
    return ms ? drop_off(camera, ms) : GP_OK;
}

int exit_camera(Camera*, GPContext*) {
    return logged(GP_OK, "exit");
}

int get_config(Camera* camera, CameraWidget** window, GPContext*) {
    if (const int error = request(camera))
        return logged(error, "get_config");
    pause_ms(memory.scenario().get_config_delay_ms);
    const int error = memory.scenario().get_config_error;
    if (error == GP_OK)
        *window = make_widgets(memory.config);
    return logged(error, "get_config");
}

// The code a write fails with when it would set a value the body refuses, or GP_OK. A write
// that fails so changes nothing.
int refusal(const std::vector<std::string>& changes) {
    for (const RefusedValue& refused : memory.scenario().refused)
        for (const std::string& change : changes)
            if (change == refused.name + "=" + refused.value)
                return refused.code;
    return GP_OK;
}

int set_config(Camera* camera, CameraWidget* window, GPContext*) {
    if (const int error = request(camera))
        return logged(error, "set_config");
    pause_ms(memory.scenario().set_config_delay_ms);
    int error = memory.scenario().set_config_error;
    if (error != GP_OK)
        return logged(error, "set_config");
    ConfigNode written = memory.config;
    const std::vector<std::string> changes = take_values(window, written);
    error = refusal(changes);
    if (error != GP_OK)
        return logged(error, "set_config");
    memory.config = std::move(written);
    std::string line = "set_config";
    for (const std::string& change : changes)
        line += "\t" + change;
    write_log(line);
    return GP_OK;
}

int get_single_config(Camera* camera, const char* name, CameraWidget** widget, GPContext*) {
    if (const int error = request(camera))
        return logged(error, "get_single_config", name);
    pause_ms(memory.scenario().get_single_delay_ms);
    int error = memory.scenario().get_config_error;
    const ConfigNode* setting = find_setting(memory.config, name);
    if (error == GP_OK && !setting)
        error = GP_ERROR_BAD_PARAMETERS;
    if (error == GP_OK)
        *widget = make_widgets(*setting);
    return logged(error, "get_single_config", name);
}

// Logs the value written even when it is the one the camera had: the write was asked for.
int set_single_config(Camera* camera, const char* name, CameraWidget* widget, GPContext*) {
    if (const int error = request(camera))
        return logged(error, "set_single_config", name);
    pause_ms(memory.scenario().set_single_delay_ms);
    int error = memory.scenario().set_config_error;
    ConfigNode* setting = find_setting(memory.config, name);
    CameraWidgetType type;
    if (error == GP_OK &&
        (!setting || gp_widget_get_type(widget, &type) != GP_OK || type != setting->type))
        error = GP_ERROR_BAD_PARAMETERS;
    if (error != GP_OK)
        return logged(error, "set_single_config", name);
    ConfigNode written = *setting;
    take_values(widget, written);
    error = refusal({written.name + "=" + written.value});
    if (error != GP_OK)
        return logged(error, "set_single_config", name);
    *setting = std::move(written);
    write_log("set_single_config\t" + setting->name + "=" + setting->value);
    return GP_OK;
}

// What a hand on the body changes once the nth capture has taken its picture.
void turn_dials(int capture) {
    for (const Dial& dial : memory.scenario().dials) {
        ConfigNode* setting = find_keyed(memory.config, dial.name);
        if (dial.capture != capture || !setting)
            continue;
        setting->value = dial.value;
        write_log("dial\t" + dial.name + "=" + dial.value);
    }
}

// A body that has locked up: the call sleeps until the scenario file changes or goes away, so
// that a test can free it, and then answers as a camera pulled off the cable. It keeps nothing
// but a copy of the file, so a process may exit while it sleeps.
int hang() {
    write_log("capture hangs");
    const ScenarioFile loaded = memory.source.file();
    while (ScenarioFile::current().same_as(loaded))
        pause_ms(50);
    return GP_ERROR_IO;
}

// The light on the picture that the nth capture takes now.
LightReading read_light(int capture) {
    const SceneLight& light = memory.scenario().light;
    const double seconds = std::chrono::duration<double>(Clock::now() - memory.loaded_at).count();
    LightReading reading;
    reading.scene_ev = light.ev_at(capture, seconds);
    reading.camera_ev = camera_ev(memory.config, light.exposure_settings, reading.scene_ev);
    if (light.flicker > 0)
        reading.flicker = memory.flicker.next(light.flicker);
    return reading;
}

int capture(Camera* camera, CameraCaptureType type, CameraFilePath* path, GPContext* context) {
    if (type != GP_CAPTURE_IMAGE)
        return GP_ERROR_NOT_SUPPORTED;
    if (const int error = request(camera))
        return logged(error, "capture");
    const Scenario& scenario = memory.scenario();
    const int call = ++memory.captures;
    if (picks(scenario.capture_hangs, call))
        return logged(hang(), "capture");
    pause_ms(scenario.capture_delay_ms);
    const int error = failure_for(scenario.capture_fails, call);
    if (error != GP_OK)
        return logged(error, "capture");

    const int frame = memory.next_frame++;
    const std::string& folder = scenario.capture_folder;
    const std::string name = scenario.capture_fixed.empty() ? scenario.capture_name.format(frame)
                                                            : scenario.capture_fixed;
    Shot shot{frame, std::nullopt};
    std::optional<LightReading> light;
    if (scenario.light.on()) {
        light = read_light(call);
        shot.stops = light->stops();
    }
    memory.pictures.put(folder, name, shot);
    // The picture is on the card, but the camera is gone before it can say so.
    if (const int ms = absence_for(scenario.capture_vanishes, call))
        return logged(drop_off(camera, ms), "capture", join_path(folder, name));
    const int appended = gp_filesystem_append(camera->fs, folder.c_str(), name.c_str(), context);
    if (appended < GP_OK && appended != GP_ERROR_FILE_EXISTS)
        return appended;
    std::snprintf(path->folder, sizeof path->folder, "%s", folder.c_str());
    std::snprintf(path->name, sizeof path->name, "%s", name.c_str());
    std::string subject = join_path(folder, name);
    for (const std::string& setting_name : scenario.logged_settings) {
        const ConfigNode* setting = find_keyed(memory.config, setting_name);
        subject += "\t" + setting_name + "=" + (setting ? setting->value : "?");
    }
    if (light)
        subject += light->log_fields(scenario.light.flicker > 0);
    logged(GP_OK, "capture", subject);
    turn_dials(call);
    return GP_OK;
}

// Previews come thirty a second, so their log lines can be turned off.
int logged_preview(int result) {
    return memory.scenario().preview_log ? logged(result, "capture_preview") : result;
}

int capture_preview(Camera* camera, CameraFile* file, GPContext*) {
    const Clock::time_point start = Clock::now();
    const Scenario& scenario = memory.scenario();
    if (const int error = request(camera))
        return logged_preview(error);
    if (!scenario.preview)
        return logged_preview(GP_ERROR_NOT_SUPPORTED);
    const int frame = ++memory.previews;
    int error = failure_for(scenario.preview_fails, frame);
    std::string bytes;
    if (error == GP_OK) {
        bytes = make_preview(frame, scenario.preview_width, scenario.preview_height);
        if (bytes.empty())
            error = GP_ERROR_NO_MEMORY;
        else if (picks(scenario.preview_damaged, frame))
            bytes = headers_only(bytes);
    }
    // Making the frame is part of the camera's time for it.
    std::this_thread::sleep_until(start + std::chrono::milliseconds(scenario.preview_delay_ms));
    if (error != GP_OK)
        return logged_preview(error);
    gp_file_set_mime_type(file, GP_MIME_JPEG);
    gp_file_append(file, bytes.data(), bytes.size());
    return logged_preview(GP_OK);
}

// The filesystem functions get the camera as their data.
int list_files(CameraFilesystem*, const char* folder, CameraList* list, void* camera, GPContext*) {
    if (const int error = request(static_cast<Camera*>(camera)))
        return error;
    for (const std::string& name : memory.pictures.files(normal_folder(folder)))
        gp_list_append(list, name.c_str(), nullptr);
    return GP_OK;
}

int list_folders(CameraFilesystem*, const char* folder, CameraList* list, void* camera,
                 GPContext*) {
    if (const int error = request(static_cast<Camera*>(camera)))
        return error;
    for (const std::string& name :
         memory.pictures.subfolders(normal_folder(folder), memory.scenario().capture_folder))
        gp_list_append(list, name.c_str(), nullptr);
    return GP_OK;
}

int get_file(CameraFilesystem*, const char* given_folder, const char* name, CameraFileType type,
             CameraFile* file, void* camera, GPContext*) {
    if (type != GP_FILE_TYPE_NORMAL)
        return GP_ERROR_NOT_SUPPORTED;
    const Clock::time_point start = Clock::now();
    const std::string folder = normal_folder(given_folder);
    const std::string path = join_path(folder, name);
    if (const int error = request(static_cast<Camera*>(camera)))
        return logged(error, "file_get", path);
    const Scenario& scenario = memory.scenario();
    int error = outcome(static_cast<Camera*>(camera), scenario.download_fails,
                        scenario.download_vanishes, ++memory.downloads);
    const std::optional<Shot> shot = memory.pictures.find(folder, name);
    if (error == GP_OK && !shot)
        error = GP_ERROR_FILE_NOT_FOUND;
    if (error != GP_OK)
        return logged(error, "file_get", path);

    const std::string bytes = make_picture(shot->frame, scenario.picture, shot->stops);
    if (!scenario.picture.raw && bytes.empty())
        return logged(GP_ERROR_NO_MEMORY, "file_get", path);
    // The transfer time counts from the request, making the picture included.
    if (const int64_t rate = scenario.download_bytes_per_second; rate > 0)
        std::this_thread::sleep_until(
            start + std::chrono::microseconds(static_cast<int64_t>(bytes.size()) * 1000000 / rate));
    gp_file_set_mime_type(file, scenario.picture.raw ? GP_MIME_RAW : GP_MIME_JPEG);
    gp_file_append(file, bytes.data(), bytes.size());
    return logged(GP_OK, "file_get", path);
}

int delete_file(CameraFilesystem*, const char* given_folder, const char* name, void* camera,
                GPContext*) {
    const std::string folder = normal_folder(given_folder);
    if (const int error = request(static_cast<Camera*>(camera)))
        return logged(error, "file_delete", join_path(folder, name));
    const Scenario& scenario = memory.scenario();
    pause_ms(scenario.delete_delay_ms);
    int error = outcome(static_cast<Camera*>(camera), scenario.delete_fails,
                        scenario.delete_vanishes, ++memory.deletes);
    if (error == GP_OK && !memory.pictures.remove(folder, name))
        error = GP_ERROR_FILE_NOT_FOUND;
    return logged(error, "file_delete", join_path(folder, name));
}

} // namespace
} // namespace simcam

SIMCAM_EXPORT int camera_id(CameraText* id) {
    std::snprintf(id->text, sizeof id->text, "simcam");
    return GP_OK;
}

SIMCAM_EXPORT int camera_abilities(CameraAbilitiesList* list) {
    CameraAbilities abilities = {};
    std::snprintf(abilities.model, sizeof abilities.model, "%s", simcam::kModel);
    abilities.status = GP_DRIVER_STATUS_PRODUCTION;
    abilities.port = GP_PORT_USB;
    abilities.usb_vendor = simcam::kUsbVendor;
    abilities.usb_product = simcam::kUsbProduct;
    // libgphoto2 asks for the abilities before it opens the camera, so this reads the scenario
    // for itself.
    static simcam::ScenarioSource source;
    source.refresh();
    int operations = GP_OPERATION_CAPTURE_IMAGE | GP_OPERATION_CONFIG;
    if (source.scenario().preview)
        operations |= GP_OPERATION_CAPTURE_PREVIEW;
    abilities.operations = static_cast<CameraOperation>(operations);
    abilities.file_operations = GP_FILE_OPERATION_DELETE;
    abilities.folder_operations = GP_FOLDER_OPERATION_NONE;
    abilities.device_type = GP_DEVICE_STILL_CAMERA;
    return gp_abilities_list_append(list, abilities);
}

SIMCAM_EXPORT int camera_init(Camera* camera, GPContext*) {
    using namespace simcam;
    memory.reload_if_changed();
    pause_ms(memory.scenario().init_delay_ms);
    const int error = memory.scenario().init_error;
    if (error != GP_OK)
        return logged(error, "init");
    if (memory.scenario().forget_settings)
        memory.config = memory.scenario().config;

    camera->functions->exit = exit_camera;
    camera->functions->get_config = get_config;
    camera->functions->set_config = set_config;
    camera->functions->capture = capture;
    camera->functions->capture_preview = capture_preview;
    if (memory.scenario().single_config) {
        camera->functions->get_single_config = get_single_config;
        camera->functions->set_single_config = set_single_config;
    }
    CameraFilesystemFuncs functions = {};
    functions.file_list_func = list_files;
    functions.folder_list_func = list_folders;
    functions.get_file_func = get_file;
    functions.del_file_func = delete_file;
    const int result = gp_filesystem_set_funcs(camera->fs, &functions, camera);
    return logged(result, "init");
}
