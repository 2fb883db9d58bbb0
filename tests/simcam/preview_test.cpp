// SPDX-License-Identifier: GPL-3.0-or-later
// Live view through gp_camera_capture_preview: a moving scene with a frame counter, and the
// ways a camera's preview goes wrong.

#include "camera_session.h"
#include "jpeg_image.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

std::optional<RgbImage> preview_image(CameraSession& session) {
    std::string bytes;
    EXPECT_EQ(session.preview(bytes), GP_OK);
    return decode_jpeg(bytes);
}

// Mean column of the orange pixels of the moving ball, or -1 if there are none.
double ball_column(const RgbImage& image) {
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            if (p[0] > 200 && p[1] > 100 && p[1] < 200 && p[2] < 90) {
                sum += x;
                ++count;
            }
        }
    return count ? sum / count : -1;
}

// Mean difference of the pixels in the box [0, width) x [0, height).
double difference_in(const RgbImage& a, const RgbImage& b, int width, int height) {
    double total = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                total += std::abs(int(a.at(x, y)[c]) - int(b.at(x, y)[c]));
    return total / (3.0 * width * height);
}

int abilities_operations(const CameraSession& session) {
    CameraAbilities abilities;
    gp_camera_get_abilities(session.camera(), &abilities);
    return abilities.operations;
}

TEST(SimcamPreview, FramesShowAMovingBallAndACounter) {
    SimcamScenario scenario("preview-delay-ms 0\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    EXPECT_TRUE(abilities_operations(session) & GP_OPERATION_CAPTURE_PREVIEW);
    std::vector<RgbImage> frames;
    for (int i = 0; i < 3; ++i) {
        std::optional<RgbImage> frame = preview_image(session);
        ASSERT_TRUE(frame) << "frame " << i + 1 << " is no JPEG";
        EXPECT_EQ(frame->width, 1024);
        EXPECT_EQ(frame->height, 680);
        frames.push_back(*frame);
    }
    // The ball moves right, a visible step each frame.
    const double first = ball_column(frames[0]);
    const double second = ball_column(frames[1]);
    const double third = ball_column(frames[2]);
    ASSERT_GE(first, 0);
    EXPECT_GT(second, first + 8);
    EXPECT_GT(third, second + 8);
    // The counter in the top-left corner changes from frame to frame.
    EXPECT_GT(difference_in(frames[0], frames[1], 160, 180), 2.0);
    EXPECT_GT(difference_in(frames[1], frames[2], 160, 180), 2.0);
    EXPECT_EQ(scenario.count("capture_preview"), 3);
}

TEST(SimcamPreview, SizeComesFromTheScenarioAndTheBallComesBack) {
    SimcamScenario scenario("preview-size 320 200\npreview-delay-ms 0\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::vector<double> columns;
    // The ball crosses in 55 frames and then comes back.
    for (int frame = 1; frame <= 100; ++frame) {
        std::optional<RgbImage> image = preview_image(session);
        ASSERT_TRUE(image);
        ASSERT_EQ(image->width, 320);
        ASSERT_EQ(image->height, 200);
        columns.push_back(ball_column(*image));
    }
    EXPECT_LT(columns[0], 80);
    EXPECT_GT(columns[55], 240);
    EXPECT_LT(columns[99], columns[80]);
}

TEST(SimcamPreview, UnsupportedPreviewIsRefused) {
    SimcamScenario scenario("preview unsupported\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    EXPECT_FALSE(abilities_operations(session) & GP_OPERATION_CAPTURE_PREVIEW);
    std::string bytes;
    EXPECT_EQ(session.preview(bytes), GP_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(scenario.log(), (std::vector<std::string>{"init", "capture_preview failed -6"}));
    // Capturing pictures still works.
    std::string path;
    EXPECT_EQ(session.capture(path), GP_OK);
}

TEST(SimcamPreview, ChosenFramesFail) {
    SimcamScenario scenario("preview-delay-ms 0\npreview-fail 2 -7\npreview-fail-from 4 -110\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::vector<int> results;
    std::string bytes;
    for (int i = 0; i < 5; ++i)
        results.push_back(session.preview(bytes));
    EXPECT_EQ(results, (std::vector<int>{GP_OK, -7, GP_OK, -110, -110}));
    EXPECT_EQ(scenario.log(),
              (std::vector<std::string>{"init", "capture_preview", "capture_preview failed -7",
                                        "capture_preview", "capture_preview failed -110",
                                        "capture_preview failed -110"}));
}

TEST(SimcamPreview, DamagedFramesArriveButDoNotDecode) {
    SimcamScenario scenario("preview-delay-ms 0\npreview-damaged 2\npreview-damaged-from 4\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::vector<bool> decoded;
    for (int i = 0; i < 5; ++i) {
        std::string bytes;
        ASSERT_EQ(session.preview(bytes), GP_OK);
        ASSERT_GT(bytes.size(), 2u);
        EXPECT_EQ(bytes.substr(0, 2), "\xff\xd8") << "a damaged frame still starts as a JPEG";
        decoded.push_back(decode_jpeg(bytes).has_value());
    }
    EXPECT_EQ(decoded, (std::vector<bool>{true, false, true, false, false}));
    EXPECT_EQ(scenario.count("capture_preview"), 5);
}

TEST(SimcamPreview, PreviewLinesCanBeLeftOutOfTheLog) {
    SimcamScenario scenario("preview-delay-ms 0\npreview-log no\npreview-fail 2 -7\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::string bytes, path;
    EXPECT_EQ(session.preview(bytes), GP_OK);
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(session.preview(bytes), -7);
    ASSERT_EQ(session.capture(path), GP_OK);
    EXPECT_EQ(scenario.log(), (std::vector<std::string>{"init", "capture " + path}));
}

} // namespace
