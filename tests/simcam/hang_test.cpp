// SPDX-License-Identifier: GPL-3.0-or-later
// A camera that locks up: the chosen capture never returns until the scenario file changes,
// and it sleeps meanwhile instead of spinning.

#include "camera_session.h"
#include "support/simcam_scenario.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Waits (at most a long minute) until the log has a line starting with `prefix`.
bool log_shows(const SimcamScenario& scenario, const std::string& prefix) {
    const auto give_up = std::chrono::steady_clock::now() + 60s;
    while (scenario.count(prefix) == 0) {
        if (std::chrono::steady_clock::now() > give_up)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::chrono::nanoseconds cpu_time_of(std::thread& thread) {
    clockid_t clock;
    timespec used = {};
    if (pthread_getcpuclockid(thread.native_handle(), &clock) == 0)
        clock_gettime(clock, &used);
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

void edit(const SimcamScenario& scenario) {
    write_file(scenario.path(), read_file(scenario.path()) + "# edited\n");
}

// Captures on another thread. A test that stops half-way still frees the capture.
class HangingCapture {
  public:
    HangingCapture(CameraSession& session, const SimcamScenario& scenario)
        : scenario_(scenario), thread_([this, &session] {
              result_ = session.capture(path_);
              done_ = true;
          }) {}
    ~HangingCapture() {
        if (!thread_.joinable())
            return;
        if (!done_)
            edit(scenario_);
        thread_.join();
    }

    bool done() const { return done_; }
    std::chrono::nanoseconds cpu_time() { return cpu_time_of(thread_); }
    int finish() {
        thread_.join();
        return result_;
    }

  private:
    const SimcamScenario& scenario_;
    std::string path_;
    int result_ = GP_OK;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

TEST(SimcamHang, ChosenCaptureBlocksUntilTheScenarioChanges) {
    struct Case {
        const char* word;
        // What the capture after the freed one does, before the camera is opened again.
        int next;
    };
    for (const Case& c :
         {Case{"capture-hang 2", GP_OK}, Case{"capture-hang-from 2", GP_ERROR_IO}}) {
        SCOPED_TRACE(c.word);
        SimcamScenario scenario(c.word);
        CameraSession session;
        ASSERT_EQ(session.init(), GP_OK);
        std::string path;
        ASSERT_EQ(session.capture(path), GP_OK);

        HangingCapture hanging(session, scenario);
        ASSERT_TRUE(log_shows(scenario, "capture hangs"));
        const auto start = std::chrono::steady_clock::now();
        const std::chrono::nanoseconds cpu_before = hanging.cpu_time();
        std::this_thread::sleep_for(600ms);
        EXPECT_FALSE(hanging.done()) << "the hanging capture returned by itself";
        const std::chrono::nanoseconds cpu = hanging.cpu_time() - cpu_before;
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_LT(cpu * 4, waited) << "a hanging capture must sleep, not spin";

        edit(scenario);
        EXPECT_EQ(hanging.finish(), GP_ERROR_IO);
        EXPECT_EQ(scenario.log().back(), "capture failed -7");

        // The camera goes on with the scenario it was opened with, numbering on.
        EXPECT_EQ(session.capture(path), c.next);
        if (c.next == GP_OK) {
            EXPECT_EQ(path, "/DCIM/100SIMCM/IMG_0002.JPG");
        }
    }
}

TEST(SimcamHang, RemovingTheScenarioFreesTheCaptureToo) {
    SimcamScenario scenario("capture-hang 1\n");
    CameraSession session;
    ASSERT_EQ(session.init(), GP_OK);
    HangingCapture hanging(session, scenario);
    ASSERT_TRUE(log_shows(scenario, "capture hangs"));
    ASSERT_EQ(std::remove(scenario.path().c_str()), 0);
    EXPECT_EQ(hanging.finish(), GP_ERROR_IO);
}

} // namespace
