// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The record of a time-lapse series: a CSV file in the working directory, one row per picture
// in capture order, each written through to the file as its picture is done. Free of the
// toolkit, so the thread that runs the camera can keep it.

// CameraLost and CameraBack mark the gap of a series that waited for its camera.
enum class SeriesOutcome {
    Written,
    NotRetrieved,
    DownloadFailed,
    WriteFailed,
    CameraLost,
    CameraBack
};

struct SeriesRecordRow {
    int frame = 0;
    int pass = 0;
    std::chrono::system_clock::time_point captured;
    std::string file; // the path the picture was written to, or empty
    std::string cameraFolder;
    std::string cameraName;
    std::optional<std::uint64_t> size; // bytes, when the picture was downloaded
    SeriesOutcome outcome = SeriesOutcome::Written;
};

// Where the one line that says the record cannot be written goes.
using SeriesRecordReport = std::function<void(const std::string& line)>;
void print_to_console(const std::string& line);

// Starts the record of a series that started at `start` (local time in the name):
// dir/vantlow-series-YYYYMMDD-HHMMSS.csv, or with "-1", "-2"... if that name is taken; an
// existing file is never touched. Ends a record still open. Returns the path, or "" when the
// record cannot be written (reported once).
std::string series_record_begin(const std::string& dir, std::time_t start,
                                SeriesRecordReport report = print_to_console);
// Appends one row and hands it to the system at once, so a crash loses no row. After a failure
// the record takes no more rows; the failure is reported once.
void series_record_add(const SeriesRecordRow& row);
void series_record_end();

const char* outcome_text(SeriesOutcome outcome);

// Reading a record back.

struct SeriesRecord {
    std::vector<SeriesRecordRow> rows; // file names as stored: relative to the record's folder
    int unreadableRows = 0;            // rows that were cut short or not ours
    std::string error;                 // set when the file is no series record at all
};

SeriesRecord read_series_record(const std::string& path);

// Whether a file name has the form series records are given.
bool is_series_record_name(const std::string& name);
// The record of the latest series started in dir, or "" when it holds none.
std::string newest_series_record(const std::string& dir);
