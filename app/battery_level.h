// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// The camera's battery as it reports it ("80%"), read as one setting alone; none without such
// a setting. A driver that can only read its whole configuration is not asked at all: that
// read takes long enough to hold up a series. Camera thread.
std::optional<std::string> read_battery_level();
