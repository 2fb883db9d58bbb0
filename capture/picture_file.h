// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <gphoto2/gphoto2-file.h>
#include <string>

// The part of a camera's file name that may name a file here: its last component, or an
// empty text when that is empty, "." or "..".
std::string local_file_name(const char* cameraName);

// Writes a downloaded picture into dir under its camera name, or under the first free name
// made from it ("IMG_0001.JPG" -> "IMG_0001-1.JPG"). An existing file is never replaced and a
// partial file never appears: the picture is written aside and moved into place whole.
// Returns GP_OK and the path written, or an error code with nothing written.
int save_picture(CameraFile* file, const std::string& dir, const std::string& name,
                 std::string* written);

// The pictures save_picture has written since the program started: how many, their bytes
// together and the size of the last one. For the room a series will need; any thread.
struct PicturesWritten {
    std::uint64_t count = 0;
    std::uint64_t bytes = 0;
    std::uint64_t lastSize = 0;
};
PicturesWritten pictures_written();
