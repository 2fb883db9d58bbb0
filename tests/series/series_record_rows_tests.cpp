// SPDX-License-Identifier: GPL-3.0-or-later
// A series keeps its record in its working directory: a row per picture, written as each is
// done, with what became of it. "Capture Image" outside a series keeps none.
#include "series/series_window.h"

#include "app/series_page.h"
#include "camera/settings_page.h"
#include "record/series_record.h"
#include "support/file_size_limit.h"
#include "support/time_zone.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::system_clock;

TEST(SeriesRecordRows, EachPictureHasItsRowWithWhatBecameOfIt) {
    // Far from UTC, and not by whole hours: local time taken for UTC puts the rows hours out.
    TimeZone zone(kolkataZone);
    SeriesWindow w("picture jpeg 640 480\ndownload-fail 3 -7");
    w.settings("1", "0", "3");
    const Clock::time_point started = Clock::now();
    click(startButton);
    ASSERT_TRUE(w.console_ends_with("Sleeping for 1 seconds... ", 10000));
    const std::string record = newest_series_record(w.pictures.path());
    ASSERT_FALSE(record.empty()) << "the record is there from the start of the series";
    EXPECT_EQ(read_series_record(record).rows.size(), 1u) << "the first picture's row is written";
    {
        // The record's rows can be written, the pictures cannot.
        FileSizeLimit full(5000);
        ASSERT_TRUE(series_ended(20000));
    }

    const SeriesRecord rows = read_series_record(record);
    EXPECT_EQ(rows.unreadableRows, 0);
    ASSERT_EQ(rows.rows.size(), 3u);
    const SeriesOutcome outcomes[] = {SeriesOutcome::Written, SeriesOutcome::WriteFailed,
                                      SeriesOutcome::DownloadFailed};
    for (int i = 0; i < 3; ++i) {
        const SeriesRecordRow& row = rows.rows[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(row.frame, i + 1);
        EXPECT_EQ(row.pass, i + 1);
        EXPECT_EQ(row.cameraFolder, "/DCIM/100SIMCM");
        EXPECT_EQ(row.cameraName, "IMG_000" + std::to_string(i + 1) + ".JPG");
        EXPECT_EQ(row.outcome, outcomes[i]);
        EXPECT_GE(row.captured, started - std::chrono::seconds(1));
        EXPECT_LE(row.captured, Clock::now());
        if (i > 0) {
            EXPECT_GT(row.captured, rows.rows[i - 1].captured);
        }
    }
    EXPECT_EQ(rows.rows[0].file, "IMG_0001.JPG");
    EXPECT_EQ(rows.rows[0].size, std::filesystem::file_size(w.pictures.file("IMG_0001.JPG")));
    EXPECT_EQ(rows.rows[1].file, "") << "nothing was written";
    ASSERT_TRUE(rows.rows[1].size.has_value()) << "but it was downloaded";
    EXPECT_GT(*rows.rows[1].size, 5000u);
    EXPECT_EQ(rows.rows[2].file, "");
    EXPECT_FALSE(rows.rows[2].size.has_value());

    EXPECT_EQ(occurrences(w.console.text(), "Couldn't write file"), 1);
    EXPECT_EQ(occurrences(w.console.text(), "Could not retieve image:\t-7"), 1);
    EXPECT_EQ(occurrences(w.console.text(), "vantlow-series"), 0) << "the console is as it was";
}

TEST(SeriesRecordRows, CaptureImageOutsideASeriesKeepsNoRecord) {
    SeriesWindow w;
    click(captureButton);
    ASSERT_TRUE(wait_for_camera());
    EXPECT_EQ(occurrences(w.console.text(), "Written file"), 1);
    EXPECT_EQ(newest_series_record(w.pictures.path()), "");
}

TEST(SeriesRecordRows, PicturesLeftOnTheCameraAreRecordedAsNotRetrieved) {
    SeriesWindow w;
    w.settings("0", "0", "2");
    retrieveImageCheck->SetValue(false);
    click(startButton);
    ASSERT_TRUE(series_ended(10000));
    const SeriesRecord rows = read_series_record(newest_series_record(w.pictures.path()));
    ASSERT_EQ(rows.rows.size(), 2u);
    for (const SeriesRecordRow& row : rows.rows) {
        EXPECT_EQ(row.outcome, SeriesOutcome::NotRetrieved);
        EXPECT_EQ(row.file, "");
        EXPECT_FALSE(row.size.has_value());
    }
    EXPECT_EQ(rows.rows[1].cameraName, "IMG_0002.JPG");
}

} // namespace
