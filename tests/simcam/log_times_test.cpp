// SPDX-License-Identifier: GPL-3.0-or-later
// The operation log's time column: the camera's own clock, in milliseconds since the scenario
// was loaded.

#include "camera_session.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

TEST(SimcamLogTimes, EachLineStartsWithTheCameraTime) {
    SimcamScenario scenario("log-times yes\ncapture-delay-ms 200\n");
    const Clock::time_point start = Clock::now();
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::string path;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(session.capture(path), GP_OK);
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count() + 1;

    std::vector<long long> times;
    std::vector<std::string> lines;
    for (const std::string& line : scenario.log()) {
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string number = line.substr(0, tab);
        ASSERT_FALSE(number.empty()) << line;
        ASSERT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << line;
        times.push_back(std::stoll(number));
        lines.push_back(line.substr(tab + 1));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"init", "capture /DCIM/100SIMCM/IMG_0001.JPG",
                                               "capture /DCIM/100SIMCM/IMG_0002.JPG",
                                               "capture /DCIM/100SIMCM/IMG_0003.JPG"}));
    ASSERT_EQ(times.size(), 4u);
    // Each capture line comes at least its delay after the line before.
    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], 200) << "line " << i;
    // The clock started when the camera loaded the scenario, inside the test's time.
    EXPECT_LE(times.back(), elapsed);
}

} // namespace
