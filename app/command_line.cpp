// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "vantlow_version.h"

#include <cstring>
#include <iostream>
#include <set>

namespace {

const char shortUsage[] =
    "Usage: vantlow [--make-movie SOURCE [-o OUT.mp4] [--fps N] [--size WxH|source]\n"
    "                [--deflicker[=N]] [--force]]\n"
    "Try 'vantlow --help' for more.\n";

const char helpText[] =
    "Usage: vantlow [GTK options]\n"
    "       vantlow --make-movie SOURCE [-o OUT.mp4] [--fps N] [--size WxH|source]\n"
    "                            [--deflicker[=N]] [--force]\n"
    "Without --make-movie, --help or --version, Vantlow opens its window and ignores other\n"
    "arguments; --make-movie needs no display.\n"
    "\n"
    "  --make-movie SOURCE    make an H.264 MP4 of a series record (.csv) or a folder of JPEGs\n"
    "  -o, --output OUT.mp4   the movie file (default: beside SOURCE, a name not yet taken)\n"
    "  --fps N                frames per second (default 25)\n"
    "  --size WxH|source      1920x1080 (default), 3840x2160, or source: the pictures' own size\n"
    "  --deflicker[=N]        even out the brightness from frame to frame over a centred\n"
    "                         window of N frames (default 15, at most 51); slow changes of\n"
    "                         light stay. --deflicker=0 leaves it as it is (the default);\n"
    "                         on by default for a series record whose exposure followed the light\n"
    "  --force                replace OUT.mp4 if it exists\n"
    "  --help                 show this help and exit\n"
    "  --version              show the version and exit\n";

// GTK's and GDK's own options, which reach the toolkit unchanged.
const std::set<std::string> toolkitOptionsWithValue = {
    "--display",   "--screen",       "--name",      "--class",       "--gtk-module",
    "--gtk-debug", "--gtk-no-debug", "--gdk-debug", "--gdk-no-debug"};
const std::set<std::string> toolkitSwitches = {"--sync", "--g-fatal-warnings"};

bool parse_count(const std::string& text, int* count) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *count = std::stoi(text);
    return true;
}

bool parse_size(const std::string& text, int* width, int* height) {
    if (text == "source") {
        *width = *height = 0;
        return true;
    }
    const std::size_t x = text.find('x');
    const std::string w = text.substr(0, x), h = x == std::string::npos ? "" : text.substr(x + 1);
    return x != std::string::npos && parse_count(w, width) && parse_count(h, height);
}

// Whether one of the program's own options is given, which makes the whole line count. Words
// after "--" are not options.
bool own_option_given(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string arg = argv[i];
        const std::string name = arg.substr(0, arg.find('='));
        if (name == "--help" || name == "--version" || name == "--make-movie")
            return true;
    }
    return false;
}

Command usage_error(const std::string& error) {
    Command command;
    command.action = CommandAction::UsageError;
    command.error = error;
    return command;
}

} // namespace

Command parse_command_line(int argc, char** argv) {
    Command command;
    // Anything else is the toolkit's or ignored, so the window starts whatever a launcher or a
    // person passes.
    if (!own_option_given(argc, argv))
        return command;
    bool help = false, version = false, movie = false, deflickerChosen = false;
    std::string movieOnly; // the first movie option seen
    std::string word;      // the first plain word, which only the window may have
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], value;
        const std::size_t equals = arg.find('=');
        const bool joined = arg.compare(0, 2, "--") == 0 && equals != std::string::npos;
        if (joined) {
            value = arg.substr(equals + 1);
            arg.erase(equals);
        }
        // The value of an option: joined by "=" or the next word.
        auto take_value = [&](std::string* out) {
            if (joined) {
                *out = value;
                return true;
            }
            if (i + 1 >= argc)
                return false;
            *out = argv[++i];
            return true;
        };
        auto movie_option = [&] {
            if (movieOnly.empty())
                movieOnly = arg;
        };
        if (arg == "--") {
            if (i + 1 < argc && word.empty())
                word = argv[i + 1];
            break;
        }
        if (arg == "--help" && !joined) {
            help = true;
        } else if (arg == "--version" && !joined) {
            version = true;
        } else if (arg == "--make-movie") {
            if (!take_value(&command.movie.source) || command.movie.source.empty())
                return usage_error("--make-movie needs a series record or a folder");
            movie = true;
        } else if (arg == "-o" || arg == "--output") {
            if (!take_value(&command.movie.output) || command.movie.output.empty())
                return usage_error(arg + " needs a file name");
            movie_option();
        } else if (arg == "--fps") {
            std::string text;
            if (!take_value(&text) || !parse_count(text, &command.movie.fps))
                return usage_error("--fps needs a whole number of frames per second");
            movie_option();
        } else if (arg == "--size") {
            std::string text;
            if (!take_value(&text) ||
                !parse_size(text, &command.movie.width, &command.movie.height))
                return usage_error("--size needs WIDTHxHEIGHT, such as 1920x1080, or source");
            movie_option();
        } else if (arg == "--deflicker") {
            // The value only ever joined: a plain word after it is no number of frames.
            command.movie.deflicker = defaultDeflickerFrames;
            deflickerChosen = true;
            if (joined && (!parse_count(value, &command.movie.deflicker) ||
                           command.movie.deflicker > maxDeflickerFrames))
                return usage_error("--deflicker=N needs a whole number of frames from 0 to " +
                                   std::to_string(maxDeflickerFrames));
            movie_option();
        } else if (arg == "--force" && !joined) {
            command.movie.replace = true;
            movie_option();
        } else if (toolkitOptionsWithValue.count(arg)) {
            if (!joined && i + 1 < argc)
                ++i;
        } else if (toolkitSwitches.count(arg) && !joined) {
            continue;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage_error("unknown option '" + std::string(argv[i]) + "'");
        } else if (word.empty()) {
            word = arg;
        }
    }
    if (help)
        command.action = CommandAction::Help;
    else if (version)
        command.action = CommandAction::Version;
    else if (movie && !word.empty())
        return usage_error("unexpected argument '" + word + "'");
    else if (movie)
        command.action = CommandAction::MakeMovie;
    else if (!movieOnly.empty())
        return usage_error(movieOnly + " is only for --make-movie");
    if (command.action == CommandAction::MakeMovie && !deflickerChosen)
        command.movie.deflicker = default_deflicker(command.movie.source);
    return command;
}

int run_command(const Command& command) {
    switch (command.action) {
    case CommandAction::Help:
        std::cout << helpText << std::flush;
        return 0;
    case CommandAction::Version:
        std::cout << "vantlow " << VANTLOW_VERSION << std::endl;
        return 0;
    case CommandAction::UsageError:
        std::cerr << "vantlow: " << command.error << "\n" << shortUsage << std::flush;
        return 2;
    case CommandAction::MakeMovie:
        return run_movie_command(command.movie);
    case CommandAction::OpenWindow:
        break;
    }
    return 0;
}
