// SPDX-License-Identifier: GPL-3.0-or-later
// The series record: its name, its rows as a spreadsheet or the movie maker reads them, and how
// it behaves when it cannot be written.
#include "record/series_record.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <unistd.h>

namespace {

// 2024-05-01 10:00:00 UTC.
const std::time_t seriesStart = 1714557600;

class SeriesRecordFile : public testing::Test {
  protected:
    explicit SeriesRecordFile(const char* tz = "UTC0") : zone(tz) {}
    void TearDown() override { series_record_end(); }

    std::string begin(const std::string& dir) {
        return series_record_begin(dir, seriesStart,
                                   [this](const std::string& line) { reports.push_back(line); });
    }

    static SeriesRecordRow row(int frame, const std::string& file) {
        SeriesRecordRow r;
        r.frame = frame;
        r.pass = (frame + 1) / 2;
        r.captured = std::chrono::system_clock::from_time_t(seriesStart + frame) +
                     std::chrono::milliseconds(frame * 7);
        r.file = file;
        r.cameraFolder = "/DCIM/100SIMCM";
        r.cameraName = "IMG_000" + std::to_string(frame) + ".JPG";
        r.size = 1000u + unsigned(frame);
        return r;
    }

    TimeZone zone;
    TempDir work;
    std::vector<std::string> reports;
};

// The name carries the local start time, the rows UTC times whatever the zone: in a zone far
// from UTC, local time marked "Z" would be hours out.
struct Zone {
    const char* name;
    const char* tz;
    const char* recordName; // of a series begun at seriesStart
};

class SeriesRecordInZone : public SeriesRecordFile, public testing::WithParamInterface<Zone> {
  protected:
    SeriesRecordInZone() : SeriesRecordFile(GetParam().tz) {}
};

TEST_P(SeriesRecordInZone, IsNamedAfterTheLocalStartAndHasAHeaderRow) {
    const std::string path = begin(work.path());
    EXPECT_EQ(path, work.file(GetParam().recordName));
    EXPECT_EQ(read_file(path), "frame,pass,time,file,camera_folder,camera_name,size,outcome\r\n");
    EXPECT_TRUE(is_series_record_name(GetParam().recordName));
    EXPECT_TRUE(reports.empty());
}

TEST_P(SeriesRecordInZone, RowsAreQuotedAsRfc4180AndReadBackAsWritten) {
    const std::string path = begin(work.path());
    std::vector<SeriesRecordRow> rows;
    rows.push_back(row(1, work.file("IMG_0001.JPG")));
    rows.push_back(row(2, work.file("sky, \"evening\".jpg")));
    rows.back().cameraName = "sky, \"evening\".jpg";
    rows.back().cameraFolder = "/store_00010001/DCIM/a,b";
    rows.push_back(row(3, ""));
    rows.back().size.reset();
    rows.back().outcome = SeriesOutcome::NotRetrieved;
    rows.push_back(row(4, ""));
    rows.back().size.reset();
    rows.back().outcome = SeriesOutcome::DownloadFailed;
    rows.push_back(row(5, ""));
    rows.back().outcome = SeriesOutcome::WriteFailed;
    rows.push_back(row(6, "/elsewhere/IMG_0006.JPG"));
    for (const SeriesRecordRow& r : rows)
        series_record_add(r);
    series_record_end();

    const std::string text = read_file(path);
    EXPECT_NE(text.find("\r\n1,1,2024-05-01T10:00:01.007Z,IMG_0001.JPG,/DCIM/100SIMCM,"
                        "IMG_0001.JPG,1001,written\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(",\"sky, \"\"evening\"\".jpg\",\"/store_00010001/DCIM/a,b\","
                        "\"sky, \"\"evening\"\".jpg\",1002,written\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(",,/DCIM/100SIMCM,IMG_0003.JPG,,not retrieved\r\n"), std::string::npos);

    SeriesRecord read = read_series_record(path);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.unreadableRows, 0);
    ASSERT_EQ(read.rows.size(), rows.size());
    const std::vector<std::string> stored = {
        "IMG_0001.JPG", "sky, \"evening\".jpg", "", "", "", "/elsewhere/IMG_0006.JPG"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(read.rows[i].frame, rows[i].frame);
        EXPECT_EQ(read.rows[i].pass, rows[i].pass);
        EXPECT_EQ(read.rows[i].captured, rows[i].captured) << "to the millisecond";
        EXPECT_EQ(read.rows[i].file, stored[i]) << "relative in the record's folder only";
        EXPECT_EQ(read.rows[i].cameraFolder, rows[i].cameraFolder);
        EXPECT_EQ(read.rows[i].cameraName, rows[i].cameraName);
        EXPECT_EQ(read.rows[i].size, rows[i].size);
        EXPECT_EQ(read.rows[i].outcome, rows[i].outcome);
    }
}

INSTANTIATE_TEST_SUITE_P(
    UtcAndFarFromIt, SeriesRecordInZone,
    testing::Values(Zone{"Utc", "UTC0", "vantlow-series-20240501-100000.csv"},
                    Zone{"SaoPaulo", saoPauloZone, "vantlow-series-20240501-070000.csv"},
                    Zone{"Kolkata", kolkataZone, "vantlow-series-20240501-153000.csv"}),
    [](const testing::TestParamInfo<Zone>& info) { return std::string(info.param.name); });

TEST_F(SeriesRecordFile, EachRowIsInTheFileAsSoonAsItIsAdded) {
    const std::string path = begin(work.path());
    for (int frame = 1; frame <= 3; ++frame) {
        series_record_add(row(frame, work.file("IMG_000" + std::to_string(frame) + ".JPG")));
        // Read by another handle while the record is still open, as after a crash.
        EXPECT_EQ(read_series_record(path).rows.size(), std::size_t(frame));
    }
}

TEST_F(SeriesRecordFile, AnotherSeriesInTheSameSecondGetsANameOfItsOwn) {
    write_file(work.file("vantlow-series-20240501-100000.csv"), "someone's notes");
    const std::string path = begin(work.path());
    EXPECT_EQ(path, work.file("vantlow-series-20240501-100000-1.csv"));
    EXPECT_EQ(read_file(work.file("vantlow-series-20240501-100000.csv")), "someone's notes");
    EXPECT_EQ(newest_series_record(work.path()), path);
}

TEST_F(SeriesRecordFile, AnUnwritableFolderIsReportedOnceAndTheSeriesGoesOn) {
    const std::string gone = work.file("gone");
    EXPECT_EQ(begin(gone), "");
    for (int frame = 1; frame <= 3; ++frame)
        series_record_add(row(frame, gone + "/IMG_0001.JPG"));
    series_record_end();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "The series record " + gone +
                              "/vantlow-series-20240501-100000.csv cannot be written (No such "
                              "file or directory); the series goes on without it.");
    EXPECT_FALSE(std::filesystem::exists(gone));
}

TEST_F(SeriesRecordFile, AFullDiskIsReportedOnceAndLeavesOnlyWholeRows) {
    const std::string path = begin(work.path());
    {
        FileSizeLimit full(300);
        for (int frame = 1; frame <= 10; ++frame)
            series_record_add(row(frame, work.file("IMG_000" + std::to_string(frame) + ".JPG")));
    }
    series_record_add(row(11, work.file("IMG_0011.JPG")));

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("File too large"), std::string::npos) << reports[0];
    SeriesRecord read = read_series_record(path);
    EXPECT_GE(read.rows.size(), 2u);
    EXPECT_LT(read.rows.size(), 10u);
    EXPECT_LE(read.unreadableRows, 1) << "at most the row the disk cut short";
    EXPECT_EQ(read.rows.back().frame, int(read.rows.size()))
        << "no row follows the one that failed";
}

TEST_F(SeriesRecordFile, ARowCutShortIsCountedAndTheRestReadAsUsual) {
    const std::string path = work.file("vantlow-series-20240501-100000.csv");
    write_file(path, "frame,pass,time,file,camera_folder,camera_name,size,outcome\n"
                     "1,1,2024-05-01T10:00:01.000Z,a.jpg,/d,a.jpg,10,written\n"
                     "2,1,2024-05-01T10:00:02.000Z,b.jpg,/d,b.jpg,10,written\n"
                     "3,2,2024-05-01T10:00:0");
    SeriesRecord read = read_series_record(path);
    EXPECT_EQ(read.rows.size(), 2u) << "lines may end in LF alone";
    EXPECT_EQ(read.unreadableRows, 1);

    write_file(path, "time,file\r\n");
    EXPECT_EQ(read_series_record(path).error, path + " is not a Vantlow series record.");
    EXPECT_NE(read_series_record(work.file("none.csv")).error, "");
}

// Columns that options add are named in the header and found by name: a pass's own fields,
// a row's own, and a record laid out otherwise or with columns of a later version.
TEST_F(SeriesRecordFile, NamedColumnsAreWrittenWhenInUseAndReadByName) {
    const std::string path =
        series_record_begin(work.path(), seriesStart, [](const std::string&) {},
                            {record_column::scheduled, record_column::latenessMs});
    series_record_pass_fields(1, {{record_column::scheduled, "2024-05-01T10:00:01.000Z"},
                                  {record_column::latenessMs, "12"}});
    series_record_add(row(1, work.file("IMG_0001.JPG")));
    SeriesRecordRow missed;
    missed.pass = 2;
    missed.captured = std::chrono::system_clock::from_time_t(seriesStart + 11);
    missed.outcome = SeriesOutcome::Missed;
    missed.extra = {{record_column::scheduled, "2024-05-01T10:00:11.000Z"}};
    series_record_add(missed);
    series_record_end();
    EXPECT_EQ(
        read_file(path),
        "frame,pass,time,file,camera_folder,camera_name,size,outcome,scheduled,lateness_ms\r\n"
        "1,1,2024-05-01T10:00:01.007Z,IMG_0001.JPG,/DCIM/100SIMCM,IMG_0001.JPG,1001,written,"
        "2024-05-01T10:00:01.000Z,12\r\n"
        "0,2,2024-05-01T10:00:11.000Z,,,,,missed,2024-05-01T10:00:11.000Z,\r\n");
    SeriesRecord read = read_series_record(path);
    ASSERT_EQ(read.rows.size(), 2u);
    ASSERT_TRUE(read.rows[0].field(record_column::latenessMs));
    EXPECT_EQ(*read.rows[0].field(record_column::latenessMs), "12");
    EXPECT_EQ(read.rows[1].outcome, SeriesOutcome::Missed);
    EXPECT_EQ(read.rows[1].field(record_column::latenessMs), nullptr) << "empty is absent";

    write_file(path, "outcome,brightness,frame,file,pass,time,camera_name,size,camera_folder,"
                     "lateness_ms\r\n"
                     "written,0.4,7,a.jpg,3,2024-05-01T10:00:01.000Z,A.JPG,10,/d,250\r\n");
    read = read_series_record(path);
    EXPECT_EQ(read.error, "");
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0].frame, 7);
    EXPECT_EQ(read.rows[0].pass, 3);
    EXPECT_EQ(read.rows[0].file, "a.jpg");
    EXPECT_EQ(read.rows[0].cameraName, "A.JPG");
    EXPECT_EQ(read.rows[0].size, 10u);
    ASSERT_EQ(read.rows[0].extra.size(), 1u) << "a column it does not know is passed over";
    EXPECT_EQ(read.rows[0].extra[0].column, record_column::latenessMs);
    EXPECT_EQ(read.rows[0].extra[0].value, "250");
}

// Only a setting the exposure was taken with shows that it followed the light, wherever the
// header puts its column; a record from before those columns reads as it always did.
TEST_F(SeriesRecordFile, AnExposureSettingInARowShowsTheExposureFollowedTheLight) {
    const std::string usual = "frame,pass,time,file,camera_folder,camera_name,size,outcome";
    const std::string row1 = "1,1,2024-05-01T10:00:01.000Z,a.jpg,/d,A.JPG,10,written";
    const std::string row2 = "2,2,2024-05-01T10:00:11.000Z,b.jpg,/d,B.JPG,10,written";
    struct Case {
        const char* what;
        std::string text;
        bool followed;
    };
    const std::vector<Case> cases = {
        {"before the columns", usual + "\r\n" + row1 + "\r\n" + row2 + "\r\n", false},
        {"columns left empty",
         usual + ",shutter_s,aperture,iso,brightness_ev\r\n" + row1 + ",,,,\r\n" + row2 +
             ",,,,\r\n",
         false},
        {"a brightness alone",
         usual + ",shutter_s,aperture,iso,brightness_ev\r\n" + row1 + ",,,,-0.3\r\n" + row2 +
             ",,,,0.1\r\n",
         false},
        {"a shutter time in the second row",
         usual + ",shutter_s,aperture,iso,brightness_ev\r\n" + row1 + ",,,,\r\n" + row2 +
             ",0.004,,,\r\n",
         true},
        {"an aperture among columns laid out otherwise",
         "brightness_ev,aperture,later," + usual + "\r\n,5.6,x," + row1 + "\r\n", true},
        {"an ISO without the other columns", usual + ",iso\r\n" + row1 + ",400\r\n", true},
    };
    const std::string path = work.file("vantlow-series-20240501-100000.csv");
    for (const Case& c : cases) {
        write_file(path, c.text);
        const SeriesRecord read = read_series_record(path);
        EXPECT_EQ(read.error, "") << c.what;
        EXPECT_EQ(read.unreadableRows, 0) << c.what;
        ASSERT_EQ(read.rows.size(), std::size_t(std::count(c.text.begin(), c.text.end(), '\n') - 1))
            << c.what;
        EXPECT_EQ(read.rows[0].file, "a.jpg") << c.what;
        EXPECT_EQ(exposure_followed_light(read), c.followed) << c.what;
    }
}

TEST_F(SeriesRecordFile, TheNewestRecordIsTheLatestStart) {
    EXPECT_EQ(newest_series_record(work.path()), "");
    for (const char* name :
         {"vantlow-series-20240501-100000.csv", "vantlow-series-20240501-100000-2.csv",
          "vantlow-series-20240430-235959.csv", "vantlow-series-20991231-000000.csv.bak",
          "vantlow-series-2024-05-01.csv", "notes.csv"})
        write_file(work.file(name), "");
    std::filesystem::create_directory(work.file("vantlow-series-20991231-000000.csv"));
    EXPECT_EQ(newest_series_record(work.path()), work.file("vantlow-series-20240501-100000-2.csv"));
    EXPECT_FALSE(is_series_record_name("vantlow-series-20240501-100000-.csv"));
    EXPECT_FALSE(is_series_record_name("vantlow-series-20240501-100000-99999999999.csv"));
}

} // namespace
