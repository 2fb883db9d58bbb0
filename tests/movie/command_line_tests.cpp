// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line: its own options, which need no display and are parsed strictly,
// and everything else, which goes to the toolkit or is ignored. The real binary is run for exit
// codes and output.
#include "movie/movie_reader.h"
#include "movie/movie_samples.h"

#include "app/command_line.h"
#include "display/jpeg_samples.h"
#include "support/temp_dir.h"
#include "vantlow_version.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

Command parse(std::vector<std::string> args) {
    args.insert(args.begin(), "vantlow");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return parse_command_line(int(args.size()), argv.data());
}

TEST(CommandLineParsing, WithoutOwnOptionsTheWindowOpensWhateverElseIsGiven) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"some", "words"},
             {"--display", ":1", "--name", "n", "--class", "C", "--sync"},
             {"--display=:1", "--gtk-module=x", "--g-fatal-warnings", "-"},
             {"--gdk-debug", "events", "--", "--anything"},
             {"--bogus-option", "-x", "-h"},
             {"--fps", "ten", "--size", "1920", "--force=yes", "-o"},
             {"--helper", "--versions", "--make-movies=x"},
             {"words", "--", "--help", "--make-movie", "x"}}) {
        const Command command = parse(args);
        EXPECT_EQ(command.action, CommandAction::OpenWindow) << testing::PrintToString(args);
    }
}

TEST(CommandLineParsing, MakeMovieTakesItsSettings) {
    Command command = parse({"--make-movie", "series.csv", "-o", "out.mp4", "--fps", "12", "--size",
                             "3840x2160", "--force"});
    ASSERT_EQ(command.action, CommandAction::MakeMovie);
    EXPECT_EQ(command.movie.source, "series.csv");
    EXPECT_EQ(command.movie.output, "out.mp4");
    EXPECT_EQ(command.movie.fps, 12);
    EXPECT_EQ(command.movie.width, 3840);
    EXPECT_EQ(command.movie.height, 2160);
    EXPECT_TRUE(command.movie.replace);

    command = parse({"--size=source", "--make-movie=pictures", "--output=m.mp4", "--fps=30"});
    ASSERT_EQ(command.action, CommandAction::MakeMovie);
    EXPECT_EQ(command.movie.source, "pictures");
    EXPECT_EQ(command.movie.output, "m.mp4");
    EXPECT_EQ(command.movie.fps, 30);
    EXPECT_EQ(command.movie.width, 0);
    EXPECT_EQ(command.movie.height, 0);
    EXPECT_FALSE(command.movie.replace);

    command = parse({"--make-movie", "pictures"});
    EXPECT_EQ(command.movie.output, "") << "chosen beside the source when run";
    EXPECT_EQ(command.movie.deflicker, 0) << "a folder says nothing of how it was exposed";
    EXPECT_EQ(command.movie.fps, 25);
    EXPECT_EQ(command.movie.width, 1920);
    EXPECT_EQ(command.movie.height, 1080);
}

TEST(CommandLineParsing, DeflickerTakesAWindowOnlyWhenJoined) {
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"--make-movie", "p", "--deflicker"}, 15},
        {{"--deflicker=7", "--make-movie", "p"}, 7},
        {{"--make-movie", "p", "--deflicker", "--deflicker=0"}, 0},
        {{"--make-movie", "p", "--deflicker=51"}, 51},
    };
    for (const auto& [args, frames] : cases) {
        const Command command = parse(args);
        ASSERT_EQ(command.action, CommandAction::MakeMovie) << testing::PrintToString(args);
        EXPECT_EQ(command.movie.deflicker, frames) << testing::PrintToString(args);
    }
    const std::string needs = "--deflicker=N needs a whole number of frames from 0 to 51";
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--make-movie", "p", "--deflicker=x"},
                                               {"--make-movie", "p", "--deflicker=-3"},
                                               {"--make-movie", "p", "--deflicker="},
                                               {"--make-movie", "p", "--deflicker=52"},
                                               {"--make-movie", "p", "--deflicker=1.5"}}) {
        const Command command = parse(args);
        EXPECT_EQ(command.action, CommandAction::UsageError) << testing::PrintToString(args);
        EXPECT_EQ(command.error, needs) << testing::PrintToString(args);
    }
    // A plain word after it is no window but a word out of place.
    EXPECT_EQ(parse({"--make-movie", "p", "--deflicker", "7"}).error, "unexpected argument '7'");
    EXPECT_EQ(parse({"--deflicker", "--help"}).action, CommandAction::Help);
    EXPECT_EQ(parse({"--deflicker", "--version"}).action, CommandAction::Version);
}

TEST(CommandLineParsing, HelpAndVersionComeFirst) {
    EXPECT_EQ(parse({"--help"}).action, CommandAction::Help);
    EXPECT_EQ(parse({"--make-movie", "x", "--help"}).action, CommandAction::Help);
    EXPECT_EQ(parse({"some", "words", "--help"}).action, CommandAction::Help);
    EXPECT_EQ(parse({"--version", "--display", ":3"}).action, CommandAction::Version);
}

// Beside one of the program's own options, wherever it stands, every argument must be right.
TEST(CommandLineParsing, MistakesBesideOwnOptionsAreUsageErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
        {{"--bogus-option", "--make-movie", "p"}, "unknown option '--bogus-option'"},
        {{"--help", "-x"}, "unknown option '-x'"},
        {{"--help=me"}, "unknown option '--help=me'"},
        {{"--version=2"}, "unknown option '--version=2'"},
        {{"--make-movie"}, "--make-movie needs a series record or a folder"},
        {{"--make-movie", "p", "--fps", "fast"}, "--fps needs a whole number of frames per second"},
        {{"--make-movie", "p", "--size", "1920"},
         "--size needs WIDTHxHEIGHT, such as 1920x1080, or source"},
        {{"--make-movie", "p", "-o"}, "-o needs a file name"},
        {{"--make-movie", "p", "extra"}, "unexpected argument 'extra'"},
        {{"word", "--make-movie", "p"}, "unexpected argument 'word'"},
        {{"--make-movie=", "p"}, "--make-movie needs a series record or a folder"},
        {{"-o", "--help"}, "-o is only for --make-movie"},
        {{"--deflicker", "--help=x"}, "unknown option '--help=x'"},
    };
    for (const auto& [args, error] : mistakes) {
        const Command command = parse(args);
        EXPECT_EQ(command.action, CommandAction::UsageError) << testing::PrintToString(args);
        EXPECT_EQ(command.error, error) << testing::PrintToString(args);
    }
}

struct Ran {
    int status = -1; // exit status, or 128 + signal
    std::string out, err;
};

// Runs the real program without a display, as on a server.
class RealProgram : public testing::Test {
  protected:
    Ran run(const std::vector<std::string>& args,
            const std::function<void(pid_t, const std::string&)>& meanwhile = nullptr) {
        const std::string out = work.file("stdout"), err = work.file("stderr");
        const pid_t child = fork();
        if (child == 0) {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr))
                _exit(127);
            std::vector<char*> argv = {const_cast<char*>(VANTLOW_BINARY)};
            for (const std::string& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            execv(VANTLOW_BINARY, argv.data());
            _exit(127);
        }
        if (meanwhile)
            meanwhile(child, out);
        int status = 0;
        waitpid(child, &status, 0);
        Ran ran;
        ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        ran.out = read_file(out);
        ran.err = read_file(err);
        std::filesystem::remove(out);
        std::filesystem::remove(err);
        return ran;
    }

    std::string pictures(int count, int width = 160, int height = 120) {
        const std::string dir = work.file("pictures");
        std::filesystem::create_directories(dir);
        for (int frame = 1; frame <= count; ++frame) {
            const std::string path = dir + "/p" + std::to_string(1000 + frame) + ".jpg";
            write_camera_picture(path, frame, width, height);
            set_file_time(path, 1700000000 + frame);
        }
        return dir;
    }

    TempDir work;
};

TEST_F(RealProgram, VersionAndHelpNeedNoDisplay) {
    Ran ran = run({"--version"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out, std::string("vantlow ") + VANTLOW_VERSION + "\n");
    EXPECT_EQ(ran.err, "");

    ran = run({"--help"});
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.err, "");
    for (const char* option : {"\n  --make-movie SOURCE ", "\n  -o, --output OUT.mp4 ",
                               "\n  --fps N ", "\n  --size WxH|source ", "\n  --deflicker[=N] ",
                               "\n  --force ", "\n  --help ", "\n  --version "})
        EXPECT_NE(ran.out.find(option), std::string::npos) << option << " in\n" << ran.out;
}

TEST_F(RealProgram, AMistakeBesideAnOwnOptionGivesAShortUsageAndStatus2) {
    Ran ran = run({"--make-movie", "x", "--bogus-option"});
    EXPECT_EQ(ran.status, 2);
    EXPECT_EQ(ran.out, "");
    EXPECT_EQ(ran.err.rfind("vantlow: unknown option '--bogus-option'\nUsage: vantlow ", 0), 0u)
        << ran.err;
    EXPECT_LE(std::count(ran.err.begin(), ran.err.end(), '\n'), 4) << "short";

    EXPECT_EQ(run({"--make-movie", "x", "--fps", "ten"}).status, 2);
    ran = run({"--make-movie", "x", "--deflicker=-1"});
    EXPECT_EQ(ran.status, 2);
    EXPECT_EQ(ran.err.rfind("vantlow: --deflicker=N needs a whole number of frames from 0 to "
                            "51\nUsage: vantlow ",
                            0),
              0u)
        << ran.err;
}

TEST_F(RealProgram, MakesAMovieWithProgressOnOneLine) {
    const std::string source = pictures(8);
    Ran ran = run({"--make-movie", source, "--fps", "5", "--size", "320x180"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.err, "");
    const std::string movie = work.file("pictures.mp4");
    // Each update goes back to the start of the line; one line end closes it.
    EXPECT_EQ(ran.out.front(), '\r') << ran.out;
    EXPECT_NE(ran.out.find("\r8 of 8 frames"), std::string::npos) << ran.out;
    EXPECT_EQ(ran.out.substr(ran.out.find('\n')),
              "\nWrote " + movie + ": 8 frames, 320 x 180, 5 frames per second.\n");
    MovieOnDisk read = read_movie(movie);
    EXPECT_EQ(read.frames.size(), 8u);
    EXPECT_EQ(read.width, 320);
    EXPECT_EQ(read.rateNum, 5);
    EXPECT_EQ(read.rateDen, 1);
}

TEST_F(RealProgram, DeflickerEvensOutTheMovie) {
    const std::string source = work.file("lit");
    std::filesystem::create_directories(source);
    write_lit_series(source, 480, 270, random_flicker(20, 0.3, 5));
    const std::string plain = work.file("plain.mp4"), evened = work.file("evened.mp4");
    ASSERT_EQ(run({"--make-movie", source, "-o", plain, "--size", "320x180"}).status, 0);
    Ran ran = run({"--make-movie", source, "-o", evened, "--size", "320x180", "--deflicker=7"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.err, "");
    EXPECT_NE(ran.out.find("\nWrote " + evened + ": 20 frames, 320 x 180, 25 frames per second.\n"),
              std::string::npos)
        << ran.out;
    EXPECT_LT(jitter(mean_lumas(read_movie(evened).frames)),
              jitter(mean_lumas(read_movie(plain).frames)) / 3);
}

// Without --deflicker, a movie of a series whose exposure followed the light is deflickered: the
// steps of its exposure would flicker. Any other source is left as it is, and --deflicker=N
// always wins.
TEST_F(RealProgram, DeflickerIsOnByDefaultForASeriesWhoseExposureFollowedTheLight) {
    const std::string lit = work.file("lit");
    std::filesystem::create_directories(lit);
    const std::vector<std::string> pictures =
        write_lit_series(lit, 480, 270, random_flicker(20, 0.3, 5));
    const std::string followed = write_series_record(lit, 1714561200, pictures, true);
    const std::string old = write_series_record(lit, 1714557600, pictures, false);
    ASSERT_NE(followed, "");
    ASSERT_NE(old, "");

    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"--make-movie", followed}, 15},
        {{"--make-movie", followed, "--deflicker=0"}, 0},
        {{"--deflicker=7", "--make-movie", followed}, 7},
        {{"--make-movie", old}, 0},
        {{"--make-movie", lit}, 0}, // a folder, though its newest record followed the light
        {{"--make-movie", work.file("none.csv")}, 0},
    };
    for (const auto& [args, frames] : cases) {
        const Command command = parse(args);
        ASSERT_EQ(command.action, CommandAction::MakeMovie) << testing::PrintToString(args);
        EXPECT_EQ(command.movie.deflicker, frames) << testing::PrintToString(args);
    }

    auto lumas = [&](const std::string& source, const std::string& name,
                     std::vector<std::string> options) {
        const std::string movie = work.file(name);
        std::vector<std::string> args = {"--make-movie", source, "-o", movie, "--size", "320x180"};
        args.insert(args.end(), options.begin(), options.end());
        const Ran ran = run(args);
        EXPECT_EQ(ran.status, 0) << ran.err;
        EXPECT_EQ(ran.err, "");
        EXPECT_NE(
            ran.out.find("\nWrote " + movie + ": 20 frames, 320 x 180, 25 frames per second.\n"),
            std::string::npos)
            << ran.out;
        return mean_lumas(read_movie(movie).frames);
    };
    const std::vector<double> evened = lumas(followed, "followed.mp4", {});
    const std::vector<double> asked = lumas(followed, "asked.mp4", {"--deflicker=0"});
    const std::vector<double> before = lumas(old, "old.mp4", {});
    ASSERT_EQ(evened.size(), 20u);
    EXPECT_LT(jitter(evened), jitter(asked) / 3);
    EXPECT_LT(jitter(evened), jitter(before) / 3);
}

TEST_F(RealProgram, FailuresSayWhatWentWrongWithStatus1) {
    Ran ran = run({"--make-movie", work.file("nowhere")});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err,
              "vantlow: Cannot read " + work.file("nowhere") + ": No such file or directory.\n");

    const std::string source = pictures(2);
    write_file(work.file("taken.mp4"), "keep");
    ran = run({"--make-movie", source, "-o", work.file("taken.mp4")});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.err, "vantlow: " + work.file("taken.mp4") +
                           " already exists and was not replaced. Use --force to replace it.\n");
    EXPECT_EQ(read_file(work.file("taken.mp4")), "keep");

    ran = run({"--make-movie", source, "-o", work.file("taken.mp4"), "--force"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(read_movie(work.file("taken.mp4")).frames.size(), 2u);
}

TEST_F(RealProgram, PicturesLeftOutAreNamedOnStandardError) {
    const std::string source = pictures(4);
    write_file(source + "/notes.txt", "not a picture");
    write_file(source + "/p1001.jpg",
               with_claimed_size(read_file(source + "/p1001.jpg"), 30000, 20000));
    truncate_file(source + "/p1002.jpg", 0.4);
    Ran ran = run({"--make-movie", source, "--size", "source"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.err, "vantlow: Left out 1 damaged or truncated picture: " + source +
                           "/p1002.jpg.\nvantlow: Left out 1 picture whose header claims more "
                           "than 250 megapixels: " +
                           source +
                           "/p1001.jpg.\nvantlow: Left out 1 file that is not a JPEG "
                           "picture: " +
                           source + "/notes.txt.\n");
    EXPECT_NE(ran.out.find(": 2 frames, 160 x 120,"), std::string::npos) << ran.out;
}

TEST_F(RealProgram, AnInterruptStopsTheRunAndRemovesThePartialMovie) {
    const std::string source = pictures(200, 320, 240);
    const std::string movie = work.file("interrupted.mp4");
    Ran ran = run({"--make-movie", source, "-o", movie}, [](pid_t child, const std::string& out) {
        // Once the first frame is done, as a person pressing Ctrl+C would.
        for (int i = 0; i < 3000 && read_file(out).find(", about") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        kill(child, SIGINT);
    });
    EXPECT_EQ(ran.status, 130) << ran.out << ran.err;
    EXPECT_EQ(ran.err, "vantlow: Cancelled; the partial movie was removed.\n");
    EXPECT_FALSE(file_exists(movie));
    for (const auto& entry : std::filesystem::directory_iterator(work.path()))
        EXPECT_EQ(entry.path().filename().string().find(".interrupted"), std::string::npos)
            << entry.path();
}

} // namespace
