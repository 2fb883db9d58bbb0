// A pass runs on the GUI thread as one piece: no event handler runs in the middle of it, even
// while the camera takes its time.
#include "series/series_window.h"

#include "app/series_page.h"

#include <gtest/gtest.h>

namespace {

TEST(SeriesGuiThread, NoEventIsHandledWhileAPassIsUnderWay) {
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
    // The sampling does see what the worker leaves for a while: here the pause of a second,
    // and so a 300 ms capture too, were it taken off this thread.
    EXPECT_GT(insidePause, 10);
    EXPECT_EQ(insidePass, 0);
}

} // namespace
