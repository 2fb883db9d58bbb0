// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace simcam {

// How the camera shows itself on the USB bus, shared by the camera and the port driver.
constexpr int kUsbVendor = 0xfeed;
constexpr int kUsbProduct = 0xca11;
constexpr char kModel[] = "Vantlow Simulated Camera";

} // namespace simcam
