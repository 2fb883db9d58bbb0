// SPDX-License-Identifier: GPL-3.0-or-later
// Live view gives way to captures: a command waits for the frame under way at most, a series
// holds live view until it ends, and every transcript stays as it was.
#include "liveview/live_view_window.h"
#include "series/series_window.h"

#include "app/ids.h"
#include "app/series_page.h"
#include "display/display.h"
#include "display/window_pixels.h"

#include <gtest/gtest.h>

namespace {

const char detected[] = "Detecting Camera.\n\nCamera initialised.\n\n";
const char pausedText[] = "Live view is paused while a series runs; its latest picture is shown.";

void choose_menu(MyFrame* frame, int id) {
    wxCommandEvent chosen(wxEVT_MENU, id);
    frame->ProcessWindowEvent(chosen);
}

// The mean colour of a square around the point.
wxColour mean_colour(const wxImage& image, const wxPoint& centre, int half) {
    long sum[3] = {0, 0, 0};
    long n = 0;
    for (int y = centre.y - half; y <= centre.y + half; ++y)
        for (int x = centre.x - half; x <= centre.x + half; ++x, ++n) {
            sum[0] += image.GetRed(x, y);
            sum[1] += image.GetGreen(x, y);
            sum[2] += image.GetBlue(x, y);
        }
    return wxColour(sum[0] / n, sum[1] / n, sum[2] / n);
}

TEST(LiveViewGivesWay, CaptureImageAndDetectCameraWaitForTheFrameUnderWayAndLiveViewGoesOn) {
    SeriesWindow w(liveFrames);
    show_live_view(w.frame->get());
    ASSERT_TRUE(preview_calls_reach(w.camera, 3));
    const size_t atClick = w.camera.log().size();
    click(captureButton);
    choose_menu(w.frame->get(), ID_DETECT_CAMERA);
    const std::string expected = std::string(startUp) + w.single(1) + detected;
    ASSERT_TRUE(pump_until([&] { return w.console.text() == expected; }, 20000))
        << w.console.text();
    const int afterCommands = w.camera.count("capture_preview");
    ASSERT_TRUE(preview_calls_reach(w.camera, afterCommands + 3)) << "live view goes on";

    // The frame under way at the click at most; nothing of live view between the capture and
    // its deletion, nor between them and the detection that waited behind them.
    const std::vector<std::string> ops = w.camera.log();
    const size_t capture = find_line(ops, "capture /", atClick);
    const size_t closed = find_line(ops, "exit", capture);
    ASSERT_LT(closed + 1, ops.size());
    EXPECT_LE(count_lines(ops, "capture_preview", atClick, capture), 1);
    EXPECT_EQ(ops[capture + 1], "file_get /DCIM/100SIMCM/IMG_0001.JPG");
    EXPECT_EQ(ops[capture + 2], "file_delete /DCIM/100SIMCM/IMG_0001.JPG");
    EXPECT_EQ(closed, capture + 3);
    EXPECT_EQ(ops[closed + 1], "init");
    EXPECT_GE(count_lines(ops, "capture_preview", closed, ops.size()), 3);
    EXPECT_TRUE(w.log.errors().empty());
    EXPECT_EQ(w.console.text(), expected) << "live view printed nothing meanwhile";
    leave_live_view(w.frame->get());
    EXPECT_TRUE(no_more_preview_calls(w.camera));
}

TEST(LiveViewGivesWay, ASeriesHoldsLiveViewShowingItsLatestPictureUntilItEnds) {
    SeriesWindow w(liveFrames);
    MyFrame* frame = w.frame->get();
    show_live_view(frame);
    ASSERT_TRUE(preview_calls_reach(w.camera, 3));
    w.settings("1", "0", "2");
    const size_t atStart = w.camera.log().size();
    click(startButton);

    // Between the passes: the page says so and shows the picture just taken.
    ASSERT_TRUE(pump_until(
        [&] { return w.console.text().find("Sleeping for 1 seconds") != std::string::npos; },
        20000));
    pump_events(100);
    EXPECT_EQ(live_state(frame), pausedText);
    ASSERT_TRUE(previewBitmap.IsOk());
    const wxImage picture = previewBitmap.ConvertToImage();
    const wxImage pixels = client_pixels(live_page(frame));
    const wxRect drawn = drawn_frame(pixels);
    EXPECT_NEAR(double(drawn.width) / drawn.height, 640.0 / 480, 0.01);
    // Inside blocks of the 64 x 48 picture stretched to 640 x 480, clear of its number.
    for (const wxPoint& at :
         {wxPoint(105, 85), wxPoint(545, 85), wxPoint(105, 405), wxPoint(545, 405)}) {
        const wxPoint onPage(drawn.x + at.x * drawn.width / 640,
                             drawn.y + at.y * drawn.height / 480);
        const wxColour want = mean_colour(picture, at, 2);
        EXPECT_TRUE(near_colour(pixels, onPage, want, 24))
            << describe_pixel(pixels, onPage) << " where the picture has rgb(" << int(want.Red())
            << "," << int(want.Green()) << "," << int(want.Blue()) << ")";
    }

    ASSERT_TRUE(series_ended(20000));
    const size_t ended = w.camera.log().size();
    ASSERT_TRUE(preview_calls_reach(w.camera, w.camera.count("capture_preview") + 3))
        << "live view comes back when the series ends";
    EXPECT_NE(live_state(frame), pausedText);

    const std::vector<std::string> ops = w.camera.log();
    const size_t firstCapture = find_line(ops, "capture /", atStart);
    ASSERT_LT(firstCapture, ops.size());
    EXPECT_LE(count_lines(ops, "capture_preview", atStart, firstCapture), 1)
        << "the series waits for the frame under way at most";
    EXPECT_EQ(count_lines(ops, "capture_preview", firstCapture, ended), 0)
        << "no frame while the series runs";
    EXPECT_EQ(count_lines(ops, "capture /", atStart, ops.size()), 2);
    const std::string pause = "Sleeping for 1 seconds... done.\n\n";
    EXPECT_EQ(w.console.text(), std::string(startUp) + "Starting capture.\n\n" + w.pass(1, 1) +
                                    pause + w.pass(2, 2) + pause +
                                    "2 frames captured - stopping capture.\n");
    EXPECT_TRUE(w.log.errors().empty());
    leave_live_view(frame);
    EXPECT_TRUE(no_more_preview_calls(w.camera));
}

TEST(LiveViewGivesWay, AFailedCaptureClosesTheCameraAndLiveViewWaitsForDetectCamera) {
    SeriesWindow w(std::string(liveFrames) + "capture-fail 1 -7\n");
    MyFrame* frame = w.frame->get();
    show_live_view(frame);
    ASSERT_TRUE(preview_calls_reach(w.camera, 3));
    click(captureButton);
    ASSERT_TRUE(pump_until([&] { return live_state(frame).StartsWith("No camera"); }, 20000))
        << live_state(frame);
    EXPECT_EQ(w.log.errors().size(), 1u) << "the capture's own message only";
    // Asking for a frame would open the camera again behind the user's back.
    EXPECT_TRUE(no_more_preview_calls(w.camera));
    EXPECT_EQ(w.camera.log().back(), "exit");

    choose_menu(frame, ID_DETECT_CAMERA);
    const int before = w.camera.count("capture_preview");
    ASSERT_TRUE(preview_calls_reach(w.camera, before + 3));
    EXPECT_FALSE(live_state(frame).StartsWith("No camera"));
    leave_live_view(frame);
    EXPECT_TRUE(no_more_preview_calls(w.camera));
}

} // namespace
