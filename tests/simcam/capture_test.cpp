// SPDX-License-Identifier: GPL-3.0-or-later
// Capturing: file names, timing and failures as the scenario sets them.

#include "camera_session.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// Captures `count` times; returns each result, and the paths of the successful ones.
std::vector<int> capture_series(CameraSession& session, int count,
                                std::vector<std::string>& paths) {
    std::vector<int> results;
    for (int i = 0; i < count; ++i) {
        std::string path;
        results.push_back(session.capture(path));
        if (results.back() == GP_OK)
            paths.push_back(path);
    }
    return results;
}

TEST(SimcamCapture, DefaultNamesCountFromOne) {
    SimcamScenario scenario;
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::vector<std::string> paths;
    EXPECT_EQ(capture_series(session, 2, paths), (std::vector<int>{GP_OK, GP_OK}));
    EXPECT_EQ(paths, (std::vector<std::string>{"/DCIM/100SIMCM/IMG_0001.JPG",
                                               "/DCIM/100SIMCM/IMG_0002.JPG"}));
    EXPECT_EQ(session.folders("/"), std::vector<std::string>{"DCIM"});
    EXPECT_EQ(session.folders("/DCIM"), std::vector<std::string>{"100SIMCM"});
    EXPECT_EQ(scenario.count("capture /DCIM/100SIMCM/IMG_000"), 2);
}

TEST(SimcamCapture, FolderPatternAndCounterComeFromTheScenario) {
    SimcamScenario scenario("capture-folder /store/A/\ncapture-name \"frame %%-%03d.jpg\"\n"
                            "capture-counter 998\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::vector<std::string> paths;
    capture_series(session, 3, paths);
    EXPECT_EQ(paths,
              (std::vector<std::string>{"/store/A/frame %-998.jpg", "/store/A/frame %-999.jpg",
                                        "/store/A/frame %-1000.jpg"}));
    // libgphoto2 sorts listings by name.
    EXPECT_EQ(session.files("/store/A"),
              (std::vector<std::string>{"frame %-1000.jpg", "frame %-998.jpg", "frame %-999.jpg"}));
    EXPECT_EQ(session.folders("/"), std::vector<std::string>{"store"});
}

TEST(SimcamCapture, FixedNameReplacesThePicture) {
    SimcamScenario scenario("capture-fixed capt0000.jpg\ncapture-folder /\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::string first, second, first_bytes, second_bytes;
    ASSERT_EQ(session.capture(first), GP_OK);
    ASSERT_EQ(session.download(first, first_bytes), GP_OK);
    ASSERT_EQ(session.capture(second), GP_OK);
    ASSERT_EQ(session.download(second, second_bytes), GP_OK);
    EXPECT_EQ(first, "/capt0000.jpg");
    EXPECT_EQ(second, "/capt0000.jpg");
    EXPECT_EQ(session.files("/"), std::vector<std::string>{"capt0000.jpg"});
    EXPECT_NE(first_bytes, second_bytes) << "the second capture must be a new picture";
}

TEST(SimcamCapture, CaptureTakesTheScenarioDelay) {
    SimcamScenario scenario("capture-delay-ms 300\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    const auto start = std::chrono::steady_clock::now();
    std::string path;
    ASSERT_EQ(session.capture(path), GP_OK);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
}

TEST(SimcamCapture, NthCaptureFails) {
    SimcamScenario scenario("capture-fail 2 -1\ncapture-fail 4 -110\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::vector<std::string> paths;
    EXPECT_EQ(capture_series(session, 5, paths), (std::vector<int>{GP_OK, -1, GP_OK, -110, GP_OK}));
    // A failed capture makes no file and uses no number.
    EXPECT_EQ(paths, (std::vector<std::string>{"/DCIM/100SIMCM/IMG_0001.JPG",
                                               "/DCIM/100SIMCM/IMG_0002.JPG",
                                               "/DCIM/100SIMCM/IMG_0003.JPG"}));
    EXPECT_EQ(scenario.log(), (std::vector<std::string>{
                                  "init", "capture /DCIM/100SIMCM/IMG_0001.JPG",
                                  "capture failed -1", "capture /DCIM/100SIMCM/IMG_0002.JPG",
                                  "capture failed -110", "capture /DCIM/100SIMCM/IMG_0003.JPG"}));
}

TEST(SimcamCapture, CapturesFailFromTheNthOn) {
    SimcamScenario scenario("capture-fail-from 3 -7\n");
    std::vector<std::string> paths;
    {
        CameraSession session;
        ASSERT_EQ(session.init(), GP_OK);
        EXPECT_EQ(capture_series(session, 4, paths), (std::vector<int>{GP_OK, GP_OK, -7, -7}));
    }
    // Counted since the scenario was loaded, not since the camera was opened.
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    EXPECT_EQ(capture_series(session, 1, paths), std::vector<int>{-7});
    EXPECT_EQ(scenario.count("capture failed -7"), 3);
}

} // namespace
