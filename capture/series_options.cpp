// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/series_options.h"

#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <system_error>
#include <utility>
#include <vector>

namespace {

const char group[] = "/Series";

// One key of [Series]: what it may hold, and how its text becomes the option and back.
struct Key {
    std::string name;
    std::string expected; // ends the sentence "... is not "
    std::function<bool(const std::string& text, SeriesOptions& options)> read;
    std::function<std::string(const SeriesOptions& options)> write;
};

template <typename T>
Key choice(const char* name, T SeriesOptions::*field,
           std::vector<std::pair<std::string, T>> words) {
    std::string expected = "one of ";
    for (const auto& word : words)
        expected += (&word == &words.front() ? "" : ", ") + word.first;
    return {name, expected,
            [field, words](const std::string& text, SeriesOptions& options) {
                for (const auto& [word, value] : words) {
                    if (wxString::FromUTF8(text).IsSameAs(word, false)) {
                        options.*field = value;
                        return true;
                    }
                }
                return false;
            },
            [field, words](const SeriesOptions& options) {
                for (const auto& [word, value] : words) {
                    if (options.*field == value)
                        return word;
                }
                return std::string();
            }};
}

template <typename T> bool from_whole_text(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

std::string text_of(long value) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// Without an exponent, which a photographer would not write: 0.0001, not 1e-04.
std::string text_of(double value) {
    char text[400];
    return std::string(
        text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr);
}

Key whole_number(const char* name, long SeriesOptions::*field, long least, long most) {
    return {name, "a whole number from " + text_of(least) + " to " + text_of(most),
            [=](const std::string& text, SeriesOptions& options) {
                long value = 0;
                if (!from_whole_text(text, value) || value < least || value > most)
                    return false;
                options.*field = value;
                return true;
            },
            [field](const SeriesOptions& options) { return text_of(options.*field); }};
}

// `word` is the one of "now" and "limits" that the key takes.
Key series_time(const char* name, SeriesTime SeriesOptions::*field, SeriesTime word) {
    return {name,
            series_time_text(word) +
                ", HH:MM or dawn, sunrise, sunset or dusk with optional +/- minutes",
            [field, word](const std::string& text, SeriesOptions& options) {
                const auto time = parse_series_time(text);
                if (!time || (*time != word && (time->kind == SeriesTime::Kind::Now ||
                                                time->kind == SeriesTime::Kind::Limits)))
                    return false;
                options.*field = *time;
                return true;
            },
            [field](const SeriesOptions& options) { return series_time_text(options.*field); }};
}

Key decimal(const char* name, double SeriesOptions::*field, double least, double most) {
    return {name, "a decimal from " + text_of(least) + " to " + text_of(most),
            [=](const std::string& text, SeriesOptions& options) {
                double value = 0;
                if (!from_whole_text(text, value) || !(value >= least && value <= most))
                    return false;
                options.*field = value;
                return true;
            },
            [field](const SeriesOptions& options) { return text_of(options.*field); }};
}

// Empty text leaves the coordinate unset.
Key degrees(const char* name, std::optional<double> SeriesOptions::*field, double limit) {
    return {name, "decimal degrees from " + text_of(-limit) + " to " + text_of(limit),
            [=](const std::string& text, SeriesOptions& options) {
                double value = 0;
                if (text.empty()) {
                    (options.*field).reset();
                    return true;
                }
                if (!from_whole_text(text, value) || !(std::fabs(value) <= limit))
                    return false;
                options.*field = value;
                return true;
            },
            [field](const SeriesOptions& options) {
                return options.*field ? text_of(*(options.*field)) : std::string();
            }};
}

const std::vector<Key>& keys() {
    static const std::vector<Key> table = {
        choice("Cadence", &SeriesOptions::cadence,
               {{"pause", Cadence::Pause}, {"steady", Cadence::Steady}}),
        choice("OnCameraLost", &SeriesOptions::onCameraLost,
               {{"end", CameraLost::End}, {"reconnect", CameraLost::Reconnect}}),
        whole_number("ReconnectMinutes", &SeriesOptions::reconnectMinutes, 1, 7 * 24 * 60),
        choice("KeepAwake", &SeriesOptions::keepAwake, {{"true", true}, {"false", false}}),
        series_time("StartAt", &SeriesOptions::startAt, SeriesTime::now()),
        series_time("EndAt", &SeriesOptions::endAt, SeriesTime::limits()),
        degrees("Latitude", &SeriesOptions::latitude, 90),
        degrees("Longitude", &SeriesOptions::longitude, 180),
        choice("FollowLight", &SeriesOptions::followLight, {{"true", true}, {"false", false}}),
        decimal("TargetBrightness", &SeriesOptions::targetBrightness, -5, 5),
        decimal("MaxStepEV", &SeriesOptions::maxStepEv, 0.05, 3),
        decimal("SlowestShutter", &SeriesOptions::slowestShutter, 0.0001, 3600),
        whole_number("HighestISO", &SeriesOptions::highestIso, 50, 409600),
        choice("Apertures", &SeriesOptions::apertures,
               {{"fixed", Apertures::Fixed}, {"free", Apertures::Free}}),
    };
    return table;
}

const Key* key_named(const std::string& name) {
    for (const Key& key : keys()) {
        if (key.name == name)
            return &key;
    }
    return nullptr;
}

// What wxFileConfig logs while it is open is collected here rather than shown in message boxes:
// a damaged file is reported on the console like a damaged value.
class LogLines : public wxLog {
  public:
    LogLines() : previous_(swap(this)) {}
    ~LogLines() override { swap(previous_); }

    std::vector<std::string> lines;

  protected:
    void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo&) override {
        if (level <= wxLOG_Warning)
            lines.push_back(message.utf8_string());
    }

  private:
    // Messages of other threads only reach a target of their own.
    static wxLog* swap(wxLog* target) {
        return wxThread::IsMain() ? wxLog::SetActiveTarget(target)
                                  : wxLog::SetThreadActiveTarget(target);
    }

    wxLog* previous_;
};

// Opened for the group of the series options, reading values as they stand.
class SeriesGroup : public wxFileConfig {
  public:
    explicit SeriesGroup(const std::string& path)
        : wxFileConfig(wxEmptyString, wxEmptyString, wxString(path), wxEmptyString,
                       wxCONFIG_USE_LOCAL_FILE) {
        SetExpandEnvVars(false);
        SetPath(group);
    }
};

} // namespace

std::optional<Location> SeriesOptions::location() const {
    if (!latitude || !longitude)
        return std::nullopt;
    return Location{*latitude, *longitude};
}

bool SeriesOptions::operator==(const SeriesOptions& other) const {
    for (const Key& key : keys()) {
        if (key.write(*this) != key.write(other))
            return false;
    }
    return true;
}

std::string series_options_path() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string base =
        configHome && configHome[0] == '/' ? configHome : wxGetHomeDir().ToStdString() + "/.config";
    return base + "/vantlow/vantlow.conf";
}

SeriesOptions load_series_options(const std::string& path) {
    SeriesOptions options;
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return options;
    const std::string file = std::filesystem::path(path).filename().string();
    LogLines log;
    SeriesGroup config(path);
    for (const std::string& line : log.lines)
        std::cout << file << ": " << line << std::endl;
    for (const Key& key : keys()) {
        wxString value;
        if (!config.Read(key.name, &value) || key.read(value.utf8_string(), options))
            continue;
        const std::string fallback = key.write(SeriesOptions());
        std::cout << file << ": [Series] " << key.name << "=\"" << value.utf8_string()
                  << "\" is not " << key.expected << "; "
                  << (fallback.empty() ? "left unset" : "using " + fallback) << std::endl;
    }
    return options;
}

bool save_series_options(const std::string& path, const SeriesOptions& options,
                         std::string& failure) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (error) {
        failure = "cannot make the folder of " + path + ": " + error.message();
        return false;
    }
    LogLines log;
    bool written = false;
    {
        SeriesGroup config(path);
        for (const Key& key : keys())
            config.Write(key.name, wxString::FromUTF8(key.write(options)));
        written = config.Flush();
    }
    if (!written)
        failure = log.lines.empty() ? "cannot write " + path : log.lines.back();
    return written;
}

bool set_series_option(SeriesOptions& options, const std::string& key, const std::string& text) {
    const Key* known = key_named(key);
    SeriesOptions changed = options;
    if (!known || !known->read(text, changed))
        return false;
    options = changed;
    return true;
}

std::string series_option_text(const SeriesOptions& options, const std::string& key) {
    const Key* known = key_named(key);
    return known ? known->write(options) : std::string();
}

std::string series_option_expected(const std::string& key) {
    const Key* known = key_named(key);
    return known ? known->expected : std::string();
}
