// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/movie_source.h"

#include "jpeg/jpeg_decoder.h"
#include "movie/exif_facts.h"
#include "record/series_record.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <tuple>

namespace fs = std::filesystem;

namespace {

struct Candidate {
    MoviePicture picture;
    double time = 0; // capture time, or file time when there is none
    double fileTime = 0;
    std::string name;
};

double file_time(const struct stat& info) {
    return double(info.st_mtim.tv_sec) + double(info.st_mtim.tv_nsec) / 1e9;
}

// Reads the picture's header; says which list it belongs to when it is no usable picture.
bool examine(const std::string& path, MovieSource& source, ExifFacts* facts,
             MoviePicture* picture) {
    JpegHeader header;
    switch (read_jpeg_header(path, header)) {
    case JpegDecodeResult::NotJpeg:
        source.notPictures.push_back(path);
        return false;
    case JpegDecodeResult::Unsupported:
    case JpegDecodeResult::Failed:
        source.damaged.push_back(path);
        return false;
    case JpegDecodeResult::Decoded:
        break;
    }
    if (std::uint64_t(header.width) * header.height > maxPicturePixels) {
        source.oversized.push_back(path);
        return false;
    }
    *facts = read_exif_facts(header.exif);
    *picture = {path, header.width, header.height, facts->orientation};
    return true;
}

void gather_folder(const std::string& folder, MovieSource& source) {
    std::vector<Candidate> found;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) {
        source.error = "Cannot read the folder " + folder + ": " + error.message() + ".";
        return;
    }
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        // Hidden files include pictures and movies still being written.
        if (name.empty() || name[0] == '.' || is_series_record_name(name))
            continue;
        struct stat info;
        if (stat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        Candidate candidate;
        ExifFacts facts;
        if (!examine(entry.path().string(), source, &facts, &candidate.picture))
            continue;
        candidate.fileTime = file_time(info);
        candidate.time = facts.captured.value_or(candidate.fileTime);
        candidate.name = name;
        found.push_back(std::move(candidate));
    }
    std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(a.time, a.fileTime, a.name) < std::tie(b.time, b.fileTime, b.name);
    });
    for (Candidate& candidate : found)
        source.pictures.push_back(std::move(candidate.picture));
    std::sort(source.notPictures.begin(), source.notPictures.end());
    std::sort(source.damaged.begin(), source.damaged.end());
    std::sort(source.oversized.begin(), source.oversized.end());
}

void gather_record(const std::string& path, MovieSource& source) {
    SeriesRecord record = read_series_record(path);
    if (!record.error.empty()) {
        source.error = record.error;
        return;
    }
    source.unreadableRows = record.unreadableRows;
    const fs::path folder = fs::path(path).parent_path();
    for (const SeriesRecordRow& row : record.rows) {
        if (row.outcome != SeriesOutcome::Written || row.file.empty())
            continue;
        const fs::path file =
            fs::path(row.file).is_absolute() ? fs::path(row.file) : folder / row.file;
        struct stat info;
        if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            source.missing.push_back(file.string());
            continue;
        }
        MoviePicture picture;
        ExifFacts facts;
        if (examine(file.string(), source, &facts, &picture))
            source.pictures.push_back(std::move(picture));
    }
}

} // namespace

MovieSource gather_pictures(const std::string& source) {
    MovieSource result;
    struct stat info;
    if (stat(source.c_str(), &info) != 0)
        result.error = "Cannot read " + source + ": " + std::strerror(errno) + ".";
    else if (S_ISDIR(info.st_mode))
        gather_folder(source, result);
    else
        gather_record(source, result);
    return result;
}
