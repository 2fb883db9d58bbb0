// SPDX-License-Identifier: GPL-3.0-or-later
// Stopping a series with Stop, and starting the next one while the stopped worker still sleeps.
#include "series/series_window.h"

#include "app/series_page.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;

const char pausedOne[] = "Sleeping for 1 seconds... ";

TEST(SeriesStop, StopDuringThePauseLetsThePauseRunOutWithoutDone) {
    SeriesWindow w;
    w.settings("1", "0", "0");
    click(startButton);
    ASSERT_TRUE(w.console_ends_with(pausedOne, 5000));
    const Clock::time_point asleep = Clock::now();
    click(stopButton);
    EXPECT_EQ(buttons(), idle);
    EXPECT_EQ(workers(), 1u) << "the worker sleeps on";
    ASSERT_TRUE(pump_until([] { return workers() == 0; }, 5000));
    EXPECT_GE(Clock::now() - asleep, std::chrono::milliseconds(800));
    EXPECT_EQ(buttons(), idle);
    EXPECT_EQ(w.console.text(),
              std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) + pausedOne + stopping);
    EXPECT_EQ(w.camera.count("capture "), 1);
    EXPECT_TRUE(w.log.errors().empty());
}

TEST(SeriesStop, StopWithoutAWorkerIsAnError) {
    SeriesWindow w;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "before any series" : "after a series that ended");
        if (round == 1) {
            w.settings("0", "0", "1");
            click(startButton);
            ASSERT_TRUE(series_ended(10000));
        }
        LogCapture log;
        StdoutCapture console;
        click(stopButton);
        EXPECT_EQ(console.text(), stopping);
        ASSERT_EQ(log.errors(), std::vector<std::string>{"No thread to stop!"});
        EXPECT_EQ(log.messages().front().function, "StopCapture");
        EXPECT_EQ(buttons(), idle);
    }
}

TEST(SeriesStop, StopBeforeTheWorkerBeganTakesNoPicture) {
    SeriesWindow w;
    w.settings("0", "0", "0");
    click(startButton);
    // The worker cannot have begun: it reads the settings on this thread, which is busy here.
    click(stopButton);
    ASSERT_TRUE(series_ended(5000));
    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" + stopping);
    EXPECT_EQ(w.camera.count("capture"), 0);
    EXPECT_TRUE(w.log.errors().empty());
}

TEST(SeriesStop, StartWhileTheStoppedWorkerSleepsBeginsANewSeriesAtOnce) {
    SeriesWindow w;
    w.settings("1", "0", "0");
    click(startButton);
    ASSERT_TRUE(w.console_ends_with(pausedOne, 5000));
    click(stopButton);
    maxFramesText->SetValue("2");
    click(startButton);
    EXPECT_EQ(workers(), 2u);
    ASSERT_TRUE(pump_until([&] { return w.camera.count("capture ") == 2; }, 5000));
    EXPECT_EQ(workers(), 2u) << "the new series' first picture comes while the old worker sleeps";
    ASSERT_TRUE(pump_until([] { return workers() == 1; }, 5000));
    EXPECT_EQ(buttons(), (Buttons{false, false, true})) << "the old worker leaves them alone";
    ASSERT_TRUE(series_ended(10000));

    // Frame counts and pictures after the second Start are the new series' own.
    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) +
                                    pausedOne + stopping + "Starting capture.\n\n" + w.pass(2, 1) +
                                    pausedOne + "done.\n\n" + w.pass(3, 2) + pausedOne +
                                    "done.\n\n" + "2 frames captured - stopping capture.\n");
    EXPECT_EQ(w.camera.count("capture "), 3);
    EXPECT_TRUE(w.log.errors().empty());
}

} // namespace
