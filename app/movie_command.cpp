// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"
#include "movie/movie_text.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <iostream>

namespace {

// Set by Ctrl+C or a termination request: the run stops and removes its partial movie.
std::atomic<bool> interrupted{false};

void interrupt(int) {
    interrupted = true;
}

// Rewrites one line of standard output, a few times a second at most.
struct ProgressLine {
    std::chrono::steady_clock::time_point shown;
    std::size_t width = 0;
    bool any = false;

    void show(const MovieProgress& progress) {
        const auto now = std::chrono::steady_clock::now();
        const bool last = progress.done == progress.total;
        if (any && !last && now - shown < std::chrono::milliseconds(250))
            return;
        std::string text = progress_text(progress);
        const std::size_t shownWidth = text.size();
        if (text.size() < width)
            text.append(width - text.size(), ' ');
        std::cout << '\r' << text << std::flush;
        width = shownWidth;
        shown = now;
        any = true;
    }

    void end() {
        if (any)
            std::cout << std::endl;
    }
};

} // namespace

int run_movie_command(MovieRequest request) {
    if (request.output.empty())
        request.output = default_movie_path(request.source);
    struct sigaction action = {}, previousInt, previousTerm;
    action.sa_handler = interrupt;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);

    ProgressLine line;
    MovieResult result = make_movie(
        request, [&line](const MovieProgress& progress) { line.show(progress); }, interrupted);
    line.end();
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);

    for (const std::string& note : left_out_text(result, SIZE_MAX))
        std::cerr << "vantlow: " << note << std::endl;
    switch (result.outcome) {
    case MovieOutcome::Made:
        std::cout << made_text(result) << std::endl;
        return 0;
    case MovieOutcome::OutputExists:
        std::cerr << "vantlow: " << result.error << " Use --force to replace it." << std::endl;
        return 1;
    case MovieOutcome::Cancelled:
        std::cerr << "vantlow: " << result.error << std::endl;
        return 130;
    case MovieOutcome::Failed:
        break;
    }
    std::cerr << "vantlow: " << result.error << std::endl;
    return 1;
}
