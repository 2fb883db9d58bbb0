// SPDX-License-Identifier: GPL-3.0-or-later
// A real body's pace: each operation takes at least as long as its scenario word says. Only
// lower bounds are checked, since a loaded machine may take any time longer.

#include "camera_session.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Runs `operation` and says how long it took; the result must be GP_OK.
milliseconds timed(const std::function<int()>& operation) {
    const Clock::time_point start = Clock::now();
    const int result = operation();
    const milliseconds elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    EXPECT_EQ(result, GP_OK);
    return elapsed;
}

WidgetTree radio_set_to(CameraSession& session, const char* name, const char* value) {
    WidgetTree widget;
    EXPECT_EQ(session.get_single(name, widget), GP_OK);
    if (widget) {
        EXPECT_EQ(gp_widget_set_value(widget.get(), value), GP_OK);
    }
    return widget;
}

TEST(SimcamLatency, InitialisationTakesItsDelay) {
    SimcamScenario scenario("init-delay-ms 300\n");
    CameraSession session;
    EXPECT_GE(timed([&] { return session.init(); }), milliseconds(300));
    // Every opening takes it, not only the first.
    ASSERT_EQ(session.exit(), GP_OK);
    EXPECT_GE(timed([&] { return session.init(); }), milliseconds(300));
}

TEST(SimcamLatency, FullConfigurationReadAndWriteTakeTheirDelays) {
    SimcamScenario scenario("get-config-delay-ms 300\nset-config-delay-ms 400\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    WidgetTree tree;
    EXPECT_GE(timed([&] { return session.get_config(tree); }), milliseconds(300));
    ASSERT_TRUE(tree);
    EXPECT_GE(timed([&] { return session.set_config(tree); }), milliseconds(400));
}

TEST(SimcamLatency, SingleSettingReadAndWriteTakeTheirDelays) {
    SimcamScenario scenario("single-config yes\nget-single-delay-ms 300\nset-single-delay-ms 400\n"
                            "get-config-delay-ms 5000\nset-config-delay-ms 5000\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    WidgetTree iso;
    EXPECT_GE(timed([&] { return session.get_single("iso", iso); }), milliseconds(300));
    ASSERT_TRUE(iso);
    ASSERT_EQ(gp_widget_set_value(iso.get(), "400"), GP_OK);
    EXPECT_GE(timed([&] { return session.set_single("iso", iso); }), milliseconds(400));
    // The short way really was taken: no full read or write.
    EXPECT_EQ(scenario.log(), (std::vector<std::string>{"init", "get_single_config iso",
                                                        "set_single_config\tiso=400"}));
}

TEST(SimcamLatency, WithoutSingleSettingsAChangeCostsAFullReadAndWrite) {
    SimcamScenario scenario("get-config-delay-ms 300\nset-config-delay-ms 300\n"
                            "get-single-delay-ms 5000\nset-single-delay-ms 5000\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    WidgetTree iso = radio_set_to(session, "iso", "800");
    ASSERT_TRUE(iso);
    EXPECT_GE(timed([&] { return session.set_single("iso", iso); }), milliseconds(600));
    EXPECT_EQ(scenario.log(), (std::vector<std::string>{"init", "get_config", "get_config",
                                                        "set_config\tiso=800"}));
}

TEST(SimcamLatency, CaptureAndDeleteTakeTheirDelays) {
    SimcamScenario scenario("capture-delay-ms 300\ndelete-delay-ms 400\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::string path;
    EXPECT_GE(timed([&] { return session.capture(path); }), milliseconds(300));
    EXPECT_GE(timed([&] { return session.remove(path); }), milliseconds(400));
    EXPECT_TRUE(session.files("/DCIM/100SIMCM").empty());
}

TEST(SimcamLatency, DownloadTakesItsSizeOverTheRate) {
    struct Case {
        const char* picture;
        int rate;
    };
    // A raw file of known size, and a JPEG whose size only the download tells.
    for (const Case& c :
         {Case{"picture raw 300000", 1000000}, Case{"picture jpeg 800 600", 50000}}) {
        SCOPED_TRACE(c.picture);
        SimcamScenario scenario(std::string(c.picture) + "\ndownload-bytes-per-second " +
                                std::to_string(c.rate) + "\n");
        CameraSession session;
        ASSERT_EQ(session.init(), GP_OK);
        std::string path, bytes;
        ASSERT_EQ(session.capture(path), GP_OK);
        const milliseconds elapsed = timed([&] { return session.download(path, bytes); });
        const milliseconds transfer(static_cast<long long>(bytes.size()) * 1000 / c.rate);
        EXPECT_GE(transfer, milliseconds(200)) << "the case must be slow enough to tell";
        EXPECT_GE(elapsed, transfer) << bytes.size() << " bytes";
    }
}

TEST(SimcamLatency, PreviewFramesComeAtTheirDelay) {
    SimcamScenario scenario("preview-delay-ms 250\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    std::string bytes;
    EXPECT_GE(timed([&] {
                  const int first = session.preview(bytes);
                  return first == GP_OK ? session.preview(bytes) : first;
              }),
              milliseconds(500));
}

} // namespace
