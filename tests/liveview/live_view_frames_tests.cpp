// SPDX-License-Identifier: GPL-3.0-or-later
// Frames come one after another while the Live View page is shown, fitted to the page with
// their aspect kept, with the rate, the grid and the histogram; the console stays as it was.
#include "liveview/live_view_window.h"

#include "display/window_pixels.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>

namespace {

// The histogram as the page promises it: 64 bars of 2 pixels, 64 high, 8 pixels in from the
// frame's bottom right corner, light on black.
const int bands = 64;
const int barWidth = 2;
const int barsHeight = 64;
const int histogramInset = 8;
const wxColour barColour(200, 200, 200);

wxRect histogram_box(const wxRect& frame) {
    return wxRect(frame.GetRight() + 1 - histogramInset - bands * barWidth,
                  frame.GetBottom() + 1 - histogramInset - barsHeight, bands * barWidth,
                  barsHeight);
}

int differing_pixels(const wxImage& a, const wxImage& b, const wxRect& within) {
    int differing = 0;
    for (int y = within.y; y <= within.GetBottom(); ++y)
        for (int x = within.x; x <= within.GetRight(); ++x)
            differing += colour_at(a, wxPoint(x, y)) != colour_at(b, wxPoint(x, y));
    return differing;
}

TEST(LiveViewFrames, ComeWhileThePageIsShownFittedWithTheirAspectAndCounted) {
    SimcamScenario camera(live_camera());
    FrameUnderTest frame;
    StdoutCapture console;
    LogCapture log;
    pump_events(300);
    EXPECT_EQ(camera.count("capture_preview"), 0) << "nothing is fetched for another page";

    show_live_view(frame.get());
    ASSERT_TRUE(preview_calls_reach(camera, 3));
    pump_events(50);
    wxWindow* page = live_page(frame.get());
    const wxImage first = client_pixels(page);
    const wxRect shown = drawn_frame(first);
    EXPECT_NEAR(double(shown.width) / shown.height, 512.0 / 340, 0.01)
        << shown.width << " x " << shown.height;
    // Fitted: as wide as the page between its margins, or as high as the dark area.
    const wxSize client = page->GetClientSize();
    EXPECT_TRUE(shown.width == client.x - 40 || shown.height == client.y - 90)
        << shown.x << "," << shown.y << " " << shown.width << " x " << shown.height << " in "
        << client.x << " x " << client.y;

    // The ball crosses the sky and the frame number in the corner counts up.
    ASSERT_TRUE(preview_calls_reach(camera, 13));
    pump_events(50);
    const wxImage later = client_pixels(page);
    EXPECT_EQ(drawn_frame(later), shown);
    EXPECT_GT(differing_pixels(first, later, shown), 1000);
    const wxRect corner(shown.x, shown.y, shown.width / 4, shown.height / 4);
    EXPECT_GT(differing_pixels(first, later, corner), 50) << "the frame number has changed";

    // Frames per second, counted over a second at a time.
    ASSERT_TRUE(
        pump_until([&] { return live_state(frame.get()).EndsWith(" frames per second"); }, 5000))
        << live_state(frame.get());
    double rate = 0;
    EXPECT_TRUE(live_state(frame.get()).BeforeFirst(' ').ToCDouble(&rate));
    EXPECT_GT(rate, 0.0) << "frames are counted, however slowly they come under load";
    EXPECT_LE(rate, 51.0) << "a frame every 20 ms at most";

    leave_live_view(frame.get());
    pump_events(200);
    EXPECT_TRUE(no_more_preview_calls(camera)) << "leaving the page stops fetching";
    EXPECT_EQ(console.text(), "") << "live view writes nothing to the console";
    EXPECT_TRUE(log.messages().empty()) << "and raises no message";
}

TEST(LiveViewPainting, TheGridFollowsItsCheckBoxAndTheHistogramFollowsTheFrame) {
    SimcamScenario camera(live_camera());
    FrameUnderTest frame;
    show_live_view(frame.get());
    ASSERT_TRUE(preview_calls_reach(camera, 3));
    pump_events(50);
    wxWindow* page = live_page(frame.get());
    const wxColour white(255, 255, 255);

    // Points on the four lines, clear of the frame number (top left) and of the histogram
    // (bottom right).
    auto grid_points = [](const wxRect& f) {
        std::vector<wxPoint> points;
        for (int step = 0; step < 5; ++step) {
            const int along = f.height / 2 + step * f.height / 12;
            points.push_back({f.x + f.width / 3, f.y + along});
            points.push_back({f.x + 2 * f.width / 3, f.y + f.height / 6 + step * f.height / 12});
            points.push_back({f.x + f.width / 3 + 10 + step * 20, f.y + 2 * f.height / 3});
            points.push_back({f.x + f.width / 2 + step * 20, f.y + f.height / 3});
        }
        return points;
    };
    const wxImage plain = client_pixels(page);
    const wxRect shown = drawn_frame(plain);
    for (const wxPoint& p : grid_points(shown))
        EXPECT_FALSE(near_colour(plain, p, white, 0))
            << "no grid yet: " << describe_pixel(plain, p);

    tick_grid(frame.get(), true);
    pump_events(100);
    const wxImage gridded = client_pixels(page);
    for (const wxPoint& p : grid_points(shown))
        EXPECT_TRUE(near_colour(gridded, p, white, 0)) << describe_pixel(gridded, p);
    tick_grid(frame.get(), false);
    pump_events(100);
    const wxImage again = client_pixels(page);
    for (const wxPoint& p : grid_points(shown))
        EXPECT_FALSE(near_colour(again, p, white, 0)) << describe_pixel(again, p);

    // The bars against the frame's own pixels around the box. Luminance rounded a level apart
    // moves whole rows of a smooth sky from one band to the next, so the comparison is of where
    // the light lies, not of each bar.
    const wxRect box = histogram_box(shown);
    std::array<long, bands> counts{};
    for (int y = shown.y; y <= shown.GetBottom(); ++y)
        for (int x = shown.x; x <= shown.GetRight(); ++x) {
            if (box.Contains(x, y))
                continue;
            const wxColour c = colour_at(again, wxPoint(x, y));
            const int luma = (299 * c.Red() + 587 * c.Green() + 114 * c.Blue() + 500) / 1000;
            ++counts[luma * bands / 256];
        }
    std::array<int, bands> heights{};
    for (int band = 0; band < bands; ++band)
        for (int y = box.GetBottom(); y >= box.y; --y)
            heights[band] += near_colour(again, wxPoint(box.x + band * barWidth, y), barColour, 4);
    const long tallest = *std::max_element(counts.begin(), counts.end());
    auto mean_band = [](const auto& weights) {
        double sum = 0, weighted = 0;
        for (int band = 0; band < bands; ++band) {
            sum += weights[band];
            weighted += double(weights[band]) * band;
        }
        return weighted / sum;
    };
    EXPECT_NEAR(mean_band(heights), mean_band(counts), 1.0);
    EXPECT_EQ(*std::max_element(heights.begin(), heights.end()), barsHeight);
    int emptyBands = 0;
    for (int band = 0; band < bands; ++band) {
        const bool nearby = counts[band] > 0 || (band > 0 && counts[band - 1] > 0) ||
                            (band + 1 < bands && counts[band + 1] > 0);
        if (!nearby) {
            ++emptyBands;
            EXPECT_EQ(heights[band], 0) << "band " << band << ": no such light in the frame";
        }
        if (counts[band] * 3 >= tallest) {
            EXPECT_GT(heights[band], 0) << "band " << band << ": much of the frame";
        }
    }
    EXPECT_GT(emptyBands, 0) << "a twilight sky leaves some bands of light empty";
}

} // namespace
