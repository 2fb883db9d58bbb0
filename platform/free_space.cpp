// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/free_space.h"

#include <sys/statvfs.h>

namespace {

std::optional<std::uint64_t> filesystem_free_space(const std::string& dir) {
    struct statvfs fs;
    if (statvfs(dir.c_str(), &fs) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

FreeSpaceProbe& probe() {
    static FreeSpaceProbe current = filesystem_free_space;
    return current;
}

} // namespace

std::optional<std::uint64_t> free_space(const std::string& dir) {
    return probe()(dir);
}

void use_free_space_probe(FreeSpaceProbe replacement) {
    probe() = replacement ? std::move(replacement) : filesystem_free_space;
}
