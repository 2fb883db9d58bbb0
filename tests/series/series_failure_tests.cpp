// SPDX-License-Identifier: GPL-3.0-or-later
// A capture that fails in the middle of a series ends it.
#include "series/series_window.h"

#include "app/series_page.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;

TEST(SeriesFailure, AFailedCaptureEndsTheSeriesAfterAFullPause) {
    SeriesWindow w("capture-fail 2 -7");
    w.settings("1", "0", "10");
    click(startButton);
    const std::string failure =
        "Capturing Image...\nCould not capture image:\t-7\nCheck the camera and re-initialise.\n";
    ASSERT_TRUE(w.console_ends_with(failure, 10000));
    const Clock::time_point failed = Clock::now();
    EXPECT_EQ(buttons(), (Buttons{false, false, false})) << "while the worker pauses";
    EXPECT_EQ(workers(), 1u);

    ASSERT_TRUE(series_ended(5000));
    EXPECT_GE(Clock::now() - failed, std::chrono::milliseconds(800)) << "the pause is not cut";
    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) +
                                    "Sleeping for 1 seconds... done.\n\n" + failure);
    EXPECT_EQ(w.log.errors(),
              std::vector<std::string>{"Could not capture an image. Please check the camera and "
                                       "re-initialise."});
    const std::vector<std::string> ops = w.camera.log();
    ASSERT_GE(ops.size(), 2u);
    EXPECT_EQ(ops[ops.size() - 2], "capture failed -7");
    EXPECT_EQ(ops.back(), "exit") << "the camera is closed after the failure";
    EXPECT_EQ(w.camera.count("capture"), 2);
}

} // namespace
