// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "movie/make_movie.h"

#include <string>

// The program's own options. Without --help, --version or --make-movie every argument goes to
// the toolkit, which takes its own and ignores the rest. Parsed before the toolkit starts, so
// that these need neither a display nor a camera.
enum class CommandAction { OpenWindow, MakeMovie, Help, Version, UsageError };

struct Command {
    CommandAction action = CommandAction::OpenWindow;
    MovieRequest movie; // for MakeMovie; an empty output means the default beside the source
    std::string error;  // for UsageError
};

// Without --deflicker, a movie's deflicker is its source's default, for which a series record is
// read.
Command parse_command_line(int argc, char** argv);

// Carries out anything but OpenWindow and returns the exit status: 0 done, 1 failed,
// 2 usage error, 130 interrupted.
int run_command(const Command& command);

// The movie part of run_command: progress on one line of standard output, messages on
// standard error.
int run_movie_command(MovieRequest request);
