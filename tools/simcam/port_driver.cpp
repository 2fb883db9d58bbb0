// SPDX-License-Identifier: GPL-3.0-or-later
// The USB port the simulated camera hangs on. It only answers whether the camera is there
// and whether it can be opened; the camera driver never sends it any bytes.

#include "camera_identity.h"
#include "driver_export.h"
#include "port_operations.h"
#include "scenario_source.h"

#include <gphoto2/gphoto2-port-info-list.h>
#include <gphoto2/gphoto2-port-result.h>

#include <cstdlib>

namespace simcam {
namespace {

ScenarioSource source;

const Scenario& scenario() {
    source.refresh();
    return source.scenario();
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
    return ours && scenario().present ? GP_OK : GP_ERROR_IO_USB_FIND;
}

int find_device_by_class(GPPort*, int, int, int) {
    return GP_ERROR_IO_USB_FIND;
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
    gp_port_info_set_path(info, "usb:001,001");
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
    operations->update = simcam::update_port;
    operations->find_device = simcam::find_device;
    operations->find_device_by_class = simcam::find_device_by_class;
    return operations;
}
