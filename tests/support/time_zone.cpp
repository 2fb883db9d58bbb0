// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/time_zone.h"

#include <cstdlib>
#include <ctime>

const char saoPauloZone[] = "<-03>3";
const char kolkataZone[] = "<+0530>-5:30";

TimeZone::TimeZone(const char* tz) {
    if (const char* before = std::getenv("TZ"))
        saved_ = before;
    setenv("TZ", tz, 1);
    tzset();
}

TimeZone::~TimeZone() {
    if (saved_)
        setenv("TZ", saved_->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
