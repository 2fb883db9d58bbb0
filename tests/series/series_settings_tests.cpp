// SPDX-License-Identifier: GPL-3.0-or-later
// Reading Interval, Maximum runtime and Maximum frames when a series starts: a field that is
// not a whole number is reported, and its leading number, if any, is used.
#include "series/series_window.h"

#include "app/series_page.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* interval;
    const char* runtime;
    const char* maxFrames;
    std::string errors;
    int seconds;
    std::string limits;
};

const char badInterval[] = "Error getting interval\n";
const char badRuntime[] = "Error getting runtime\n";
const char badMaxFrames[] = "Error getting max frames\n";
const char oneFrame[] = "1 frames captured - stopping capture.\n";
const char minuteAgo[] = "-1 minutes have elapsed - stopping capture.\n";

TEST(SeriesSettings, UnreadableFieldsAreReportedAndTheirLeadingNumberKept) {
    SeriesWindow w;
    // Every case ends after one pass, through a limit that was read.
    const Case cases[] = {
        {"1x", "0", "1", badInterval, 1, oneFrame},
        {"abc", "0", "1", badInterval, 0, oneFrame},
        {"", "0", "1", badInterval, 0, oneFrame},
        {"-5", "0", "1", badInterval, 0, oneFrame},
        {"-1x", "0", "1", badInterval, 0, oneFrame},
        {"4294967296", "0", "1", badInterval, 0, oneFrame},
        {"99999999999999999999", "0", "1", badInterval, 0, oneFrame},
        {"0", "-1x", "0", badRuntime, 0, minuteAgo},
        {"0", "abc", "1", badRuntime, 0, oneFrame},
        {"0", "", "1", badRuntime, 0, oneFrame},
        {"0", "99999999999999999999", "1", badRuntime, 0, oneFrame},
        {"0", "-1", "1x", badMaxFrames, 0, std::string(oneFrame) + minuteAgo},
        {"0", "-1", "abc", badMaxFrames, 0, minuteAgo},
        {"0", "-1", "", badMaxFrames, 0, minuteAgo},
        {"0", "-1", "99999999999999999999", badMaxFrames, 0, minuteAgo},
        {"z", "-1 ", "1.5", std::string(badInterval) + badRuntime + badMaxFrames, 0,
         std::string(oneFrame) + minuteAgo},
    };
    int picture = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("interval \"") + c.interval + "\", runtime \"" + c.runtime +
                     "\", max frames \"" + c.maxFrames + "\"");
        StdoutCapture console;
        w.settings(c.interval, c.runtime, c.maxFrames);
        click(startButton);
        ASSERT_TRUE(series_ended(10000));
        EXPECT_EQ(console.text(), "Starting capture.\n\n" + c.errors + w.pass(++picture, 1) +
                                      "Sleeping for " + std::to_string(c.seconds) +
                                      " seconds... done.\n\n" + c.limits);
    }
    EXPECT_TRUE(w.log.errors().empty());
}

} // namespace
