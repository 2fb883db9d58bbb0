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

// CameraLost and CameraBack mark the gap of a series that waited for its camera; Missed, a slot
// of a steady series that passed entirely while an earlier pass ran, with no picture.
enum class SeriesOutcome {
    Written,
    NotRetrieved,
    DownloadFailed,
    WriteFailed,
    CameraLost,
    CameraBack,
    Missed
};

// A column beyond the usual ones. It is in the record only when the option that adds it is on,
// after the usual columns, and it is found by its name in the header.
struct RecordField {
    std::string column;
    std::string value;
};
using RecordFields = std::vector<RecordField>;

// The named columns that options add.
namespace record_column {
inline const std::string scheduled = "scheduled";    // steady cadence: when the pass was due (UTC)
inline const std::string latenessMs = "lateness_ms"; // steady cadence: how late it started
// The exposure follows the light: the settings the frame was taken with, and its brightness.
inline const std::string shutterSeconds = "shutter_s";
inline const std::string aperture = "aperture"; // f-number
inline const std::string iso = "iso";
inline const std::string brightnessEv = "brightness_ev"; // EV from mid-grey
} // namespace record_column

struct SeriesRecordRow {
    int frame = 0;
    int pass = 0;
    std::chrono::system_clock::time_point captured;
    std::string file; // the path the picture was written to, or empty
    std::string cameraFolder;
    std::string cameraName;
    std::optional<std::uint64_t> size; // bytes, when the picture was downloaded
    SeriesOutcome outcome = SeriesOutcome::Written;
    RecordFields extra; // values of the named columns; a column it lacks stays empty

    // The value of a named column, or null.
    const std::string* field(const std::string& column) const;
};

// Where the one line that says the record cannot be written goes.
using SeriesRecordReport = std::function<void(const std::string& line)>;
void print_to_console(const std::string& line);

// Starts the record of a series that started at `start` (local time in the name):
// dir/vantlow-series-YYYYMMDD-HHMMSS.csv, or with "-1", "-2"... if that name is taken; an
// existing file is never touched. `columns` are the named columns added after the usual ones.
// Ends a record still open. Returns the path, or "" when the record cannot be written (reported
// once).
std::string series_record_begin(const std::string& dir, std::time_t start,
                                SeriesRecordReport report = print_to_console,
                                const std::vector<std::string>& columns = {});
// Fields that every row of the pass carries beside its own: what the series knows of a pass
// and the camera does not. Set before the pass starts.
void series_record_pass_fields(int pass, RecordFields fields);
// Appends one row and hands it to the system at once, so a crash loses no row. After a failure
// the record takes no more rows; the failure is reported once.
void series_record_add(const SeriesRecordRow& row);
void series_record_end();

// A moment as the record writes it: UTC to the millisecond, "2024-05-01T10:00:01.007Z".
std::string record_time_text(std::chrono::system_clock::time_point when);

const char* outcome_text(SeriesOutcome outcome);

// Reading a record back.

// Reads the usual columns and the named ones it knows wherever the header puts them; other
// columns are passed over, so a later version's record still reads.
struct SeriesRecord {
    std::vector<SeriesRecordRow> rows; // file names as stored: relative to the record's folder
    int unreadableRows = 0;            // rows that were cut short or not ours
    std::string error;                 // set when the file is no series record at all
};

SeriesRecord read_series_record(const std::string& path);

// Whether the series' exposure followed the light: a row holds a setting in the exposure columns.
bool exposure_followed_light(const SeriesRecord& record);

// Whether a file name has the form series records are given.
bool is_series_record_name(const std::string& name);
// The record of the latest series started in dir, or "" when it holds none.
std::string newest_series_record(const std::string& dir);
