// SPDX-License-Identifier: GPL-3.0-or-later
// The sleep lock against a stand-in logind on a private bus that the code under test takes for
// the system bus. No system service is touched.
#include "platform/child_process.h"
#include "platform/private_bus.h"
#include "platform/sleep_inhibitor.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <signal.h>

namespace {

using namespace std::chrono_literals;

// The call logind gets: what, who and mode exactly, and some reason.
void expect_inhibit_call(const std::string& line, int number) {
    EXPECT_TRUE(
        std::regex_match(line, std::regex("inhibit " + std::to_string(number) +
                                          " what=sleep:idle who=Vantlow why=.+ mode=block")))
        << line;
}

struct Notices {
    std::vector<std::string> texts;
    SleepInhibitor::Notice collector() {
        return [this](const std::string& text) { texts.push_back(text); };
    }
};

// Start, a second Start while the lock is asked for, Stop, Start again, Exit.
TEST(SleepInhibitorTest, LockIsTakenOnceAndLetGoAtReleaseAndAtDestruction) {
    TempDir dir;
    PrivateSystemBus bus;
    StandInLogind logind(bus, dir);
    Notices notices;
    {
        SleepInhibitor inhibitor(notices.collector());
        inhibitor.hold();
        inhibitor.hold();
        ASSERT_TRUE(turn_main_loop_until([&] { return inhibitor.held(); }, 5s));
        inhibitor.hold();
        // Nothing lets go of a held lock while the program goes on.
        turn_main_loop_until([] { return false; }, 300ms);
        EXPECT_TRUE(inhibitor.held());
        auto lines = logind.lines();
        ASSERT_EQ(lines.size(), 1u);
        expect_inhibit_call(lines[0], 1);

        inhibitor.release();
        EXPECT_FALSE(inhibitor.held());
        ASSERT_TRUE(logind.logs("released 1"));

        inhibitor.hold();
        ASSERT_TRUE(turn_main_loop_until([&] { return inhibitor.held(); }, 5s));
        lines = logind.lines();
        ASSERT_EQ(lines.size(), 3u);
        expect_inhibit_call(lines[2], 2);
    }
    ASSERT_TRUE(logind.logs("released 2"));
    EXPECT_EQ(logind.lines().size(), 4u);
    EXPECT_TRUE(notices.texts.empty());
}

// Stop or Exit before logind has answered: the lock that comes later is let go at once.
class LetGoBeforeTheAnswer : public testing::TestWithParam<bool> {};

TEST_P(LetGoBeforeTheAnswer, LockIsLetGoWhenItArrives) {
    const bool destroyed = GetParam();
    TempDir dir;
    PrivateSystemBus bus;
    StandInLogind logind(bus, dir, 800);
    Notices notices;
    auto inhibitor = std::make_unique<SleepInhibitor>(notices.collector());
    inhibitor->hold();
    // The window goes on while logind takes its time.
    EXPECT_TRUE(inhibitor->waiting());
    EXPECT_FALSE(inhibitor->held());
    ASSERT_TRUE(turn_main_loop_until([&] { return logind.lines().size() == 1; }, 5s));
    expect_inhibit_call(logind.lines()[0], 1);
    if (destroyed) {
        inhibitor.reset();
    } else {
        inhibitor->release();
        EXPECT_FALSE(inhibitor->waiting());
    }
    ASSERT_TRUE(logind.logs("released 1"));
    if (!destroyed) {
        EXPECT_FALSE(inhibitor->held());
    }
    EXPECT_TRUE(notices.texts.empty());
}

INSTANTIATE_TEST_SUITE_P(ReleaseOrDestruction, LetGoBeforeTheAnswer, testing::Bool(),
                         [](const auto& info) { return info.param ? "Destroyed" : "Released"; });

// The kernel closes the descriptor of a killed program, and nothing else keeps the lock.
TEST(SleepInhibitorTest, LockEndsWithAKilledProcess) {
    TempDir dir;
    PrivateSystemBus bus;
    StandInLogind logind(bus, dir);
    ChildProcess holder({INHIBITOR_HOLDER});
    ASSERT_EQ(holder.read_line(10s), "held");
    auto lines = logind.lines();
    ASSERT_EQ(lines.size(), 1u);
    expect_inhibit_call(lines[0], 1);

    holder.kill_with(SIGKILL);
    ASSERT_TRUE(logind.logs("released 1"));
}

// Without logind, or without any system bus, each hold is refused without waiting and the
// reason is told once.
struct Missing {
    const char* name;
    bool bus;
    const char* notice;
};

void PrintTo(const Missing& missing, std::ostream* out) {
    *out << missing.name;
}

class WithoutLogind : public testing::TestWithParam<Missing> {};

TEST_P(WithoutLogind, RefusalIsToldOnceWithoutWaiting) {
    TempDir dir;
    std::unique_ptr<PrivateSystemBus> bus;
    if (GetParam().bus)
        bus = std::make_unique<PrivateSystemBus>();
    else
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir.file("no-bus")).c_str(), 1);

    Notices notices;
    SleepInhibitor inhibitor(notices.collector());
    for (int start = 1; start <= 3; ++start) {
        inhibitor.hold();
        EXPECT_TRUE(inhibitor.waiting()) << "start " << start;
        ASSERT_TRUE(turn_main_loop_until([&] { return !inhibitor.waiting(); }, 10s));
        EXPECT_FALSE(inhibitor.held());
        EXPECT_EQ(notices.texts, std::vector<std::string>{GetParam().notice}) << "start " << start;
    }
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

INSTANTIATE_TEST_SUITE_P(
    Buses, WithoutLogind,
    testing::Values(Missing{"BusWithoutLogind", true,
                            "Sleep is not held off: no logind on the system bus."},
                    Missing{"NoBus", false, "Sleep is not held off: no system bus."}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
