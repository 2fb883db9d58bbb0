// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/display.h"
#include "display/jpeg_preview_decoder.h"
#include "display/jpeg_samples.h"
#include "display/window_pixels.h"
#include "support/gui_harness.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>

namespace {

class ShowCapturedImage : public testing::Test {
  protected:
    void SetUp() override {
        if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG))
            wxImage::AddHandler(new wxJPEGHandler);
        if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
            wxImage::AddHandler(new wxPNGHandler);
        previewBitmap = wxBitmap();
        thumbnails.clear();
    }

    TempDir dir;
};

struct Difference {
    int largest = 0;
    double mean = 0;
};

Difference compare(const wxImage& a, const wxImage& b) {
    Difference d;
    const unsigned char* p = a.GetData();
    const unsigned char* q = b.GetData();
    const long bytes = long(a.GetWidth()) * a.GetHeight() * 3;
    long total = 0;
    for (long i = 0; i < bytes; ++i) {
        const int delta = std::abs(p[i] - q[i]);
        d.largest = std::max(d.largest, delta);
        total += delta;
    }
    d.mean = double(total) / bytes;
    return d;
}

struct Sample {
    const char* name;
    int width, height;
    JpegKind kind;
    wxSize decoded; // the smallest 1/8, 1/4, 1/2 or whole decode that still covers 640 x 480
};

void PrintTo(const Sample& sample, std::ostream* out) {
    *out << sample.name;
}

class FastPath : public ShowCapturedImage, public testing::WithParamInterface<Sample> {};

TEST_P(FastPath, DecodesReducedAndShowsWhatTheWholeDecodeWouldShow) {
    const Sample& sample = GetParam();
    const std::string path = dir.file("picture.jpg");
    write_jpeg(path, sample.width, sample.height, sample.kind,
               smooth_picture(sample.width, sample.height, sample.kind));

    wxImage reduced;
    ASSERT_EQ(decode_jpeg_reduced(path, previewSize, reduced), JpegDecodeResult::Decoded);
    EXPECT_EQ(reduced.GetSize(), sample.decoded);

    show_captured_image(path);
    ASSERT_TRUE(previewBitmap.IsOk());
    EXPECT_EQ(previewBitmap.GetSize(), wxSize(640, 480));
    ASSERT_EQ(thumbnails.size(), 1u);
    EXPECT_EQ(thumbnails[0].GetSize(), wxSize(90, 60));

    wxImage whole;
    ASSERT_TRUE(whole.LoadFile(path, wxBITMAP_TYPE_ANY, -1));
    const Difference d =
        compare(previewBitmap.ConvertToImage(), whole.Scale(640, 480, wxIMAGE_QUALITY_NORMAL));
    EXPECT_LE(d.largest, 10);
    EXPECT_LE(d.mean, 2.0);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FastPath,
    testing::Values(Sample{"Camera3to2", 6000, 4000, JpegKind::Rgb, {750, 500}},
                    Sample{"CameraPortrait", 4000, 6000, JpegKind::Rgb, {1000, 1500}},
                    Sample{"QuarterJustCovers", 2600, 1950, JpegKind::Rgb, {650, 488}},
                    Sample{"QuarterTooNarrow", 2500, 1900, JpegKind::Rgb, {1250, 950}},
                    Sample{"HalfRoundsUp", 1279, 959, JpegKind::Rgb, {640, 480}},
                    Sample{"WholeOnly", 800, 600, JpegKind::Rgb, {800, 600}},
                    Sample{"SmallerThanPreview", 300, 200, JpegKind::Rgb, {300, 200}},
                    Sample{"Grey", 3000, 2000, JpegKind::Grey, {750, 500}},
                    Sample{"Cmyk", 3000, 2000, JpegKind::Cmyk, {750, 500}}),
    [](const testing::TestParamInfo<Sample>& info) { return std::string(info.param.name); });

TEST_F(ShowCapturedImage, UnreadableFilesAreReportedAndChangeNothing) {
    const std::string good = dir.file("good.jpg");
    write_solid_jpeg(good, 300, 200, *wxRED);
    show_captured_image(good);
    ASSERT_EQ(thumbnails.size(), 1u);
    const wxBitmap preview = previewBitmap;
    const wxBitmap thumbnail = thumbnails[0];

    const std::string text = dir.file("notes.jpg");
    write_file(text, "not a picture\n");
    const std::string empty = dir.file("empty.jpg");
    write_file(empty, "");
    // wxImage's own loader accepts this one and fills the missing part grey.
    const std::string truncated = dir.file("truncated.jpg");
    write_jpeg(truncated, 1600, 1200, JpegKind::Rgb, smooth_picture(1600, 1200, JpegKind::Rgb));
    truncate_file(truncated, 0.5);
    // Start and end markers with nothing between: libjpeg gives up with an error.
    const std::string noPicture = dir.file("no-picture.jpg");
    write_file(noPicture, "\xFF\xD8\xFF\xD9");
    const std::string missing = dir.file("missing.jpg");

    for (const std::string& path : {text, empty, truncated, noPicture, missing}) {
        SCOPED_TRACE(path);
        StdoutCapture out;
        LogCapture log;
        show_captured_image(path);
        EXPECT_EQ(out.text(), "Couldn't load image.\n");
        EXPECT_TRUE(log.errors().empty()) << "no message box for a picture that is not shown";
        EXPECT_TRUE(previewBitmap.IsSameAs(preview));
        ASSERT_EQ(thumbnails.size(), 1u);
        EXPECT_TRUE(thumbnails[0].IsSameAs(thumbnail));
    }
}

TEST_F(ShowCapturedImage, OtherFormatsAreRecognisedByContent) {
    const wxColour colour(0, 128, 255);
    wxImage picture(120, 80);
    picture.SetRGB(wxRect(0, 0, 120, 80), colour.Red(), colour.Green(), colour.Blue());
    const std::string path = dir.file("really-a-png.jpg");
    ASSERT_TRUE(picture.SaveFile(path, wxBITMAP_TYPE_PNG));

    show_captured_image(path);
    ASSERT_TRUE(previewBitmap.IsOk());
    const wxImage preview = previewBitmap.ConvertToImage();
    EXPECT_EQ(preview.GetSize(), wxSize(640, 480));
    EXPECT_TRUE(near_colour(preview, {0, 0}, colour, 0)) << describe_pixel(preview, {0, 0});
    EXPECT_TRUE(near_colour(preview, {639, 479}, colour, 0)) << describe_pixel(preview, {639, 479});
    ASSERT_EQ(thumbnails.size(), 1u);
    EXPECT_EQ(thumbnails[0].GetSize(), wxSize(90, 60));
}

TEST_F(ShowCapturedImage, TheThumbnailIsTheStretchedPreviewReduced) {
    // Fine stripes, so that which source pixel each thumbnail pixel samples shows.
    wxImage picture(1000, 700);
    for (int y = 0; y < 700; ++y)
        for (int x = 0; x < 1000; ++x)
            picture.SetRGB(x, y, x * 7 % 256, y * 5 % 256, 128);
    const std::string path = dir.file("stripes.png");
    ASSERT_TRUE(picture.SaveFile(path, wxBITMAP_TYPE_PNG));

    show_captured_image(path);
    ASSERT_EQ(thumbnails.size(), 1u);
    const wxImage thumbnail = thumbnails[0].ConvertToImage();
    const wxImage fromPreview = previewBitmap.ConvertToImage().Scale(90, 60);
    ASSERT_NE(compare(picture.Scale(90, 60), fromPreview).largest, 0)
        << "the picture cannot tell the two ways of reducing apart";
    EXPECT_EQ(compare(thumbnail, fromPreview).largest, 0);
}

TEST_F(ShowCapturedImage, FileNamesAreRelativeToTheWorkingDirectory) {
    const wxColour colour(20, 200, 90);
    write_solid_jpeg(dir.file("shot.jpg"), 300, 200, colour);
    const wxString previous = wxGetCwd();
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path()));
    show_captured_image("shot.jpg");
    wxSetWorkingDirectory(previous);

    ASSERT_TRUE(previewBitmap.IsOk());
    const wxImage preview = previewBitmap.ConvertToImage();
    EXPECT_TRUE(near_colour(preview, {320, 240}, colour)) << describe_pixel(preview, {320, 240});
}

} // namespace
