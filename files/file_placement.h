// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

// Files are written aside under a hidden name in their folder and moved into place whole, so
// no other program ever sees half a file and no existing file is ever replaced by accident.

// Creates a new hidden file in dir for what will become `name` and opens it for writing.
// Returns its descriptor and sets *path, or returns -1 with errno set.
int create_partial_file(const std::string& dir, const std::string& name, std::string* path);

// Writes all `size` bytes to fd, going on after short and interrupted writes. False on an
// error, with errno set.
bool write_all(int fd, const char* data, std::size_t size);

// Gives the file at `from` the name `to` unless that name is taken. Returns 0, EEXIST, or
// another errno.
int move_without_replacing(const std::string& from, const std::string& to);
