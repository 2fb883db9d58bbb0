// SPDX-License-Identifier: GPL-3.0-or-later
// A pass runs on the camera thread: the window handles its events all through it, and the
// series prints what it always has.
#include "series/series_window.h"

#include "app/series_page.h"

#include <gtest/gtest.h>

namespace {

TEST(SeriesGuiThread, EventsAreHandledWhileAPassIsUnderWay) {
    SeriesWindow w("capture-delay-ms 300");
    w.settings("1", "0", "2");
    int insidePass = 0;
    int insidePause = 0;
    auto sample = [&](wxIdleEvent& event) {
        const std::string text = w.console.text();
        // Between its first line and its last, a pass leaves the console ending in one of these.
        if (ends_with(text, "Capturing Image...\n") || ends_with(text, "on the camera.\n"))
            ++insidePass;
        if (ends_with(text, "Sleeping for 1 seconds... "))
            ++insidePause;
        event.Skip();
    };
    w.frame->get()->Bind(wxEVT_IDLE, sample);
    click(startButton);
    EXPECT_TRUE(series_ended(20000));
    w.frame->get()->Unbind(wxEVT_IDLE, sample);

    EXPECT_EQ(w.camera.count("capture "), 2);
    EXPECT_GT(insidePause, 10);
    // Two captures of 300 ms each, during which the window went on handling its events.
    EXPECT_GT(insidePass, 10);
    const std::string paused = "Sleeping for 1 seconds... done.\n\n";
    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) +
                                    paused + w.pass(2, 2) + paused +
                                    "2 frames captured - stopping capture.\n");
}

} // namespace
