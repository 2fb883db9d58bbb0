// SPDX-License-Identifier: GPL-3.0-or-later
// Live view leaves the camera as it found it, and copes with a camera that has none or fails.
#include "liveview/live_view_window.h"

#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

namespace {

const char viewfinderOff[] = "set_single_config\tviewfinder=0";

// Pumps events until the operation log has a line that starts with the prefix.
bool logged(const SimcamScenario& camera, const std::string& prefix, int timeout_ms = 20000) {
    return pump_until([&] { return camera.count(prefix) > 0; }, timeout_ms);
}

TEST(LiveViewLeavesTheCamera, LeavingThePageStopsTheFramesAndSetsTheViewfinderOff) {
    SimcamScenario camera(live_camera());
    FrameUnderTest frame;
    StdoutCapture console;
    show_live_view(frame.get());
    ASSERT_TRUE(preview_calls_reach(camera, 3));
    EXPECT_EQ(camera.count("set_single_config"), 0);
    leave_live_view(frame.get());
    ASSERT_TRUE(logged(camera, viewfinderOff));
    EXPECT_TRUE(no_more_preview_calls(camera));
    const std::vector<std::string> ops = camera.log();
    EXPECT_EQ(ops.back(), viewfinderOff) << "after the last frame, and once";
    EXPECT_EQ(camera.count("set_single_config"), 1);
    EXPECT_EQ(camera.count("get_config"), 1) << "start-up's read only";

    // Shown again: frames again, and off again when left.
    show_live_view(frame.get());
    ASSERT_TRUE(preview_calls_reach(camera, camera.count("capture_preview") + 3));
    leave_live_view(frame.get());
    ASSERT_TRUE(pump_until([&] { return camera.count(viewfinderOff) == 2; }, 20000));
    EXPECT_TRUE(no_more_preview_calls(camera));
    EXPECT_EQ(console.text(), "");
}

TEST(LiveViewLeavesTheCamera, WithoutSingleSettingsTheToggleGoesInOneFullReadAndWrite) {
    // A body that raised its mirror for live view shows the toggle on.
    std::string scenario = live_camera("single-config no\n");
    scenario.replace(scenario.find("value=0"), 7, "value=1");
    SimcamScenario camera(scenario);
    FrameUnderTest frame;
    StdoutCapture console;
    show_live_view(frame.get());
    ASSERT_TRUE(preview_calls_reach(camera, 3));
    camera.clear_log();
    leave_live_view(frame.get());
    ASSERT_TRUE(logged(camera, "set_config"));
    EXPECT_TRUE(no_more_preview_calls(camera));
    std::vector<std::string> ops = camera.log();
    while (!ops.empty() && ops.front() == "capture_preview")
        ops.erase(ops.begin());
    EXPECT_EQ(ops, (std::vector<std::string>{"get_config", "set_config\tviewfinder=0"}));
    EXPECT_EQ(console.text(), "");
}

TEST(LiveViewLeavesTheCamera, ACameraWithoutTheToggleIsNotWrittenTo) {
    SimcamScenario camera("preview-size 512 340\npreview-delay-ms 20\nsingle-config yes\n");
    FrameUnderTest frame;
    show_live_view(frame.get());
    ASSERT_TRUE(preview_calls_reach(camera, 3));
    leave_live_view(frame.get());
    pump_events(200);
    EXPECT_TRUE(no_more_preview_calls(camera));
    EXPECT_EQ(camera.count("set_"), 0);
    EXPECT_EQ(camera.count("get_config"), 1) << "start-up's read only";
}

TEST(LiveViewFailures, ACameraWithoutLiveViewIsAskedOnceAndSaysSoOnThePage) {
    SimcamScenario camera(live_camera("preview unsupported\n"));
    FrameUnderTest frame;
    StdoutCapture console;
    LogCapture log;
    show_live_view(frame.get());
    ASSERT_TRUE(pump_until(
        [&] { return live_state(frame.get()) == "This camera has no live view."; }, 20000))
        << live_state(frame.get());
    EXPECT_TRUE(no_more_preview_calls(camera, 500)) << "no retry while the page stays shown";
    EXPECT_EQ(camera.log(),
              std::vector<std::string>({"init", "get_config", "capture_preview failed -6"}))
        << "and nothing to set off";
    EXPECT_TRUE(log.messages().empty()) << "no message box";
    EXPECT_EQ(console.text(), "");
}

TEST(LiveViewFailures, AFailedOrDamagedFrameIsSkipped) {
    SimcamScenario camera(live_camera("preview-fail 3 -7\npreview-damaged 5\npreview-damaged 6\n"
                                      "preview-fail 8 -1\npreview-damaged 11\n"));
    FrameUnderTest frame;
    LogCapture log;
    show_live_view(frame.get());
    ASSERT_TRUE(preview_calls_reach(camera, 16));
    EXPECT_TRUE(live_state(frame.get()).empty() ||
                live_state(frame.get()).EndsWith(" frames per second"))
        << live_state(frame.get());
    EXPECT_EQ(camera.count(viewfinderOff), 0) << "live view went on";
    EXPECT_TRUE(log.messages().empty());
}

TEST(LiveViewFailures, FiveFailuresInARowStopLiveViewUntilThePageIsShownAgain) {
    SimcamScenario camera(live_camera("preview-fail-from 3 -7\n"));
    FrameUnderTest frame;
    StdoutCapture console;
    LogCapture log;
    show_live_view(frame.get());
    const wxString stopped = "Live view stopped after 5 failed frames in a row (last: I/O "
                             "problem). Show this page again to retry.";
    ASSERT_TRUE(pump_until([&] { return live_state(frame.get()) == stopped; }, 20000))
        << live_state(frame.get());
    ASSERT_TRUE(logged(camera, viewfinderOff));
    EXPECT_TRUE(no_more_preview_calls(camera, 500));
    EXPECT_EQ(camera.count("capture_preview"), 7) << "two frames, then five failures";
    EXPECT_EQ(camera.log().back(), viewfinderOff);

    // Another page and back: it tries again, and stops again after five.
    leave_live_view(frame.get());
    pump_events(100);
    EXPECT_TRUE(no_more_preview_calls(camera));
    show_live_view(frame.get());
    ASSERT_TRUE(preview_calls_reach(camera, 12));
    ASSERT_TRUE(pump_until([&] { return camera.count(viewfinderOff) == 2; }, 20000));
    EXPECT_TRUE(no_more_preview_calls(camera, 500));
    EXPECT_EQ(camera.count("capture_preview"), 12);
    EXPECT_EQ(live_state(frame.get()), stopped);
    EXPECT_TRUE(log.messages().empty()) << "no message box";
    EXPECT_EQ(console.text(), "");
}

TEST(LiveViewFailures, FiveDamagedFramesInARowStopItToo) {
    SimcamScenario camera(live_camera("preview-damaged-from 2\n"));
    FrameUnderTest frame;
    show_live_view(frame.get());
    ASSERT_TRUE(pump_until(
        [&] { return live_state(frame.get()).StartsWith("Live view stopped after 5 failed"); },
        20000));
    EXPECT_TRUE(live_state(frame.get()).Contains("(last: damaged frame)"))
        << live_state(frame.get());
    EXPECT_TRUE(no_more_preview_calls(camera, 500));
    EXPECT_EQ(camera.count("capture_preview"), 6);
}

TEST(LiveViewExit, ClosingTheWindowWithThePageShownIsPromptAndLeavesTheViewfinderOff) {
    SimcamScenario camera(live_camera());
    std::optional<FrameUnderTest> frame;
    frame.emplace();
    show_live_view(frame->get());
    ASSERT_TRUE(preview_calls_reach(camera, 3));
    StdoutCapture console;
    const auto closing = std::chrono::steady_clock::now();
    frame.reset();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - closing)
            .count();
    // Two seconds is what a camera that does not answer gets; this one answers in 20 ms.
    EXPECT_LT(ms, 1500);
    EXPECT_EQ(camera.log().back(), viewfinderOff);
    const int frames = camera.count("capture_preview");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(camera.count("capture_preview"), frames) << "the camera thread has ended";
    EXPECT_EQ(console.text(), "");
}

} // namespace
