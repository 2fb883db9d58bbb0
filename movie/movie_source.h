// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pictures whose header claims more pixels than this are left out before they are decoded: no
// camera comes near, but a damaged header may claim up to 65500 x 65500, which would take
// gigabytes to decode.
constexpr std::uint64_t maxPicturePixels = 250'000'000;

// A picture that goes into the movie, as its header describes it.
struct MoviePicture {
    std::string path;
    unsigned width = 0, height = 0; // as stored, before turning upright
    int orientation = 1;            // EXIF's 1 to 8
};

// The pictures of a series record or of a folder, in the order the movie shows them, and what
// had to be left out.
struct MovieSource {
    std::vector<MoviePicture> pictures;
    std::vector<std::string> notPictures; // files that are no JPEG pictures
    std::vector<std::string> damaged;     // JPEGs whose header cannot be read
    std::vector<std::string> oversized;   // JPEGs claiming more than maxPicturePixels
    std::vector<std::string> missing;     // named in the record, but not there any more
    int unreadableRows = 0;               // rows of the record cut short or not ours
    std::string error;                    // set when the source cannot be read at all
};

// A series record (its rows in capture order, only pictures that were written) or a folder of
// pictures (by capture time from EXIF, pictures without one by file time; then by file time,
// then by name). Hidden files, folders and series records in the folder are passed over.
MovieSource gather_pictures(const std::string& source);
