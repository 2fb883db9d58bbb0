// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The drivers are built with hidden symbols; libgphoto2 finds only what is marked with this.
#define SIMCAM_EXPORT extern "C" __attribute__((visibility("default")))
