// SPDX-License-Identifier: GPL-3.0-or-later
// The USB port the simulated camera hangs on. It answers whether the camera is there and
// whether it can be opened, and carries the camera driver's requests, which fail while the
// camera is off the bus.

#include "cable.h"
#include "camera_identity.h"
#include "driver_export.h"
#include "port_operations.h"
#include "scenario_source.h"

#include <gphoto2/gphoto2-port-info-list.h>
#include <gphoto2/gphoto2-port-result.h>

#include <chrono>
#include <cstdlib>

namespace simcam {
namespace {

using Clock = std::chrono::steady_clock;

ScenarioSource source;
// When the camera is back on the bus after dropping off it.
Clock::time_point back_at;

// A new scenario is a new camera, plugged in.
const Scenario& scenario() {
    if (source.refresh())
        back_at = {};
    return source.scenario();
}

bool on_bus() {
    return scenario().present && Clock::now() >= back_at;
}

int succeed(GPPort*) {
    return GP_OK;
}

int open_port(GPPort*) {
    return scenario().open_error;
}

int update_port(GPPort* port) {
    port->settings = port->settings_pending;
    return GP_OK;
}

int find_device(GPPort*, int vendor, int product) {
    const bool ours = vendor == kUsbVendor && product == kUsbProduct;
    return ours && on_bus() ? GP_OK : GP_ERROR_IO_USB_FIND;
}

int find_device_by_class(GPPort*, int, int, int) {
    return GP_ERROR_IO_USB_FIND;
}

int write_request(GPPort*, const char*, int size) {
    return on_bus() ? size : GP_ERROR_IO_WRITE;
}

int control_message(GPPort*, int request, int value, int, char*, int) {
    if (request != kDropOffRequest || value < 0)
        return GP_ERROR_NOT_SUPPORTED;
    back_at = Clock::now() + std::chrono::milliseconds(value);
    return GP_OK;
}

} // namespace
} // namespace simcam

SIMCAM_EXPORT GPPortType gp_port_library_type() {
    return GP_PORT_USB;
}

SIMCAM_EXPORT int gp_port_library_list(GPPortInfoList* list) {
    GPPortInfo info;
    int result = gp_port_info_new(&info);
    if (result < GP_OK)
        return result;
    gp_port_info_set_type(info, GP_PORT_USB);
    gp_port_info_set_name(info, "Universal Serial Bus");
    // As libusb does, the bare "usb:" stands for an empty bus.
    gp_port_info_set_path(info, simcam::on_bus() ? "usb:001,001" : "usb:");
    result = gp_port_info_list_append(list, info);
    return result < GP_OK ? result : GP_OK;
}

SIMCAM_EXPORT GPPortOperations* gp_port_library_operations() {
    // libgphoto2_port frees the table.
    auto* operations = static_cast<GPPortOperations*>(std::calloc(1, sizeof(GPPortOperations)));
    if (!operations)
        return nullptr;
    operations->init = simcam::succeed;
    operations->exit = simcam::succeed;
    operations->open = simcam::open_port;
    operations->close = simcam::succeed;
    operations->write = simcam::write_request;
    operations->update = simcam::update_port;
    operations->find_device = simcam::find_device;
    operations->find_device_by_class = simcam::find_device_by_class;
    operations->msg_write = simcam::control_message;
    return operations;
}
