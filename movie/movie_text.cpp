// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/movie_text.h"

#include "movie/movie_source.h"

#include <cmath>
#include <cstdio>

namespace {

std::string time_left_text(double seconds) {
    if (seconds < 0)
        return "";
    const long total = std::lround(seconds);
    char text[48];
    if (total >= 3600)
        std::snprintf(text, sizeof text, ", about %ld h %02ld min left", total / 3600,
                      total / 60 % 60);
    else
        std::snprintf(text, sizeof text, ", about %ld:%02ld left", total / 60, total % 60);
    return text;
}

std::string names_text(const std::vector<std::string>& names, std::size_t maxNames) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < maxNames; ++i)
        text += (i ? ", " : "") + names[i];
    if (names.size() > maxNames)
        text += " and " + std::to_string(names.size() - maxNames) + " more";
    return text;
}

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

std::string progress_text(const MovieProgress& progress) {
    return std::to_string(progress.done) + " of " + std::to_string(progress.total) + " frames" +
           time_left_text(progress.secondsLeft);
}

std::string made_text(const MovieResult& result) {
    return "Wrote " + result.output + ": " + counted(result.frames, "frame", "frames") + ", " +
           std::to_string(result.width) + " x " + std::to_string(result.height) + ", " +
           std::to_string(result.fps) + " frames per second.";
}

std::vector<std::string> left_out_text(const MovieResult& result, std::size_t maxNames) {
    std::vector<std::string> lines;
    if (!result.damaged.empty())
        lines.push_back("Left out " +
                        counted(result.damaged.size(), "damaged or truncated picture",
                                "damaged or truncated pictures") +
                        ": " + names_text(result.damaged, maxNames) + ".");
    if (!result.oversized.empty())
        lines.push_back("Left out " + counted(result.oversized.size(), "picture", "pictures") +
                        " whose header claims more than " +
                        std::to_string(maxPicturePixels / 1'000'000) +
                        " megapixels: " + names_text(result.oversized, maxNames) + ".");
    if (!result.missing.empty())
        lines.push_back("Left out " + counted(result.missing.size(), "picture", "pictures") +
                        " that the record names but that were moved or deleted: " +
                        names_text(result.missing, maxNames) + ".");
    if (!result.notPictures.empty())
        lines.push_back("Left out " +
                        counted(result.notPictures.size(), "file that is not a JPEG picture",
                                "files that are not JPEG pictures") +
                        ": " + names_text(result.notPictures, maxNames) + ".");
    if (result.unreadableRows > 0)
        lines.push_back("Left out " + counted(std::size_t(result.unreadableRows), "row", "rows") +
                        " of the record that could not be read.");
    return lines;
}
