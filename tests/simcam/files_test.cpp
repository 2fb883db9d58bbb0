// SPDX-License-Identifier: GPL-3.0-or-later
// Downloading, saving and deleting pictures, and what the pictures look like.

#include "camera_session.h"
#include "jpeg_image.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

// Opens the camera and captures `count` pictures.
std::vector<std::string> captured(CameraSession& session, int count) {
    EXPECT_EQ(session.init(), GP_OK);
    std::vector<std::string> paths(count);
    for (std::string& path : paths)
        EXPECT_EQ(session.capture(path), GP_OK);
    return paths;
}

double mean_difference(const RgbImage& a, const RgbImage& b) {
    double total = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        total += std::abs(int(a.pixels[i]) - int(b.pixels[i]));
    return total / a.pixels.size();
}

bool is_white(const uint8_t* pixel) {
    return pixel[0] > 220 && pixel[1] > 220 && pixel[2] > 220;
}
bool is_dark(const uint8_t* pixel) {
    return pixel[0] < 50 && pixel[1] < 50 && pixel[2] < 50;
}

TEST(SimcamFiles, SavedDefaultPictureIsA1500By1000Jpeg) {
    SimcamScenario scenario;
    TempDir dir;
    CameraSession session;
    const std::string path = captured(session, 1)[0];
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(session.save(path, dir.file("saved.jpg")), GP_OK);
    // Generous: making the picture alone takes a few tens of milliseconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    const std::optional<RgbImage> image = decode_jpeg(read_file(dir.file("saved.jpg")));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 1500);
    EXPECT_EQ(image->height, 1000);
    EXPECT_EQ(scenario.log().back(), "file_get " + path);
}

TEST(SimcamFiles, FramesDifferAndEachIsStable) {
    SimcamScenario scenario("picture jpeg 300 200\n");
    CameraSession session;
    const std::vector<std::string> paths = captured(session, 2);
    std::string first, again, second;
    ASSERT_EQ(session.download(paths[0], first), GP_OK);
    ASSERT_EQ(session.download(paths[0], again), GP_OK);
    ASSERT_EQ(session.download(paths[1], second), GP_OK);
    EXPECT_EQ(first, again);
    const std::optional<RgbImage> one = decode_jpeg(first);
    const std::optional<RgbImage> two = decode_jpeg(second);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->width, 300);
    EXPECT_EQ(one->height, 200);
    EXPECT_GT(mean_difference(*one, *two), 20.0) << "frames must be told apart at a glance";
}

TEST(SimcamFiles, FrameNumberStandsOutInTheMiddle) {
    SimcamScenario scenario("picture jpeg 90 60\n");
    CameraSession session;
    std::string bytes;
    ASSERT_EQ(session.download(captured(session, 1)[0], bytes), GP_OK);
    const std::optional<RgbImage> image = decode_jpeg(bytes);
    ASSERT_TRUE(image);
    int white = 0, dark = 0, edge_marks = 0;
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            const bool middle = y > 15 && y < 45 && x > 25 && x < 65;
            const uint8_t* pixel = image->at(x, y);
            white += middle && is_white(pixel);
            dark += middle && is_dark(pixel);
            edge_marks += !middle && (is_white(pixel) || is_dark(pixel));
        }
    // Even at thumbnail size the digit is many pixels tall, light on a dark plate.
    EXPECT_GT(white, 20);
    EXPECT_GT(dark, 50);
    EXPECT_EQ(edge_marks, 0);
}

TEST(SimcamFiles, GrainMakesLargerFilesOfTheSamePicture) {
    // The first picture of a camera, without and with grain, downloaded twice.
    auto first_picture = [](const std::string& text, std::string& again) {
        SimcamScenario scenario(text);
        CameraSession session;
        std::string path = captured(session, 1)[0], bytes;
        EXPECT_EQ(session.download(path, bytes), GP_OK);
        EXPECT_EQ(session.download(path, again), GP_OK);
        return bytes;
    };
    std::string plain_again, grainy_again;
    const std::string plain = first_picture("picture jpeg 600 400\n", plain_again);
    const std::string grainy =
        first_picture("picture jpeg 600 400\npicture-grain 24\n", grainy_again);
    EXPECT_EQ(plain, plain_again);
    EXPECT_EQ(grainy, grainy_again) << "the same frame has the same grain";
    EXPECT_GT(grainy.size(), 4 * plain.size());
    const std::optional<RgbImage> one = decode_jpeg(plain);
    const std::optional<RgbImage> two = decode_jpeg(grainy);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(two->width, 600);
    EXPECT_EQ(two->height, 400);
    const double difference = mean_difference(*one, *two);
    EXPECT_GT(difference, 3.0);
    EXPECT_LT(difference, 16.0) << "grain must not hide the picture";
}

TEST(SimcamFiles, RawPictureIsNoJpeg) {
    SimcamScenario scenario("picture raw 5000\ncapture-name IMG_%04d.CR2\n");
    CameraSession session;
    const std::vector<std::string> paths = captured(session, 2);
    std::string first, second;
    ASSERT_EQ(session.download(paths[0], first), GP_OK);
    ASSERT_EQ(session.download(paths[1], second), GP_OK);
    EXPECT_EQ(paths[0], "/DCIM/100SIMCM/IMG_0001.CR2");
    EXPECT_EQ(first.size(), 5000u);
    EXPECT_NE(first.substr(0, 2), "\xff\xd8");
    EXPECT_FALSE(decode_jpeg(first));
    EXPECT_NE(first, second);
}

TEST(SimcamFiles, DownloadsFailAsTheScenarioSays) {
    SimcamScenario scenario("download-fail 1 -35\ndownload-fail-from 3 -7\n");
    CameraSession session;
    const std::string path = captured(session, 1)[0];
    std::string bytes;
    EXPECT_EQ(session.download(path, bytes), -35);
    EXPECT_EQ(session.download(path, bytes), GP_OK);
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(session.download(path, bytes), -7);
    EXPECT_EQ(session.download(path, bytes), -7);
    const std::vector<std::string> log = scenario.log();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[2], "file_get failed -35 " + path);
    EXPECT_EQ(log[3], "file_get " + path);
    EXPECT_EQ(log[5], "file_get failed -7 " + path);
}

TEST(SimcamFiles, DeleteRemovesThePicture) {
    SimcamScenario scenario;
    CameraSession session;
    const std::vector<std::string> paths = captured(session, 2);
    ASSERT_EQ(session.remove(paths[0]), GP_OK);
    EXPECT_EQ(session.files("/DCIM/100SIMCM"), std::vector<std::string>{"IMG_0002.JPG"});
    std::string bytes;
    EXPECT_NE(session.download(paths[0], bytes), GP_OK);
    EXPECT_EQ(scenario.count("file_delete " + paths[0]), 1);
    // The camera, not just libgphoto2's listing, has forgotten the picture.
    ASSERT_EQ(session.exit(), GP_OK);
    ASSERT_EQ(session.init(), GP_OK);
    EXPECT_EQ(session.files("/DCIM/100SIMCM"), std::vector<std::string>{"IMG_0002.JPG"});
}

TEST(SimcamFiles, DeletesFailAsTheScenarioSays) {
    SimcamScenario scenario("delete-fail 1 -1\ndelete-fail-from 3 -60\n");
    CameraSession session;
    const std::vector<std::string> paths = captured(session, 3);
    EXPECT_EQ(session.remove(paths[0]), -1);
    EXPECT_EQ(session.remove(paths[0]), GP_OK);
    EXPECT_EQ(session.remove(paths[1]), -60);
    EXPECT_EQ(session.remove(paths[2]), -60);
    EXPECT_EQ(session.files("/DCIM/100SIMCM"),
              (std::vector<std::string>{"IMG_0002.JPG", "IMG_0003.JPG"}));
    EXPECT_EQ(scenario.count("file_delete failed -1 " + paths[0]), 1);
    EXPECT_EQ(scenario.count("file_delete failed -60 "), 2);
}

} // namespace
