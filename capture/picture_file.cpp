// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/picture_file.h"
#include "files/file_placement.h"

#include <cstdio>
#include <gphoto2/gphoto2-result.h>
#include <mutex>
#include <unistd.h>

std::string local_file_name(const char* cameraName) {
    std::string name(cameraName ? cameraName : "");
    std::string::size_type slash = name.rfind('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    if (name == "." || name == "..")
        name.clear();
    return name;
}

namespace {

struct WrittenTally {
    std::mutex lock;
    PicturesWritten pictures;
};

WrittenTally& tally() {
    static WrittenTally written;
    return written;
}

void count_written(std::uint64_t size) {
    std::lock_guard<std::mutex> lock(tally().lock);
    PicturesWritten& pictures = tally().pictures;
    ++pictures.count;
    pictures.bytes += size;
    pictures.lastSize = size;
}

// "-n" goes before the extension, so the copy keeps its type for other programs.
std::string numbered(const std::string& name, int n) {
    if (n == 0)
        return name;
    std::string::size_type dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        dot = name.size();
    return name.substr(0, dot) + "-" + std::to_string(n) + name.substr(dot);
}

// Writes the whole picture to a new hidden file in dir; returns its path, or "" on failure.
std::string write_aside(const std::string& dir, const std::string& name, const char* data,
                        unsigned long size) {
    std::string part;
    int fd = create_partial_file(dir, name, &part);
    if (fd < 0)
        return "";
    bool ok = write_all(fd, data, size) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok) {
        unlink(part.c_str());
        return "";
    }
    return part;
}

} // namespace

int save_picture(CameraFile* file, const std::string& dir, const std::string& name,
                 std::string* written) {
    // Without a folder the path would start at the root of the filesystem.
    if (name.empty() || dir.empty())
        return GP_ERROR_BAD_PARAMETERS;
    const char* data = nullptr;
    unsigned long size = 0;
    int result = gp_file_get_data_and_size(file, &data, &size);
    if (result != GP_OK)
        return result;
    std::string part = write_aside(dir, name, data, size);
    if (part.empty())
        return GP_ERROR;
    for (int n = 0; n < 100000; ++n) {
        std::string target = dir + "/" + numbered(name, n);
        int error = move_without_replacing(part, target);
        if (error == 0) {
            *written = target;
            count_written(size);
            return GP_OK;
        }
        if (error != EEXIST)
            break;
    }
    unlink(part.c_str());
    return GP_ERROR;
}

PicturesWritten pictures_written() {
    std::lock_guard<std::mutex> lock(tally().lock);
    return tally().pictures;
}
