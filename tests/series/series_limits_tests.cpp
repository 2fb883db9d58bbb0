// SPDX-License-Identifier: GPL-3.0-or-later
// How a series ends by itself: the frame and time limits are tested after each pause.
#include "series/series_window.h"

#include "app/series_page.h"

#include <gtest/gtest.h>

namespace {

const char pausedNone[] = "Sleeping for 0 seconds... done.\n\n";

TEST(SeriesLimits, TenPassesOfOneFrameByDefault) {
    SeriesWindow w;
    EXPECT_EQ(framesText->GetValue(), "1");
    EXPECT_EQ(runtimeText->GetValue(), "0");
    EXPECT_EQ(maxFramesText->GetValue(), "10");
    intervalText->SetValue("0");
    click(startButton);
    EXPECT_EQ(buttons(), (Buttons{false, true, true})) << "while the worker starts";
    ASSERT_TRUE(series_ended(20000));

    std::string expected = std::string(startUp) + "Starting capture.\n\n";
    for (int frame = 1; frame <= 10; ++frame)
        expected += w.pass(frame, frame) + pausedNone;
    expected += "10 frames captured - stopping capture.\n";
    EXPECT_EQ(w.console.text(), expected);
    EXPECT_EQ(w.camera.count("capture "), 10);
    EXPECT_TRUE(file_exists(w.pictures.file("IMG_0010.JPG")));
    EXPECT_TRUE(w.log.errors().empty());
}

TEST(SeriesLimits, WithoutLimitsTheSeriesGoesOnUntilStopped) {
    SeriesWindow w;
    w.settings("0", "0", "0");
    click(startButton);
    // Well past the default limit of ten frames.
    ASSERT_TRUE(pump_until([&] { return occurrences(w.console.text(), pausedNone) >= 15; }, 20000));
    EXPECT_EQ(buttons(), (Buttons{false, false, true}));
    click(stopButton);
    ASSERT_TRUE(series_ended(5000));

    // Stop comes between two requests of the worker: after a pass, after its sleeping text or
    // after the whole pause.
    const int frames = w.camera.count("capture ");
    std::string full = std::string(startUp) + "Starting capture.\n\n";
    for (int frame = 1; frame < frames; ++frame)
        full += w.pass(frame, frame) + pausedNone;
    full += w.pass(frames, frames);
    const std::string text = w.console.text();
    EXPECT_TRUE(text == full + stopping || text == full + "Sleeping for 0 seconds... " + stopping ||
                text == full + pausedNone + stopping)
        << text.substr(full.size() > 200 ? full.size() - 200 : 0);
    EXPECT_GE(frames, 15);
    EXPECT_EQ(occurrences(text, "stopping capture."), 0);
}

TEST(SeriesLimits, ThreeFramesAPassReachALimitOfTenInFourPasses) {
    SeriesWindow w;
    w.settings("0", "0", "10", "3");
    click(startButton);
    ASSERT_TRUE(series_ended(20000));
    const std::string text = w.console.text();
    EXPECT_EQ(w.camera.count("capture "), 12);
    EXPECT_EQ(occurrences(text, "Capturing Image...\n"), 4);
    EXPECT_EQ(occurrences(text, pausedNone), 4);
    EXPECT_TRUE(
        ends_with(text, std::string(pausedNone) + "10 frames captured - stopping capture.\n"))
        << text;
    EXPECT_TRUE(file_exists(w.pictures.file("IMG_0012.JPG")));
}

TEST(SeriesLimits, BothLimitsInOnePassPrintTheFrameLimitFirst) {
    SeriesWindow w;
    // Whole minutes elapsed are never fewer than -1, so the time limit holds at once.
    w.settings("0", "-1", "1");
    click(startButton);
    ASSERT_TRUE(series_ended(10000));
    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) +
                                    pausedNone + "1 frames captured - stopping capture.\n" +
                                    "-1 minutes have elapsed - stopping capture.\n");
}

TEST(SeriesLimits, ANegativeLimitEndsTheSeriesAfterItsFirstPass) {
    SeriesWindow w;
    struct Case {
        const char* runtime;
        const char* maxFrames;
        const char* line;
    };
    int picture = 0;
    for (const Case& c : {Case{"0", "-3", "-3 frames captured - stopping capture.\n"},
                          Case{"-2", "0", "-2 minutes have elapsed - stopping capture.\n"}}) {
        SCOPED_TRACE(c.line);
        StdoutCapture console;
        w.settings("0", c.runtime, c.maxFrames);
        click(startButton);
        ASSERT_TRUE(series_ended(10000));
        EXPECT_EQ(console.text(),
                  "Starting capture.\n\n" + w.pass(++picture, 1) + pausedNone + c.line);
    }
}

} // namespace
