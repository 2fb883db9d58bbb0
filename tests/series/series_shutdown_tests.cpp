// SPDX-License-Identifier: GPL-3.0-or-later
// Closing the window while a series runs: the workers are let go and waited for, quickly.
#include "series/series_window.h"

#include "app/series_page.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;

void choose_exit(MyFrame* frame) {
    wxCommandEvent chosen(wxEVT_MENU, wxID_EXIT);
    frame->ProcessWindowEvent(chosen);
}

TEST(SeriesShutdown, DestroyingTheWindowInAnHourLongPauseTakesUnderTwoSeconds) {
    SeriesWindow w;
    w.settings("3600", "0", "0");
    click(startButton);
    const std::string asleep = "Sleeping for 3600 seconds... ";
    ASSERT_TRUE(w.console_ends_with(asleep, 5000));
    const Clock::time_point closing = Clock::now();
    w.frame.reset();
    EXPECT_LT(Clock::now() - closing, std::chrono::seconds(2));
    EXPECT_EQ(workers(), 0u);
    EXPECT_TRUE(ends_with(w.console.text(), asleep)) << "nothing is printed once it is gone";
    EXPECT_EQ(w.camera.count("capture"), 1);
}

TEST(SeriesShutdown, FileExitDuringABusySeriesTakesUnderTwoSeconds) {
    SeriesWindow w;
    w.settings("0", "0", "0");
    click(startButton);
    ASSERT_TRUE(pump_until([&] { return w.camera.count("capture ") >= 3; }, 10000));
    const Clock::time_point closing = Clock::now();
    MyFrame* window = w.frame->get();
    choose_exit(window);
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(window));
    w.frame.reset();
    EXPECT_LT(Clock::now() - closing, std::chrono::seconds(2));
    EXPECT_EQ(workers(), 0u);
}

} // namespace
