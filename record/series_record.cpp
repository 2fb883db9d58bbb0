// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/series_record.h"
#include "files/file_placement.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char recordPrefix[] = "vantlow-series-";
const char recordSuffix[] = ".csv";
// The usual columns, in the order they are written.
enum Column { Frame, Pass, Time, File, CameraFolder, CameraName, Size, Outcome, ColumnCount };
const char* const columnNames[ColumnCount] = {"frame",         "pass",        "time", "file",
                                              "camera_folder", "camera_name", "size", "outcome"};

// The named columns that a reader keeps; others are passed over.
const std::vector<std::string>& known_columns() {
    static const std::vector<std::string> known = {
        record_column::scheduled, record_column::latenessMs,   record_column::shutterSeconds,
        record_column::aperture,  record_column::brightnessEv, record_column::iso};
    return known;
}

// The record being written. Rows may come from another thread than the one that began it.
struct OpenRecord {
    std::mutex lock;
    int fd = -1;
    std::string path;
    fs::path folder;
    SeriesRecordReport report;
    std::vector<std::string> columns; // named, after the usual ones
    int fieldsPass = 0;               // the pass that `passFields` belong to
    RecordFields passFields;
};
OpenRecord record;

std::string quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string out = "\"";
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string record_time_text(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    long millis = static_cast<long>(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millis);
    return text;
}

namespace {

bool parse_utc(const std::string& text, std::chrono::system_clock::time_point* when) {
    std::tm tm{};
    int millis = 0;
    char zone = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c%n", &tm.tm_year, &tm.tm_mon,
                    &tm.tm_mday, &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &millis, &zone, &used) != 8 ||
        zone != 'Z' || std::size_t(used) != text.size())
        return false;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    *when = std::chrono::system_clock::from_time_t(timegm(&tm)) + std::chrono::milliseconds(millis);
    return true;
}

// Without trailing separators, so that "/a/b/" and "/a/b" name the same folder.
fs::path folder_path(const std::string& dir) {
    fs::path path = fs::absolute(dir.empty() ? "." : dir).lexically_normal();
    if (!path.has_filename() && path.has_relative_path())
        path = path.parent_path();
    return path;
}

// Pictures in the record's folder are named as they are there, so the folder can be moved.
std::string stored_name(const std::string& file) {
    if (file.empty())
        return file;
    fs::path path = fs::absolute(file).lexically_normal();
    return path.parent_path() == record.folder ? path.filename().string() : path.string();
}

std::string header_text(const std::vector<std::string>& columns) {
    std::string line;
    for (const char* name : columnNames)
        line += (line.empty() ? "" : ",") + std::string(name);
    for (const std::string& name : columns)
        line += "," + quoted(name);
    return line + "\r\n";
}

// A named column's value: the row's own, else the one its pass carries.
std::string named_value(const SeriesRecordRow& row, const std::string& column) {
    if (const std::string* value = row.field(column))
        return *value;
    if (row.pass == record.fieldsPass)
        for (const RecordField& field : record.passFields)
            if (field.column == column)
                return field.value;
    return "";
}

std::string row_text(const SeriesRecordRow& row) {
    std::ostringstream line;
    line << row.frame << ',' << row.pass << ',' << record_time_text(row.captured) << ','
         << quoted(stored_name(row.file)) << ',' << quoted(row.cameraFolder) << ','
         << quoted(row.cameraName) << ',';
    if (row.size)
        line << *row.size;
    line << ',' << outcome_text(row.outcome);
    for (const std::string& column : record.columns)
        line << ',' << quoted(named_value(row, column));
    line << "\r\n";
    return line.str();
}

// Called with the lock held; returns the line to report once the lock is released. A record
// that failed once takes no more rows: a row cut short by a full disk would run into the next.
std::string give_up(const std::string& path, int error) {
    if (record.fd >= 0)
        close(record.fd);
    record.fd = -1;
    return "The series record " + path + " cannot be written (" + std::strerror(error) +
           "); the series goes on without it.";
}

void report(const SeriesRecordReport& to, const std::string& line) {
    if (to && !line.empty())
        to(line);
}

void close_record() {
    if (record.fd >= 0)
        close(record.fd);
    record.fd = -1;
    record.path.clear();
    record.columns.clear();
    record.fieldsPass = 0;
    record.passFields.clear();
}

std::string stamp_of(std::time_t start) {
    std::tm tm{};
    localtime_r(&start, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &tm);
    return text;
}

bool all_digits(const std::string& text, std::size_t from, std::size_t count) {
    if (from + count > text.size())
        return false;
    for (std::size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// Splits CSV text into records of fields; quoted fields may hold commas, quotes and line ends.
// A record without its line end (cut short) is returned too; the caller checks its fields.
std::vector<std::vector<std::string>> csv_records(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    std::string field;
    bool quoting = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        any = true;
        if (quoting) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                quoting = false;
        } else if (c == '"') {
            quoting = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            fields.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(fields));
            fields.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any) {
        fields.push_back(std::move(field));
        records.push_back(std::move(fields));
    }
    return records;
}

bool parse_number(const std::string& text, long long* value) {
    if (text.empty() || !all_digits(text, 0, text.size()) || text.size() > 18)
        return false;
    *value = std::stoll(text);
    return true;
}

bool parse_outcome(const std::string& text, SeriesOutcome* outcome) {
    for (SeriesOutcome candidate :
         {SeriesOutcome::Written, SeriesOutcome::NotRetrieved, SeriesOutcome::DownloadFailed,
          SeriesOutcome::WriteFailed, SeriesOutcome::CameraLost, SeriesOutcome::CameraBack,
          SeriesOutcome::Missed}) {
        if (text == outcome_text(candidate)) {
            *outcome = candidate;
            return true;
        }
    }
    return false;
}

// Where each column is in the records read: the usual ones by their place in `usual`, the
// named ones a reader knows in `named`.
struct Layout {
    std::size_t width = 0;
    std::size_t usual[ColumnCount];
    std::vector<std::pair<std::string, std::size_t>> named;
};

// A header that lacks a usual column is no series record.
bool read_header(const std::vector<std::string>& header, Layout* layout) {
    layout->width = header.size();
    for (std::size_t c = 0; c < ColumnCount; ++c) {
        auto at = std::find(header.begin(), header.end(), columnNames[c]);
        if (at == header.end())
            return false;
        layout->usual[c] = std::size_t(at - header.begin());
    }
    for (const std::string& name : known_columns()) {
        auto at = std::find(header.begin(), header.end(), name);
        if (at != header.end())
            layout->named.emplace_back(name, std::size_t(at - header.begin()));
    }
    return true;
}

bool parse_row(const std::vector<std::string>& fields, const Layout& layout, SeriesRecordRow* row) {
    if (fields.size() != layout.width)
        return false;
    auto field = [&](Column c) -> const std::string& { return fields[layout.usual[c]]; };
    long long frame, pass, size = 0;
    if (!parse_number(field(Frame), &frame) || !parse_number(field(Pass), &pass) ||
        !parse_utc(field(Time), &row->captured) ||
        (!field(Size).empty() && !parse_number(field(Size), &size)) ||
        !parse_outcome(field(Outcome), &row->outcome) || frame > INT32_MAX || pass > INT32_MAX)
        return false;
    row->frame = int(frame);
    row->pass = int(pass);
    row->file = field(File);
    row->cameraFolder = field(CameraFolder);
    row->cameraName = field(CameraName);
    if (!field(Size).empty())
        row->size = std::uint64_t(size);
    for (const auto& [name, at] : layout.named)
        if (!fields[at].empty())
            row->extra.push_back({name, fields[at]});
    return true;
}

} // namespace

void print_to_console(const std::string& line) {
    std::cout << line << std::endl;
}

const char* outcome_text(SeriesOutcome outcome) {
    switch (outcome) {
    case SeriesOutcome::Written:
        return "written";
    case SeriesOutcome::NotRetrieved:
        return "not retrieved";
    case SeriesOutcome::DownloadFailed:
        return "download failed";
    case SeriesOutcome::WriteFailed:
        return "write failed";
    case SeriesOutcome::CameraLost:
        return "camera lost";
    case SeriesOutcome::CameraBack:
        return "camera back";
    case SeriesOutcome::Missed:
        return "missed";
    }
    return "";
}

const std::string* SeriesRecordRow::field(const std::string& column) const {
    for (const RecordField& named : extra)
        if (named.column == column)
            return &named.value;
    return nullptr;
}

std::string series_record_begin(const std::string& dir, std::time_t start,
                                SeriesRecordReport reportTo,
                                const std::vector<std::string>& columns) {
    std::unique_lock<std::mutex> lock(record.lock);
    close_record();
    record.report = reportTo;
    record.columns = columns;
    record.folder = folder_path(dir);
    const std::string base = (record.folder / (recordPrefix + stamp_of(start))).string();
    std::string path;
    int error = 0;
    for (int n = 0; n < 1000; ++n) {
        path = base + (n ? "-" + std::to_string(n) : "") + recordSuffix;
        record.fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666);
        error = errno;
        if (record.fd >= 0 || error != EEXIST)
            break;
    }
    const std::string header = header_text(columns);
    if (record.fd < 0 || !write_all(record.fd, header.data(), header.size())) {
        const std::string line = give_up(path, record.fd < 0 ? error : errno);
        lock.unlock();
        report(reportTo, line);
        return "";
    }
    record.path = path;
    return path;
}

void series_record_pass_fields(int pass, RecordFields fields) {
    std::lock_guard<std::mutex> lock(record.lock);
    record.fieldsPass = pass;
    record.passFields = std::move(fields);
}

void series_record_add(const SeriesRecordRow& row) {
    std::string line;
    SeriesRecordReport reportTo;
    {
        std::lock_guard<std::mutex> lock(record.lock);
        if (record.fd < 0)
            return;
        const std::string text = row_text(row);
        if (write_all(record.fd, text.data(), text.size()))
            return;
        line = give_up(record.path, errno);
        reportTo = record.report;
    }
    report(reportTo, line);
}

void series_record_end() {
    std::lock_guard<std::mutex> lock(record.lock);
    close_record();
}

SeriesRecord read_series_record(const std::string& path) {
    SeriesRecord result;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = "Cannot read " + path + ": " + std::strerror(errno) + ".";
        return result;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<std::vector<std::string>> records = csv_records(text.str());
    Layout layout;
    if (records.empty() || !read_header(records.front(), &layout)) {
        result.error = path + " is not a Vantlow series record.";
        return result;
    }
    for (std::size_t i = 1; i < records.size(); ++i) {
        SeriesRecordRow row;
        if (parse_row(records[i], layout, &row))
            result.rows.push_back(std::move(row));
        else
            ++result.unreadableRows;
    }
    return result;
}

bool exposure_followed_light(const SeriesRecord& record) {
    // The settings, not the brightness, which says how a frame came out rather than how it was
    // taken. Any one setting will do: a camera may not report its aperture or its ISO. A row,
    // not the header: a series that could not read its camera's settings left them empty.
    for (const SeriesRecordRow& row : record.rows)
        for (const std::string* column :
             {&record_column::shutterSeconds, &record_column::aperture, &record_column::iso})
            if (row.field(*column))
                return true;
    return false;
}

bool is_series_record_name(const std::string& name) {
    const std::size_t prefix = sizeof recordPrefix - 1, suffix = sizeof recordSuffix - 1;
    const std::size_t stamp = prefix + 15; // YYYYMMDD-HHMMSS
    if (name.size() < stamp + suffix || name.compare(0, prefix, recordPrefix) != 0 ||
        name.compare(name.size() - suffix, suffix, recordSuffix) != 0 ||
        !all_digits(name, prefix, 8) || name[prefix + 8] != '-' || !all_digits(name, prefix + 9, 6))
        return false;
    const std::size_t rest = name.size() - suffix - stamp;
    return rest == 0 ||
           (rest > 1 && rest <= 7 && name[stamp] == '-' && all_digits(name, stamp + 1, rest - 1));
}

std::string newest_series_record(const std::string& dir) {
    // Newest by the start time in the name, then by the number a clash added.
    auto key = [](const std::string& name) {
        const std::size_t stamp = sizeof recordPrefix - 1 + 15;
        const std::size_t end = name.size() - (sizeof recordSuffix - 1);
        const long number = end > stamp ? std::stol(name.substr(stamp + 1, end - stamp - 1)) : 0;
        return std::make_pair(name.substr(0, stamp), number);
    };
    std::string newest;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        if (!is_series_record_name(name) || !entry.is_regular_file(error))
            continue;
        if (newest.empty() || key(name) > key(newest))
            newest = name;
    }
    return newest.empty() ? newest : (fs::path(dir) / newest).string();
}
