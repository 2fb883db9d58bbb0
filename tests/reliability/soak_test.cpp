// SPDX-License-Identifier: GPL-3.0-or-later
// Hours of unattended shooting compressed: five hundred passes of a series at interval 0 on a
// camera that now and then fails to capture, download or delete. Every picture must end up on
// disk byte for byte or be reported, and memory must not grow with the passes.
#include "reliability/picture_ledger.h"
#include "reliability/report_rows.h"
#include "reliability/resident_memory.h"
#include "reliability/window_actions.h"
#include "series/series_window.h"

#include "app/series_page.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sstream>

namespace {

const int passes = 500;
const int width = 320;
const int height = 240;
const int failingCapture = 250; // ends the second series; Detect Camera follows
const int everyNthDownloadFails = 37;
const int everyNthDeleteFails = 41;
// Generous: sanitizer builds run the passes many times slower.
const int seriesTimeoutMs = 20 * 60 * 1000;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers' allocators hold freed memory back on purpose; their leak checks stand in.
const bool residentSetIsMeaningful = false;
#else
const bool residentSetIsMeaningful = true;
#endif

std::string failing_camera() {
    std::string text = "picture jpeg " + std::to_string(width) + " " + std::to_string(height) +
                       "\ncapture-fail " + std::to_string(failingCapture) + " -7\n";
    for (int n = everyNthDownloadFails; n <= passes; n += everyNthDownloadFails)
        text += "download-fail " + std::to_string(n) + " -7\n";
    for (int n = everyNthDeleteFails; n <= passes; n += everyNthDeleteFails)
        text += "delete-fail " + std::to_string(n) + " -7\n";
    return text;
}

// Presses Start as the user would and pumps events until the series has ended. A Start that is
// off, a series that never begins or stalls, and one that ends without giving the buttons back
// fail as soon as they show, not at the time limit of a series that would never end.
testing::AssertionResult run_series(const StdoutCapture& console) {
    if (!startButton->IsEnabled())
        return testing::AssertionFailure()
               << "Start is off (" << buttons() << "), so no series can start";
    click(startButton);
    using Clock = std::chrono::steady_clock;
    // Long enough for a Start that waits for the camera, and for a worker's last word.
    const auto settle = std::chrono::seconds(5);
    // At interval 0 every pass prints; sanitizer builds included, none takes this long.
    const auto silence = std::chrono::minutes(1);
    bool began = false;
    std::size_t printed = console.size();
    Clock::time_point lastWorking = Clock::now(), lastPrinted = Clock::now();
    std::string failure;
    const bool ended = pump_until(
        [&] {
            const Clock::time_point now = Clock::now();
            if (console.size() != printed) {
                printed = console.size();
                lastPrinted = now;
            }
            if (workers() != 0) {
                began = true;
                lastWorking = now;
            } else if (began && buttons() == idle) {
                return true;
            }
            std::ostringstream why;
            if (now - lastWorking > settle)
                why << (began ? "the series ended with the buttons at (" : "no series began (")
                    << buttons() << "), so the next one cannot start";
            else if (now - lastPrinted > silence)
                why << "the series printed nothing for a minute (" << buttons() << ")";
            failure = why.str();
            return !failure.empty();
        },
        seriesTimeoutMs);
    if (!failure.empty())
        return testing::AssertionFailure() << failure;
    if (!ended)
        return testing::AssertionFailure() << "the series did not end in time";
    return testing::AssertionSuccess();
}

TEST(Soak, FiveHundredPassesLoseNoPictureAndKeepMemoryBounded) {
    const auto began = std::chrono::steady_clock::now();
    SeriesWindow w(failing_camera());

    // First series: the warm-up the memory is measured from.
    w.settings("0", "0", "50");
    ASSERT_TRUE(run_series(w.console));
    const long afterFifty = resident_kib();

    // Second series: runs until the capture fails, which closes the camera and ends it.
    w.settings("0", "0", "0");
    ASSERT_TRUE(run_series(w.console));
    ASSERT_EQ(occurrences(w.console.text(), "Could not capture image:\t-7\n"), 1);
    ASSERT_EQ(w.camera.log().back(), "exit") << "the failure closed the camera";
    detect_camera(w.frame->get());
    ASSERT_TRUE(ends_with(w.console.text(), "Camera initialised.\n\n"));
    ASSERT_EQ(buttons(), idle);

    // Third series: the passes left, each taking one frame.
    const int taken = occurrences(w.console.text(), "Capturing Image...\n");
    ASSERT_EQ(taken, failingCapture);
    w.settings("0", "0", wxString::Format("%d", passes - taken));
    ASSERT_TRUE(run_series(w.console));
    const long afterAll = resident_kib();
    const double minutes =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count() / 60;

    const std::string console = w.console.text();
    const int retrieveFailures = occurrences(console, "Could not retieve image:\t-7\n");
    const int writeFailures = occurrences(console, "Couldn't write file ");
    const int deleteFailures = occurrences(console, "Problem deleting file from camera.\n");
    const PictureCount count = count_pictures(w.camera, w.pictures.path(), width, height);

    EXPECT_EQ(occurrences(console, "Capturing Image...\n"), passes);
    EXPECT_EQ(count.captured, passes - 1);
    EXPECT_EQ(count.lost, 0) << "first lost: "
                             << (count.lostNames.empty() ? "" : count.lostNames[0]);
    EXPECT_EQ(count.strays, 0) << "no partial or damaged file";
    EXPECT_EQ(count.onDisk + retrieveFailures + writeFailures, count.captured)
        << "each picture is on disk or reported";
    EXPECT_EQ(count.onCamera, retrieveFailures + writeFailures)
        << "a picture not saved stays on the camera";
    EXPECT_EQ(retrieveFailures, w.camera.count("file_get failed"));
    EXPECT_EQ(deleteFailures, w.camera.count("file_delete failed"));
    EXPECT_GT(retrieveFailures, 0);
    EXPECT_GT(deleteFailures, 0);
    EXPECT_EQ(w.log.errors().size(), 1u) << "only the failed capture raises a message";
    const long growth = afterAll - afterFifty;
    if (residentSetIsMeaningful) {
        EXPECT_LE(growth, 2048) << "KiB of resident memory gained from pass 50 to pass 500";
    }

    print_figure("pictures-lost", count.lost);
    print_figure("rss-growth-kib", growth);
    print_heading("soak", {"passes", "pictures taken", "on disk, byte-identical",
                           "only on camera, reported", "delete failures reported", "lost",
                           "RSS after 50", "RSS after 500", "RSS growth", "minutes"});
    print_row("soak",
              {std::to_string(passes), std::to_string(count.captured), std::to_string(count.onDisk),
               std::to_string(count.onCamera), std::to_string(deleteFailures),
               std::to_string(count.lost), std::to_string(afterFifty) + " KiB",
               std::to_string(afterAll) + " KiB",
               std::to_string(growth) + " KiB" + (residentSetIsMeaningful ? "" : " (sanitizer)"),
               wxString::Format("%.1f", minutes).ToStdString()});
}

} // namespace
