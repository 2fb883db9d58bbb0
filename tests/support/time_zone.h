// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

// POSIX TZ values, which need no zone database: places far from UTC, one off by half an hour.
extern const char saoPauloZone[]; // three hours behind UTC, no summer time
extern const char kolkataZone[];  // five and a half hours ahead

// Puts the process in a time zone while it lives, and back in the one it was in.
class TimeZone {
  public:
    explicit TimeZone(const char* tz);
    ~TimeZone();
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

  private:
    std::optional<std::string> saved_;
};
