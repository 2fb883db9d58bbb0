// SPDX-License-Identifier: GPL-3.0-or-later
// Commands given while the camera works take effect when its job ends, in the order they were
// given: the console reads as it did when the window waited for the camera.
#include "series/series_window.h"

#include "app/command_turns.h"
#include "app/ids.h"
#include "app/series_page.h"

#include <chrono>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;

const char detected[] = "Detecting Camera.\n\nCamera initialised.\n\n";

// Starts an endless series and waits until its second capture is under way.
bool start_series_until_second_capture(SeriesWindow& w) {
    w.settings("0", "0", "0");
    click(startButton);
    return pump_until(
        [&] {
            return occurrences(w.console.text(), "Capturing Image...") == 2 &&
                   command_turns().camera_busy();
        },
        10000);
}

void choose_menu(MyFrame* frame, int id) {
    wxCommandEvent chosen(wxEVT_MENU, id);
    frame->ProcessWindowEvent(chosen);
}

TEST(CommandsDuringAPass, CaptureDetectAndStartGivenDuringACaptureFollowItInTurn) {
    SeriesWindow w("capture-delay-ms 400");
    w.settings("0", "0", "1");
    w.camera.clear_log();
    click(captureButton);
    ASSERT_TRUE(command_turns().camera_busy()) << "the click returns while the camera works";
    click(captureButton);
    choose_menu(w.frame->get(), ID_DETECT_CAMERA);
    click(startButton);
    EXPECT_EQ(w.camera.count("capture "), 0) << "the first capture is still under way";
    // Start comes last: then the series it began ends.
    ASSERT_TRUE(wait_for_camera());
    ASSERT_TRUE(series_ended(20000));

    EXPECT_EQ(w.console.text(), std::string(startUp) + w.single(1) + w.single(2) + detected +
                                    "Starting capture.\n\n" + w.pass(3, 1) +
                                    "Sleeping for 0 seconds... done.\n\n" +
                                    "1 frames captured - stopping capture.\n");
    const std::vector<std::string> ops = w.camera.log();
    ASSERT_EQ(ops.size(), 11u);
    EXPECT_EQ(ops[6], "exit");
    EXPECT_EQ(ops[7], "init");
    EXPECT_EQ(ops[8], "capture /DCIM/100SIMCM/IMG_0003.JPG");
    EXPECT_TRUE(w.log.errors().empty());
}

TEST(CommandsDuringAPass, StopAndDetectGivenDuringASeriesPassComeAfterIt) {
    SeriesWindow w("capture-delay-ms 400");
    ASSERT_TRUE(start_series_until_second_capture(w));
    click(stopButton);
    choose_menu(w.frame->get(), ID_DETECT_CAMERA);
    EXPECT_EQ(buttons(), (Buttons{false, false, true})) << "nothing has happened yet";
    ASSERT_TRUE(series_ended(10000));
    ASSERT_TRUE(wait_for_camera());

    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) +
                                    "Sleeping for 0 seconds... done.\n\n" + w.pass(2, 2) +
                                    stopping + detected);
    EXPECT_EQ(w.camera.count("capture "), 2);
    EXPECT_EQ(w.camera.log().back(), "init");
}

TEST(CommandsDuringAPass, AClickOnAButtonThatThePassDisablesIsDropped) {
    // The second capture fails and disables every button; the Stop clicked meanwhile would
    // have reached a disabled button.
    SeriesWindow w("capture-delay-ms 300\ncapture-fail 2 -7");
    ASSERT_TRUE(start_series_until_second_capture(w));
    click(stopButton);
    ASSERT_TRUE(series_ended(10000));
    EXPECT_EQ(occurrences(w.console.text(), "Stopping capture."), 0);
    EXPECT_EQ(w.log.errors().size(), 1u) << "the failure's message, and no \"No thread to stop!\"";
}

TEST(CommandsDuringAPass, ExitDuringAPassLeavesOnceThePassHasEnded) {
    SeriesWindow w("capture-delay-ms 600");
    click(captureButton);
    ASSERT_TRUE(pump_until([&] { return w.console.text().size() > strlen(startUp); }, 5000));
    MyFrame* window = w.frame->get();
    choose_menu(window, wxID_EXIT);
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(window));
    const Clock::time_point closing = Clock::now();
    w.frame.reset();
    EXPECT_LT(Clock::now() - closing, std::chrono::seconds(2));
    EXPECT_EQ(w.console.text(), startUp + w.single(1)) << "the pass under way is finished";
    EXPECT_TRUE(file_exists(w.pictures.file("IMG_0001.JPG")));
}

} // namespace
