// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

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
    std::vector<std::string> missing;     // named in the record, but not there any more
    int unreadableRows = 0;               // rows of the record cut short or not ours
    std::string error;                    // set when the source cannot be read at all
};

// A series record (its rows in capture order, only pictures that were written) or a folder of
// pictures (by capture time from EXIF, pictures without one by file time; then by file time,
// then by name). Hidden files, folders and series records in the folder are passed over.
MovieSource gather_pictures(const std::string& source);
