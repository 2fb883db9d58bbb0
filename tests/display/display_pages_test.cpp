// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/vantlow.h"
#include "display/display.h"
#include "display/jpeg_samples.h"
#include "display/window_pixels.h"
#include "support/gui_harness.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int seriesPage = 0;
const int galleryPage = 2;

// The gallery's slots as the user sees them, left to right and top to bottom.
const int slotColumns[] = {20, 130, 240, 350, 460, 570};
const int slotRows[] = {20, 95, 170, 245, 320, 395, 470, 545};

wxPoint slot(int index) {
    return {slotColumns[index % 6], slotRows[index / 6]};
}

// Distinct from each other, from black and from light grey by more than the tolerance
// that covers JPEG's rounding of solid colours.
wxColour picture_colour(int index) {
    const int levels[] = {40, 100, 160, 220};
    return {static_cast<unsigned char>(levels[index % 4]),
            static_cast<unsigned char>(levels[index / 4 % 4]),
            static_cast<unsigned char>(levels[index / 16 % 4])};
}

testing::AssertionResult shows_thumbnail(const wxImage& pixels, const wxPoint& at,
                                         const wxColour& colour) {
    // Inside at both corners; outside just right of and just below it.
    for (const wxPoint inside : {at, at + wxPoint(89, 59)})
        if (!near_colour(pixels, inside, colour))
            return testing::AssertionFailure() << describe_pixel(pixels, inside);
    for (const wxPoint outside : {at + wxPoint(90, 30), at + wxPoint(45, 60)})
        if (near_colour(pixels, outside, colour))
            return testing::AssertionFailure()
                   << "overflows to " << describe_pixel(pixels, outside);
    return testing::AssertionSuccess();
}

class DisplayPages : public testing::Test {
  protected:
    // The frame's start-up has registered the JPEG handler.
    void SetUp() override {
        previewBitmap = wxBitmap();
        thumbnails.clear();
    }

    void show_pictures(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string path = dir.file("picture" + std::to_string(i) + ".jpg");
            write_solid_jpeg(path, 60, 40, picture_colour(i));
            show_captured_image(path);
        }
    }

    // Brings the page to the front and has it paint itself.
    wxImage painted(int pageIndex) {
        frame->notebook->SetSelection(pageIndex);
        pump_events(100);
        return client_pixels(frame->notebook->GetPage(pageIndex));
    }

    FrameUnderTest frame;
    TempDir dir;
};

TEST_F(DisplayPages, NothingIsDrawnBeforeTheFirstPicture) {
    const wxImage series = painted(seriesPage);
    const wxColour background = colour_at(series, {10, 400});
    for (const wxPoint at : {wxPoint(20, 140), wxPoint(340, 380), wxPoint(659, 619)})
        EXPECT_TRUE(near_colour(series, at, background, 0)) << describe_pixel(series, at);

    const wxImage gallery = painted(galleryPage);
    const wxColour empty = colour_at(gallery, {5, 5});
    for (int i = 0; i < 48; ++i)
        EXPECT_TRUE(near_colour(gallery, slot(i) + wxPoint(45, 30), empty, 0))
            << describe_pixel(gallery, slot(i) + wxPoint(45, 30));
}

TEST_F(DisplayPages, PreviewShowsTheLatestPictureStretched) {
    const wxColour latest = picture_colour(5);
    show_pictures(1);
    write_solid_jpeg(dir.file("latest.jpg"), 600, 400, latest);
    show_captured_image(dir.file("latest.jpg"));

    const wxImage pixels = painted(seriesPage);
    for (const wxPoint inside : {wxPoint(20, 140), wxPoint(659, 140), wxPoint(20, 619),
                                 wxPoint(659, 619), wxPoint(340, 380)})
        EXPECT_TRUE(near_colour(pixels, inside, latest)) << describe_pixel(pixels, inside);
    for (const wxPoint outside :
         {wxPoint(19, 380), wxPoint(660, 380), wxPoint(340, 139), wxPoint(340, 620)})
        EXPECT_FALSE(near_colour(pixels, outside, latest)) << describe_pixel(pixels, outside);
}

TEST_F(DisplayPages, SevenPicturesFillTheGridInArrivalOrder) {
    show_pictures(7);
    const wxImage pixels = painted(galleryPage);
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(shows_thumbnail(pixels, slot(i), picture_colour(i))) << "slot " << i;
    const wxColour empty = colour_at(pixels, {5, 5});
    EXPECT_TRUE(near_colour(pixels, slot(7) + wxPoint(45, 30), empty, 0))
        << describe_pixel(pixels, slot(7) + wxPoint(45, 30));
}

TEST_F(DisplayPages, TheOldestThumbnailGivesWayToThe49th) {
    show_pictures(49);
    EXPECT_EQ(thumbnails.size(), 48u);
    const wxImage pixels = painted(galleryPage);
    EXPECT_FALSE(near_colour(pixels, slot(0), picture_colour(0)))
        << describe_pixel(pixels, slot(0));
    for (int i = 0; i < 48; ++i)
        EXPECT_TRUE(shows_thumbnail(pixels, slot(i), picture_colour(i + 1))) << "slot " << i;
}

} // namespace
