// SPDX-License-Identifier: GPL-3.0-or-later
// How well deflickering works: 120 pictures of one scene whose exposure wanders at random by
// up to 0.3 EV either way, a steady ramp of 1 EV without flicker, and the two together, made
// into movies with and without it, read back and measured. The jitter goal is the flickering
// scene's, the ramp goal the steady ramp's: with flicker too, the 15-frame mean of the evened
// frames is a mean of means and keeps some of the flicker the plain one averages. Prints a
// table; exits 1 when a goal is missed.
//
//   deflicker_bench
//   deflicker_bench SOURCE
//     makes the movie of a folder or a series record with and without deflickering and prints
//     the jitter and the largest step of log2 luma from one frame to the next.
#include "movie/movie_reader.h"
#include "movie/movie_samples.h"

#include "movie/make_movie.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

const int pictureCount = 120, half = 7;
const unsigned seed = 2024;
const double minJitterRatio = 5, maxRampDifference = 0.03;

// Mean luma of each frame of a movie made of the folder.
std::vector<double> movie_lumas(const std::string& pictures, const std::string& output,
                                int deflicker) {
    MovieRequest request;
    request.source = pictures;
    request.output = output;
    request.width = 640;
    request.height = 360;
    request.replace = true;
    request.deflicker = deflicker;
    std::atomic<bool> cancel{false};
    const MovieResult result = make_movie(request, nullptr, cancel);
    if (result.outcome != MovieOutcome::Made) {
        std::fprintf(stderr, "no movie: %s\n", result.error.c_str());
        return {};
    }
    return mean_lumas(read_movie(output).frames);
}

struct Measured {
    double plainJitter = 0, evenedJitter = 0, rampDifference = 0;
    bool ok = false;
};

Measured measure(const TempDir& work, const std::string& name, const std::vector<double>& evs) {
    const std::string dir = work.file(name);
    std::filesystem::create_directories(dir);
    write_lit_series(dir, 960, 540, evs);
    const std::vector<double> plain = movie_lumas(dir, work.file("plain.mp4"), 0);
    const std::vector<double> evened =
        movie_lumas(dir, work.file("evened.mp4"), defaultDeflickerFrames);
    Measured measured;
    measured.ok = plain.size() == evs.size() && evened.size() == evs.size();
    measured.plainJitter = jitter(plain);
    measured.evenedJitter = jitter(evened);
    measured.rampDifference =
        largest_difference(centred_log_means(plain, half), centred_log_means(evened, half));
    return measured;
}

double largest_log_step(const std::vector<double>& lumas) {
    double largest = 0;
    for (size_t k = 1; k < lumas.size(); ++k)
        largest = std::max(largest, std::fabs(std::log2(lumas[k] / lumas[k - 1])));
    return largest;
}

int measure_source(const std::string& source) {
    TempDir work;
    const std::vector<double> plain = movie_lumas(source, work.file("plain.mp4"), 0);
    const std::vector<double> evened =
        movie_lumas(source, work.file("evened.mp4"), defaultDeflickerFrames);
    if (plain.empty() || plain.size() != evened.size()) {
        std::fprintf(stderr, "a movie was not made whole\n");
        return 2;
    }
    std::printf("frames %zu\n", plain.size());
    std::printf("jitter-luma %.3f %.3f\n", jitter(plain), jitter(evened));
    std::printf("largest-step-ev %.3f %.3f\n", largest_log_step(plain), largest_log_step(evened));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2)
        return measure_source(argv[1]);
    TempDir work;
    const std::vector<double> flicker = random_flicker(pictureCount, 0.3, seed);
    const Measured flat = measure(work, "flat", flicker);
    const Measured ramp =
        measure(work, "ramp", ramp_with(-0.5, 0.5, std::vector<double>(pictureCount, 0.0)));
    const Measured both = measure(work, "both", ramp_with(-0.5, 0.5, flicker));
    if (!flat.ok || !ramp.ok || !both.ok) {
        std::fprintf(stderr, "a movie was not made whole\n");
        return 2;
    }
    std::printf("%d pictures of 960 x 540, exposure +-0.3 EV at random (seed %u), to 640 x 360; "
                "deflicker over %d frames\n\n",
                pictureCount, seed, defaultDeflickerFrames);
    std::printf("| %-24s | %-21s | %-18s | %-7s | %-29s |\n", "scene", "jitter without (luma)",
                "jitter with (luma)", "lower", "15-frame mean, with - without");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(26, '-').c_str(), std::string(23, '-').c_str(),
                std::string(20, '-').c_str(), std::string(9, '-').c_str(),
                std::string(31, '-').c_str());
    const std::pair<const char*, const Measured*> rows[] = {
        {"flat, flicker", &flat}, {"ramp 1 EV, no flicker", &ramp}, {"ramp 1 EV, flicker", &both}};
    for (const auto& [name, m] : rows)
        std::printf("| %-24s | %21.3f | %18.3f | %6.1fx | %26.4f EV |\n", name, m->plainJitter,
                    m->evenedJitter, m->plainJitter / m->evenedJitter, m->rampDifference);
    const double ratio = flat.plainJitter / flat.evenedJitter;
    const bool flatOk = ratio >= minJitterRatio;
    const bool rampOk = ramp.rampDifference <= maxRampDifference;
    std::printf("\nJitter %.1fx lower (goal >= %.0fx): %s\n", ratio, minJitterRatio,
                flatOk ? "met" : "MISSED");
    std::printf("Steady ramp kept within %.4f EV, %d frames left out at each end (goal <= %.2f): "
                "%s\n",
                ramp.rampDifference, half, maxRampDifference, rampOk ? "met" : "MISSED");
    return flatOk && rampOk ? 0 : 1;
}
