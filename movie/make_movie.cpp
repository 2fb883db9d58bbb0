// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/make_movie.h"

#include "files/file_placement.h"
#include "movie/decode_ahead.h"
#include "movie/movie_encoder.h"
#include "movie/movie_source.h"
#include "movie/picture_frame.h"
#include "record/series_record.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

extern "C" {
#include <libavutil/error.h>
}

namespace fs = std::filesystem;

namespace {

const int maxSide = 16384;

// Without trailing separators, so that "sky/" has the name "sky".
fs::path tidy(const std::string& path) {
    fs::path tidied = fs::absolute(path).lexically_normal();
    if (!tidied.has_filename() && tidied.has_relative_path())
        tidied = tidied.parent_path();
    return tidied;
}

bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the output names the record or one of the pictures, which are only ever read.
bool is_source_file(const struct stat& output, const MovieRequest& request,
                    const MovieSource& source) {
    struct stat info;
    if (stat(request.source.c_str(), &info) == 0 && same_file(info, output))
        return true;
    return std::any_of(source.pictures.begin(), source.pictures.end(),
                       [&](const MoviePicture& picture) {
                           return stat(picture.path.c_str(), &info) == 0 && same_file(info, output);
                       });
}

std::string no_pictures_text(const std::string& sourcePath, const MovieSource& source) {
    if (!source.missing.empty() && source.damaged.empty() && source.oversized.empty() &&
        source.notPictures.empty())
        return "None of the " + std::to_string(source.missing.size()) +
               " pictures that the record " + sourcePath +
               " names is there any more: they were moved or deleted.";
    return "There are no pictures to make a movie of in " + sourcePath + ".";
}

bool disk_full(int code) {
    return code == AVERROR(ENOSPC) || code == AVERROR(EDQUOT) || code == AVERROR(EFBIG);
}

std::string write_failure_text(const std::string& output, int code) {
    const std::string reason = libav_error_text(code);
    if (disk_full(code))
        return "The disk is full: " + output + " could not be written (" + reason +
               "). The partial movie was removed.";
    return "Could not write " + output + " (" + reason + "). The partial movie was removed.";
}

std::string none_decoded_text(std::size_t pictures) {
    return "None of the " + std::to_string(pictures) +
           " pictures could be decoded; no movie was made.";
}

bool own_size_requested(const MovieRequest& request) {
    return request.width == 0 && request.height == 0;
}

// A size asked for by number; false with the reason in result.error.
bool check_size(const MovieRequest& request, MovieResult& result) {
    if (own_size_requested(request))
        return true;
    if (request.width < 2 || request.height < 2 || request.width > maxSide ||
        request.height > maxSide || request.width % 2 || request.height % 2) {
        result.error = "The movie size must be two even numbers from 2 to " +
                       std::to_string(maxSide) + ", not " + std::to_string(request.width) + " x " +
                       std::to_string(request.height) + ".";
        return false;
    }
    result.width = request.width;
    result.height = request.height;
    return true;
}

// The size of the first picture that decodes; the pictures before it are left out, so that a
// damaged picture never sets the size. False when none decodes.
bool take_own_size(MovieSource& source, MovieResult& result) {
    const std::size_t gathered = source.pictures.size();
    PictureScratch scratch;
    const auto good = std::find_if(source.pictures.begin(), source.pictures.end(),
                                   [&](const MoviePicture& picture) {
                                       if (picture_decodes(picture, scratch))
                                           return true;
                                       result.damaged.push_back(picture.path);
                                       return false;
                                   });
    source.pictures.erase(source.pictures.begin(), good);
    if (source.pictures.empty()) {
        result.error = none_decoded_text(gathered);
        return false;
    }
    unsigned width, height;
    upright_size(source.pictures.front(), &width, &height);
    result.width = std::max(2, int(std::min<unsigned>(width, maxSide)) & ~1);
    result.height = std::max(2, int(std::min<unsigned>(height, maxSide)) & ~1);
    return true;
}

std::string open_failure_text(const std::string& output, const MovieResult& result,
                              const MovieEncoder& encoder, int code) {
    if (disk_full(code))
        return write_failure_text(output, code);
    if (encoder.size_refused())
        return "The H.264 encoder cannot make a movie of " + std::to_string(result.width) + " x " +
               std::to_string(result.height) +
               " pixels; choose a smaller size, such as 1920 x 1080.";
    return "Could not start the H.264 encoder (" + libav_error_text(code) + ").";
}

// Checks where the movie goes; false with the outcome and reason set in result.
bool check_output(const MovieRequest& request, const MovieSource& source, MovieResult& result) {
    if (request.output.empty()) {
        result.error = "No file was given to write the movie to.";
        return false;
    }
    struct stat info;
    if (stat(request.output.c_str(), &info) != 0)
        return true;
    if (S_ISDIR(info.st_mode)) {
        result.error = request.output + " is a folder; give the movie a file name.";
        return false;
    }
    if (is_source_file(info, request, source)) {
        result.error = request.output +
                       " is one of the pictures or the series record the movie is made from; "
                       "they are only ever read.";
        return false;
    }
    if (!request.replace) {
        result.outcome = MovieOutcome::OutputExists;
        result.error = request.output + " already exists and was not replaced.";
        return false;
    }
    return true;
}

// The movie is written under a hidden name in its folder and appears under its own only when
// whole; the partial file is removed whenever the run ends early.
struct PartialMovie {
    std::string path;
    bool kept = false;
    ~PartialMovie() {
        if (!path.empty() && !kept)
            unlink(path.c_str());
    }
};

bool reserve_partial(const std::string& output, PartialMovie& partial, MovieResult& result) {
    const fs::path target = tidy(output);
    const std::string folder = target.parent_path().string();
    int fd = create_partial_file(folder, target.filename().string(), &partial.path);
    if (fd < 0) {
        const int error = errno;
        partial.path.clear();
        result.error =
            "Cannot write the movie into the folder " + folder + " (" + std::strerror(error) + ").";
        return false;
    }
    close(fd);
    return true;
}

bool place_movie(const MovieRequest& request, PartialMovie& partial, MovieResult& result) {
    // On disk before it takes the name, so a crash never leaves a movie cut short under it.
    int fd = open(partial.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    int error = 0;
    if (request.replace)
        error = std::rename(partial.path.c_str(), request.output.c_str()) == 0 ? 0 : errno;
    else
        error = move_without_replacing(partial.path, request.output);
    if (error == EEXIST) {
        result.outcome = MovieOutcome::OutputExists;
        result.error = request.output + " appeared while the movie was made and was not "
                                        "replaced; the new movie was removed.";
        return false;
    }
    if (error != 0) {
        result.error = "Could not give the movie its name " + request.output + " (" +
                       std::strerror(error) + "); the new movie was removed.";
        return false;
    }
    partial.kept = true;
    return true;
}

void report_progress(const MovieProgressReport& progress, int done, int total,
                     std::chrono::steady_clock::time_point start) {
    if (!progress)
        return;
    MovieProgress now{done, total, -1};
    if (done > 0) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        now.secondsLeft = elapsed / done * (total - done);
    }
    progress(now);
}

// Encodes every picture the decoders deliver; 0 or the libav error that stopped it.
int encode_pictures(const MovieSource& source, int deflicker, MovieEncoder& encoder,
                    MovieResult& result, const MovieProgressReport& progress,
                    const std::atomic<bool>& cancel) {
    const int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    DecodeAhead decoders(source.pictures, result.width, result.height, threads, threads + 2,
                         deflicker_half_window(deflicker), cancel);
    if (!decoders.ready())
        return AVERROR(ENOMEM);
    int total = int(source.pictures.size());
    const auto start = std::chrono::steady_clock::now();
    report_progress(progress, 0, total, start);
    AVFrame* frame;
    bool decoded;
    while (const MoviePicture* picture = decoders.next(&frame, &decoded)) {
        if (decoded) {
            const int code = encoder.add(frame);
            if (code < 0)
                return code;
            ++result.frames;
        } else {
            result.damaged.push_back(picture->path);
            --total;
        }
        decoders.release();
        report_progress(progress, result.frames, total, start);
    }
    return 0;
}

MovieResult run(const MovieRequest& request, const MovieProgressReport& progress,
                const std::atomic<bool>& cancel) {
    MovieResult result;
    result.output = request.output;
    result.fps = request.fps;
    if (request.fps < 1 || request.fps > maxMovieFps) {
        result.error = "The frame rate must be a whole number from 1 to " +
                       std::to_string(maxMovieFps) + ", not " + std::to_string(request.fps) + ".";
        return result;
    }
    if (request.deflicker < 0 || request.deflicker > maxDeflickerFrames) {
        result.error = "The deflicker window must be a whole number of frames from 0 to " +
                       std::to_string(maxDeflickerFrames) + ", not " +
                       std::to_string(request.deflicker) + ".";
        return result;
    }
    MovieSource source = gather_pictures(request.source);
    result.notPictures = source.notPictures;
    result.damaged = source.damaged;
    result.oversized = source.oversized;
    result.missing = source.missing;
    result.unreadableRows = source.unreadableRows;
    if (!source.error.empty()) {
        result.error = source.error;
        return result;
    }
    if (source.pictures.empty()) {
        result.error = no_pictures_text(request.source, source);
        return result;
    }
    const std::size_t gathered = source.pictures.size();
    PartialMovie partial;
    // The output is checked against every picture before any is left out.
    if (!check_size(request, result) || !check_output(request, source, result) ||
        !reserve_partial(request.output, partial, result) ||
        (own_size_requested(request) && !take_own_size(source, result)))
        return result;

    MovieEncoder encoder;
    int code = encoder.open(partial.path, result.width, result.height, request.fps);
    if (code < 0) {
        result.error = open_failure_text(request.output, result, encoder, code);
        return result;
    }
    code = encode_pictures(source, request.deflicker, encoder, result, progress, cancel);
    if (cancel) {
        result.outcome = MovieOutcome::Cancelled;
        result.error = "Cancelled; the partial movie was removed.";
        return result;
    }
    if (code >= 0 && result.frames == 0) {
        result.error = none_decoded_text(gathered);
        return result;
    }
    if (code >= 0)
        code = encoder.finish();
    if (code < 0) {
        result.error = write_failure_text(request.output, code);
        return result;
    }
    if (place_movie(request, partial, result))
        result.outcome = MovieOutcome::Made;
    return result;
}

} // namespace

MovieResult make_movie(const MovieRequest& request, const MovieProgressReport& progress,
                       const std::atomic<bool>& cancel) {
    MovieResult result;
    // A thread of its own, so that lowering its priority leaves the caller's alone.
    std::thread worker([&] {
        lower_thread_priority();
        result = run(request, progress, cancel);
    });
    worker.join();
    return result;
}

std::string default_movie_path(const std::string& source) {
    const fs::path path = tidy(source);
    std::error_code error;
    fs::path base = fs::is_directory(path, error) ? path : path.parent_path() / path.stem();
    if (!base.has_filename())
        base /= "movie";
    for (int n = 0;; ++n) {
        fs::path candidate = base;
        candidate += (n ? "-" + std::to_string(n) : std::string()) + ".mp4";
        if (!fs::exists(candidate, error))
            return candidate.string();
    }
}

int default_deflicker(const std::string& source) {
    // A folder's pictures are gathered without its records, which may be of other series.
    std::error_code error;
    if (fs::is_directory(source, error))
        return 0;
    return exposure_followed_light(read_series_record(source)) ? defaultDeflickerFrames : 0;
}
