// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Bytes that an ordinary user may still write in a folder's filesystem; none when the folder
// cannot be asked. Tests put a probe of their own in place of the filesystem's answer.
using FreeSpaceProbe = std::function<std::optional<std::uint64_t>(const std::string& dir)>;

std::optional<std::uint64_t> free_space(const std::string& dir);
// Null puts the filesystem's answer back.
void use_free_space_probe(FreeSpaceProbe probe);
