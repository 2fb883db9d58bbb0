// SPDX-License-Identifier: GPL-3.0-or-later
#include "movie/exif_facts.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <libexif/exif-data.h>

namespace {

std::string ascii_value(ExifData* data, ExifIfd ifd, ExifTag tag) {
    ExifEntry* entry = exif_content_get_entry(data->ifd[ifd], tag);
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data)
        return "";
    return std::string(reinterpret_cast<const char*>(entry->data),
                       strnlen(reinterpret_cast<const char*>(entry->data), entry->size));
}

// "+02:00" or "-05:30": the offset of local time from UTC in seconds.
std::optional<long> utc_offset(const std::string& text) {
    int hours, minutes;
    char sign;
    if (std::sscanf(text.c_str(), "%c%2d:%2d", &sign, &hours, &minutes) != 3 ||
        (sign != '+' && sign != '-'))
        return std::nullopt;
    const long offset = hours * 3600L + minutes * 60L;
    return sign == '-' ? -offset : offset;
}

// "YYYY:MM:DD HH:MM:SS" in the camera's local time; without a recorded offset, the zone of this
// computer is taken for it.
std::optional<double> capture_time(ExifData* data) {
    const std::string stamp = ascii_value(data, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL);
    std::tm tm{};
    if (std::sscanf(stamp.c_str(), "%4d:%2d:%2d %2d:%2d:%2d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6 ||
        tm.tm_year < 1900 || tm.tm_mon < 1)
        return std::nullopt;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    double seconds;
    if (auto offset = utc_offset(ascii_value(data, EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL))) {
        seconds = double(timegm(&tm)) - double(*offset);
    } else {
        tm.tm_isdst = -1;
        seconds = double(mktime(&tm));
    }
    const std::string fraction = ascii_value(data, EXIF_IFD_EXIF, EXIF_TAG_SUB_SEC_TIME_ORIGINAL);
    std::size_t digits = 0;
    while (digits < fraction.size() && digits < 9 && fraction[digits] >= '0' &&
           fraction[digits] <= '9')
        ++digits;
    if (digits > 0)
        seconds += std::stod(fraction.substr(0, digits)) / std::pow(10.0, double(digits));
    return seconds;
}

int orientation(ExifData* data) {
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->size < 2)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
    return value >= 1 && value <= 8 ? value : 1;
}

} // namespace

ExifFacts read_exif_facts(const std::string& exif) {
    ExifFacts facts;
    if (exif.empty())
        return facts;
    ExifData* data = exif_data_new_from_data(reinterpret_cast<const unsigned char*>(exif.data()),
                                             static_cast<unsigned int>(exif.size()));
    if (!data)
        return facts;
    facts.orientation = orientation(data);
    facts.captured = capture_time(data);
    exif_data_unref(data);
    return facts;
}
