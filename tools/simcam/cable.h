// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace simcam {

// The camera driver pulls the cable by sending its port this vendor control message
// (gp_port_usb_msg_write) with the milliseconds the camera stays away as the value. Meanwhile the
// port finds no camera on the bus and fails every transfer, as libusb does for an unplugged body.
constexpr int kDropOffRequest = 0x5d;

} // namespace simcam
