// SPDX-License-Identifier: GPL-3.0-or-later
// Makes 120 pictures of 6000 x 4000 and turns them into a 1920 x 1080 H.264 movie four ways,
// side by side with the same encoder settings (libx264, the same preset, CRF, options and
// threads):
//   - the real program, vantlow --make-movie;
//   - the same with --deflicker, which measures and evens out every frame;
//   - the ffmpeg command line, reading and scaling the same pictures;
//   - encoding alone, the same frames already decoded in memory;
// and prints a table of frames per second and Vantlow's peak memory. All of them run at the
// low priority Vantlow gives itself, so that a busy machine treats them alike.
//
//   movie_bench [--pictures DIR] [--rounds N]   DIR keeps the pictures for the next run
//                                               (made if missing); N rounds, 3 by default
//
// Exits 1 when a goal is missed.

#include "movie/decode_ahead.h"
#include "movie/movie_encoder.h"
#include "movie/picture_frame.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <jpeglib.h>

extern "C" {
#include <libavutil/frame.h>
}

namespace fs = std::filesystem;

namespace {

const int pictureCount = 120;
const int pictureWidth = 6000, pictureHeight = 4000;
const int movieWidth = 1920, movieHeight = 1080, movieFps = 25;
const double minFfmpegRatio = 1.5;
const double maxEncodeRatio = 1.3;
const double maxPeakMiB = 300;
const double minDeflickerSpeed = 0.9;

std::string picture_name(const std::string& dir, int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%03d.jpg", n);
    return dir + name;
}

struct JpegTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void leave(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegTrap*>(info->err)->jump, 1);
}

// A landscape-like texture with detail at every scale, wider than a picture so that the
// pictures can pan across it: value noise summed over octaves, tinted by a slower noise.
class Texture {
  public:
    static const int width = pictureWidth + 4 * pictureCount;

    Texture() : pixels_(std::size_t(width) * pictureHeight * 3) {
        for (int y = 0; y < pictureHeight; ++y)
            for (int x = 0; x < width; ++x) {
                double light = 0, amplitude = 1, total = 0;
                for (int period = 1024; period >= 4; period /= 2, amplitude *= 0.8) {
                    light += amplitude * value_noise(x, y, period, unsigned(period));
                    total += amplitude;
                }
                light /= total;
                const double tint = value_noise(x, y, 1500, 7);
                const double rgb[3] = {light * (0.7 + 0.5 * tint), light * (0.9 + 0.2 * tint),
                                       light * (1.2 - 0.5 * tint)};
                for (int c = 0; c < 3; ++c)
                    pixels_[(std::size_t(y) * width + x) * 3 + c] =
                        JSAMPLE(std::clamp(rgb[c] * 255, 0.0, 255.0));
            }
    }

    const JSAMPLE* row(int y, int offset) const {
        return &pixels_[(std::size_t(y) * width + offset) * 3];
    }

  private:
    static double lattice(int i, int j, unsigned seed) {
        unsigned h = unsigned(i) * 374761393u + unsigned(j) * 668265263u + seed * 2246822519u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return double((h ^ (h >> 16)) & 0xffff) / 65535.0;
    }

    static double value_noise(int x, int y, int period, unsigned seed) {
        const int i = x / period, j = y / period;
        auto smooth = [](double t) { return t * t * (3 - 2 * t); };
        const double u = smooth(double(x % period) / period);
        const double v = smooth(double(y % period) / period);
        const double top = lattice(i, j, seed) * (1 - u) + lattice(i + 1, j, seed) * u;
        const double bottom = lattice(i, j + 1, seed) * (1 - u) + lattice(i + 1, j + 1, seed) * u;
        return top * (1 - v) + bottom * v;
    }

    std::vector<JSAMPLE> pixels_;
};

// Picture n looks at the texture a few pixels further along, through sensor noise, at
// quality 92: about as big and as slow to decode as a camera's picture.
bool write_picture(const Texture& texture, const std::string& path, int n) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::minstd_rand noise(unsigned(n) + 1);
    std::vector<JSAMPLE> row(std::size_t(pictureWidth) * 3);
    jpeg_compress_struct info;
    JpegTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = leave;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        std::fclose(file);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = pictureWidth;
    info.image_height = pictureHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < pictureHeight; ++y) {
        const JSAMPLE* scene = texture.row(y, 4 * n);
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = JSAMPLE(std::clamp(int(scene[i]) + int(noise() % 13) - 6, 0, 255));
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

// Makes the pictures that are missing, on every core, and gives them file times in name order
// (which is the order Vantlow takes for pictures without EXIF).
bool make_pictures(const std::string& dir) {
    fs::create_directories(dir);
    std::vector<int> missing;
    for (int n = 1; n <= pictureCount; ++n)
        if (!fs::exists(picture_name(dir, n)))
            missing.push_back(n);
    if (!missing.empty())
        std::fprintf(stderr, "making %zu pictures of %d x %d in %s ...\n", missing.size(),
                     pictureWidth, pictureHeight, dir.c_str());
    if (missing.empty())
        return true;
    const Texture texture;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> ok{true};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        workers.emplace_back([&] {
            for (std::size_t i; (i = next++) < missing.size();)
                if (!write_picture(texture, picture_name(dir, missing[i]), missing[i]))
                    ok = false;
        });
    for (std::thread& worker : workers)
        worker.join();
    for (int n = 1; n <= pictureCount && ok; ++n) {
        const timespec times[2] = {{1700000000 + n, 0}, {1700000000 + n, 0}};
        ok = utimensat(AT_FDCWD, picture_name(dir, n).c_str(), times, 0) == 0;
    }
    return ok;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;
    double peakMiB = -1;
    bool ok = false;
};

double cpu_seconds(const rusage& usage) {
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs a program with its output thrown away: wall time, CPU time and peak resident size.
Run run_program(const std::vector<std::string>& args) {
    Run run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (!std::freopen("/dev/null", "w", stdout))
            _exit(127);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.seconds = seconds_since(start);
    run.cpuSeconds = cpu_seconds(usage);
    run.peakMiB = usage.ru_maxrss / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// The pictures as the movie's frames, decoded once for encoding alone.
std::vector<AVFrame*> decode_all(const std::string& dir) {
    std::vector<AVFrame*> frames;
    PictureScratch scratch;
    for (int n = 1; n <= pictureCount; ++n) {
        MoviePicture picture{picture_name(dir, n), pictureWidth, pictureHeight, 1};
        AVFrame* frame = alloc_movie_frame(movieWidth, movieHeight);
        if (frame && picture_to_frame(picture, scratch, frame) == JpegDecodeResult::Decoded)
            frames.push_back(frame);
        else
            av_frame_free(&frame);
    }
    return frames;
}

Run encode_frames(const std::vector<AVFrame*>& frames, const std::string& output) {
    Run run;
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    {
        MovieEncoder encoder;
        run.ok = frames.size() == pictureCount &&
                 encoder.open(output, movieWidth, movieHeight, movieFps) == 0;
        for (AVFrame* frame : frames)
            run.ok = run.ok && encoder.add(frame) == 0;
        run.ok = run.ok && encoder.finish() == 0;
    }
    run.seconds = seconds_since(start);
    getrusage(RUSAGE_SELF, &after);
    run.cpuSeconds = cpu_seconds(after) - cpu_seconds(before);
    return run;
}

// Decodes the pictures and times the encoder on them in a child process: were the frames held
// here, every program started later would count them in its peak memory until its exec.
Run encode_alone(const std::string& pictures, const std::string& output) {
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        std::vector<AVFrame*> frames = decode_all(pictures);
        const Run run = encode_frames(frames, output);
        for (AVFrame* frame : frames)
            av_frame_free(&frame);
        _exit(write(channel[1], &run, sizeof run) == sizeof run ? 0 : 1);
    }
    close(channel[1]);
    Run run;
    if (read(channel[0], &run, sizeof run) != sizeof run)
        run.ok = false;
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return run;
}

// The best of the rounds: other programs on the machine only ever slow a run down.
void keep_best(Run& best, const Run& run) {
    if (!run.ok) {
        best.ok = false;
        return;
    }
    if (best.seconds == 0 || run.seconds < best.seconds) {
        const double peak = std::max(best.peakMiB, run.peakMiB);
        best = run;
        best.peakMiB = peak;
    }
    best.peakMiB = std::max(best.peakMiB, run.peakMiB);
}

double mib(const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? -1 : double(size) / (1024 * 1024);
}

void row(const char* name, const Run& run, const std::string& output) {
    char peak[32] = "-";
    if (run.peakMiB >= 0)
        std::snprintf(peak, sizeof peak, "%.0f", run.peakMiB);
    std::printf("| %-42s | %7.1f | %6.2f | %7.1f | %8s | %7.2f |\n", name, run.seconds,
                pictureCount / run.seconds, run.cpuSeconds, peak, mib(output));
}

} // namespace

int main(int argc, char** argv) {
    std::string pictures;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pictures" && i + 1 < argc) {
            pictures = argv[++i];
        } else if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: movie_bench [--pictures DIR] [--rounds N]\n");
            return 2;
        }
    }
    char work[] = "/tmp/movie-bench-XXXXXX";
    if (!mkdtemp(work)) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 2;
    }
    if (pictures.empty())
        pictures = std::string(work) + "/pictures";
    if (!make_pictures(pictures)) {
        std::fprintf(stderr, "cannot write the pictures into %s\n", pictures.c_str());
        return 2;
    }
    lower_thread_priority();

    const std::string vantlowOut = std::string(work) + "/vantlow.mp4";
    const std::string ffmpegOut = std::string(work) + "/ffmpeg.mp4";
    const std::string aloneOut = std::string(work) + "/alone.mp4";
    const std::string w = std::to_string(movieWidth), h = std::to_string(movieHeight);
    const std::vector<std::string> vantlowCommand = {
        VANTLOW_BINARY, "--make-movie",           pictures, "-o",        vantlowOut,
        "--fps",        std::to_string(movieFps), "--size", w + "x" + h, "--force"};
    const std::string deflickerOut = std::string(work) + "/deflicker.mp4";
    std::vector<std::string> deflickerCommand = vantlowCommand;
    deflickerCommand[4] = deflickerOut;
    deflickerCommand.push_back("--deflicker");
    const std::string fit = "scale=" + w + ":" + h +
                            ":force_original_aspect_ratio=decrease,pad=" + w + ":" + h +
                            ":(ow-iw)/2:(oh-ih)/2,format=yuv420p";
    std::vector<std::string> ffmpegCommand = {"ffmpeg",
                                              "-hide_banner",
                                              "-loglevel",
                                              "error",
                                              "-y",
                                              "-framerate",
                                              std::to_string(movieFps),
                                              "-i",
                                              pictures + "/frame-%03d.jpg",
                                              "-vf",
                                              fit};
    const MovieEncoderSettings& encoder = movie_encoder_settings();
    for (const std::string& arg :
         {std::string("-c:v"), std::string("libx264"), std::string("-preset"),
          std::string(encoder.preset), std::string("-crf"), std::to_string(encoder.crf),
          std::string("-x264-params"), std::string(encoder.x264Params), std::string("-threads"),
          std::to_string(std::max(1u, std::thread::hardware_concurrency())),
          std::string("-movflags"), std::string("+faststart"), ffmpegOut})
        ffmpegCommand.push_back(arg);

    // Taken in turns, so that a change in what else the machine runs touches all alike.
    Run vantlow, deflicker, ffmpeg, alone;
    for (int round = 1; round <= rounds; ++round) {
        std::fprintf(stderr, "round %d of %d ...\n", round, rounds);
        keep_best(vantlow, run_program(vantlowCommand));
        keep_best(deflicker, run_program(deflickerCommand));
        keep_best(ffmpeg, run_program(ffmpegCommand));
        keep_best(alone, encode_alone(pictures, aloneOut));
    }
    if (!vantlow.ok || !deflicker.ok || !ffmpeg.ok || !alone.ok) {
        std::fprintf(stderr,
                     "a run failed: vantlow %d, deflicker %d, ffmpeg %d, encoding alone %d\n",
                     vantlow.ok, deflicker.ok, ffmpeg.ok, alone.ok);
        return 2;
    }

    std::printf("%d pictures of %d x %d (%.1f MiB each) to %d x %d at %d fps; libx264 preset "
                "%s, CRF %d, %s; %u cores; best of %d rounds\n\n",
                pictureCount, pictureWidth, pictureHeight, mib(picture_name(pictures, 1)),
                movieWidth, movieHeight, movieFps, encoder.preset, encoder.crf, encoder.x264Params,
                std::thread::hardware_concurrency(), rounds);
    std::printf("| %-42s | %7s | %6s | %7s | %8s | %7s |\n", "run", "seconds", "fps", "CPU s",
                "peak MiB", "MiB out");
    std::printf("|%s|---------|--------|---------|----------|---------|\n",
                std::string(44, '-').c_str());
    row("vantlow --make-movie", vantlow, vantlowOut);
    row("vantlow --make-movie --deflicker", deflicker, deflickerOut);
    row("ffmpeg -i frame-%03d.jpg -vf scale,pad", ffmpeg, ffmpegOut);
    row("encoding alone (frames decoded in memory)", alone, aloneOut);

    const double ffmpegRatio = ffmpeg.seconds / vantlow.seconds;
    const double encodeRatio = vantlow.seconds / alone.seconds;
    const bool fast = ffmpegRatio >= minFfmpegRatio;
    const bool hidden = encodeRatio <= maxEncodeRatio;
    const bool small = vantlow.peakMiB <= maxPeakMiB;
    const double deflickerSpeed = vantlow.seconds / deflicker.seconds;
    const bool evenedFast = deflickerSpeed >= minDeflickerSpeed;
    std::printf("\nVantlow against ffmpeg: %.2f x as fast (goal >= %.1f): %s\n", ffmpegRatio,
                minFfmpegRatio, fast ? "met" : "MISSED");
    std::printf("Vantlow against encoding alone: %.2f x the time (goal <= %.1f): %s\n", encodeRatio,
                maxEncodeRatio, hidden ? "met" : "MISSED");
    std::printf("Vantlow's peak memory: %.0f MiB (goal <= %.0f): %s\n", vantlow.peakMiB, maxPeakMiB,
                small ? "met" : "MISSED");

    std::printf("Deflicker against without: %.2f x the speed (goal >= %.1f): %s\n", deflickerSpeed,
                minDeflickerSpeed, evenedFast ? "met" : "MISSED");

    fs::remove_all(work);
    return fast && hidden && small && evenedFast ? 0 : 1;
}
