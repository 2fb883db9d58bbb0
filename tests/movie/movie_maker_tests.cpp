// SPDX-License-Identifier: GPL-3.0-or-later
// Movies made from folders of pictures and from series records, read back with libavformat and
// libavcodec: their size, rate, frame count, and which picture each frame shows.
#include "movie/movie_reader.h"
#include "movie/movie_samples.h"
#include "support/file_size_limit.h"

#include "movie/make_movie.h"
#include "record/series_record.h"
#include "support/temp_dir.h"

#include "display/jpeg_samples.h"
#include "picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <numeric>
#include <optional>
#include <sstream>
#include <tuple>
#include <unistd.h>

namespace {

const int movieWidth = 320, movieHeight = 180;

// A 4:3 picture in a 16:9 movie: full height, centred, bars left and right.
const int areaX = 40, areaWidth = 240;

class MovieMaker : public testing::Test {
  protected:
    void SetUp() override {
        // EXIF capture times are local times; one zone for the whole test run.
        setenv("TZ", "UTC", 1);
        tzset();
        std::filesystem::create_directory(pictures());
    }

    std::string pictures() const { return work.file("pictures"); }
    std::string picture(const std::string& name) const { return pictures() + "/" + name; }

    MovieResult make(const std::string& source, bool replace = false, int deflicker = 0) {
        MovieRequest request;
        request.source = source;
        request.output = output;
        request.fps = 10;
        request.width = movieWidth;
        request.height = movieHeight;
        request.replace = replace;
        request.deflicker = deflicker;
        progress.clear();
        return make_movie(
            request,
            [this](const MovieProgress& p) {
                std::lock_guard<std::mutex> lock(progressLock);
                progress.push_back(p);
            },
            cancel);
    }

    // The colours each frame shows where a 4:3 picture goes.
    static std::vector<std::vector<double>> frame_colours(const MovieOnDisk& movie) {
        std::vector<std::vector<double>> colours;
        for (const RgbImage& frame : movie.frames)
            colours.push_back(cell_colours(frame, areaX, 0, areaWidth, movieHeight));
        return colours;
    }

    // The colours of the camera's pictures of these frame numbers, decoded whole.
    static std::vector<std::vector<double>> picture_colours(const std::vector<int>& frames,
                                                            int width, int height) {
        std::vector<std::vector<double>> colours;
        for (int frame : frames) {
            std::optional<RgbImage> image = decode_jpeg(camera_picture(frame, width, height));
            colours.push_back(cell_colours(*image, 0, 0, width, height));
        }
        return colours;
    }

    // Each frame must look most like the picture of the same place in `expected`.
    static void expect_order(const MovieOnDisk& movie, const std::vector<int>& expected,
                             int width = 160, int height = 120) {
        ASSERT_EQ(movie.frames.size(), expected.size());
        const auto pictures = picture_colours(expected, width, height);
        const auto frames = frame_colours(movie);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(nearest(frames[i], pictures), int(i))
                << "frame " << i << " should show picture " << expected[i];
            EXPECT_LT(colour_distance(frames[i], pictures[i]), 12.0) << "frame " << i;
        }
    }

    TempDir work;
    std::string output = work.file("movie.mp4");
    std::atomic<bool> cancel{false};
    std::mutex progressLock;
    std::vector<MovieProgress> progress;
};

// Folders ------------------------------------------------------------------------------------

TEST_F(MovieMaker, AFolderBecomesAnH264MovieInCaptureTimeOrder) {
    // Names run against the capture order, and file times agree with neither: EXIF decides.
    const std::vector<int> frames = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int frame : frames) {
        const std::string name = "IMG_" + std::to_string(9000 - frame) + ".JPG";
        char captured[32];
        std::snprintf(captured, sizeof captured, "2024:05:01 10:00:%02d", frame * 5);
        write_file(picture(name), with_exif(camera_picture(frame, 160, 120), 1, captured));
        set_file_time(picture(name), 1700000000 + (frame * 3) % 8);
    }
    const auto before = folder_contents(pictures());

    MovieResult result = make(pictures());
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    EXPECT_EQ(result.frames, 8);
    EXPECT_TRUE(result.damaged.empty() && result.notPictures.empty() && result.missing.empty());

    MovieOnDisk movie = read_movie(output);
    ASSERT_TRUE(movie.opened);
    EXPECT_NE(movie.format.find("mp4"), std::string::npos) << movie.format;
    EXPECT_EQ(movie.codec, "h264");
    EXPECT_EQ(movie.pixelFormat, "yuv420p");
    EXPECT_EQ(movie.colourSpace, "bt470bg") << "JPEG's own colour matrix, and said so";
    EXPECT_EQ(movie.width, movieWidth);
    EXPECT_EQ(movie.height, movieHeight);
    EXPECT_EQ(movie.rateNum, 10);
    EXPECT_EQ(movie.rateDen, 1);
    expect_order(movie, frames);
    EXPECT_EQ(folder_contents(pictures()), before) << "the pictures are only read";
}

TEST_F(MovieMaker, SubsecondsOrderPicturesTakenInTheSameSecond) {
    for (int frame = 1; frame <= 4; ++frame) {
        const std::string name = "burst-" + std::to_string(5 - frame) + ".jpg";
        write_file(picture(name), with_exif(camera_picture(frame, 160, 120), 1,
                                            "2024:05:01 10:00:00", std::to_string(frame * 20)));
    }
    ASSERT_EQ(make(pictures()).outcome, MovieOutcome::Made);
    expect_order(read_movie(output), {1, 2, 3, 4});
}

TEST_F(MovieMaker, WithoutExifFileTimesThenNamesDecide) {
    // c and a share a file time, so their names order them; b is older than both.
    write_camera_picture(picture("c.jpg"), 3, 160, 120);
    write_camera_picture(picture("a.jpg"), 2, 160, 120);
    write_camera_picture(picture("b.jpg"), 1, 160, 120);
    set_file_time(picture("c.jpg"), 1700000100);
    set_file_time(picture("a.jpg"), 1700000100);
    set_file_time(picture("b.jpg"), 1700000000);
    ASSERT_EQ(make(pictures()).outcome, MovieOutcome::Made);
    expect_order(read_movie(output), {1, 2, 3});
}

TEST_F(MovieMaker, ProgressCountsEveryFrameUpToTheTotal) {
    for (int frame = 1; frame <= 6; ++frame)
        write_camera_picture(picture("p" + std::to_string(frame) + ".jpg"), frame, 160, 120);
    ASSERT_EQ(make(pictures()).outcome, MovieOutcome::Made);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().done, 0);
    EXPECT_EQ(progress.back().done, 6);
    EXPECT_EQ(progress.back().total, 6);
    EXPECT_DOUBLE_EQ(progress.back().secondsLeft, 0.0);
    for (std::size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GE(progress[i].done, progress[i - 1].done);
        EXPECT_GE(progress[i].secondsLeft, 0.0) << "known once a frame is done";
    }
}

// The threads of this process, by id, with their nice values.
std::map<std::string, int> threads_nice() {
    std::map<std::string, int> nice;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        // The 19th field; the command name before it is in parentheses and may hold spaces.
        const std::string stat = read_file(task.path().string() + "/stat");
        const std::size_t nameEnd = stat.rfind(')');
        if (nameEnd == std::string::npos)
            continue; // the thread ended after it was listed
        std::istringstream fields(stat.substr(nameEnd + 2));
        std::string field;
        for (int i = 3; i <= 19 && fields >> field; ++i)
            if (i == 19)
                nice[task.path().filename().string()] = std::stoi(field);
    }
    return nice;
}

TEST_F(MovieMaker, DecodersAndEncoderRunAtLowPriority) {
    for (int frame = 1; frame <= 6; ++frame)
        write_camera_picture(picture("p" + std::to_string(frame) + ".jpg"), frame, 160, 120);
    // This thread, and any a sanitizer runs, were there before; the suite may run under nice.
    const std::map<std::string, int> before = threads_nice();
    const int callerPriority = getpriority(PRIO_PROCESS, 0);
    std::map<std::string, int> during;
    MovieRequest request;
    request.source = pictures();
    request.output = output;
    MovieResult result = make_movie(
        request,
        [&](const MovieProgress& p) {
            if (p.done == 3)
                during = threads_nice();
        },
        cancel);
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    int started = 0;
    for (const auto& [thread, nice] : during) {
        if (before.count(thread))
            continue;
        ++started;
        EXPECT_GE(nice, 10) << "thread " << thread;
    }
    // The encoding thread, x264's threads and one decoder a core at least.
    EXPECT_GE(started, 3);
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), callerPriority)
        << "the caller's own priority is left alone";
}

// Sizes and orientations ----------------------------------------------------------------------

// Whether a pixel is the black of the bars (limited-range black comes back as 0 or near it).
bool black(const RgbImage& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    return p[0] < 24 && p[1] < 24 && p[2] < 24;
}

// The columns and rows that are not bar black on the middle row and middle column.
void picture_extent(const RgbImage& image, int* left, int* right, int* top, int* bottom) {
    *left = image.width, *right = -1, *top = image.height, *bottom = -1;
    for (int x = 0; x < image.width; ++x)
        if (!black(image, x, image.height / 2)) {
            *left = std::min(*left, x);
            *right = std::max(*right, x);
        }
    for (int y = 0; y < image.height; ++y)
        if (!black(image, image.width / 2, y)) {
            *top = std::min(*top, y);
            *bottom = std::max(*bottom, y);
        }
}

TEST_F(MovieMaker, MixedSizesAndShapesAreFittedCentredAndNeverStretched) {
    struct Shape {
        int width, height;
    };
    const std::vector<Shape> shapes = {{160, 120}, {90, 160}, {420, 180}, {640, 480}, {181, 121}};
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const std::string name = picture("s" + std::to_string(i) + ".jpg");
        write_camera_picture(name, int(i) + 1, shapes[i].width, shapes[i].height);
        set_file_time(name, 1700000000 + long(i));
    }
    ASSERT_EQ(make(pictures()).outcome, MovieOutcome::Made);
    MovieOnDisk movie = read_movie(output);
    ASSERT_EQ(movie.frames.size(), shapes.size());
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        int left, right, top, bottom;
        picture_extent(movie.frames[i], &left, &right, &top, &bottom);
        const double shown = double(right - left + 1) / double(bottom - top + 1);
        const double stored = double(shapes[i].width) / shapes[i].height;
        EXPECT_NEAR(shown, stored, 0.05 * stored) << "picture " << i << " keeps its shape";
        EXPECT_TRUE(left <= 1 || top <= 1) << "picture " << i << " fills one direction";
        EXPECT_TRUE(right >= movieWidth - 2 || bottom >= movieHeight - 2) << "picture " << i;
        EXPECT_NEAR(left, movieWidth - 1 - right, 2) << "picture " << i << " is centred";
        EXPECT_NEAR(top, movieHeight - 1 - bottom, 2) << "picture " << i << " is centred";
    }
}

// Greys come out as the pictures hold them, whether a picture decodes at the movie's own size
// (its own, or twice it at half scale) or is scaled: the pictures' full range goes into the
// limited range the movie is marked with.
TEST_F(MovieMaker, GreysKeepTheirLevelsScaledOrNot) {
    const std::vector<int> greys = {40, 128, 220};
    std::vector<std::vector<double>> lumas;
    for (int scale : {1, 2, 3}) {
        const std::string dir = picture("scale" + std::to_string(scale));
        std::filesystem::create_directory(dir);
        for (std::size_t i = 0; i < greys.size(); ++i) {
            const std::string name = dir + "/grey-" + std::to_string(i) + ".jpg";
            write_jpeg(name, scale * movieWidth, scale * movieHeight, JpegKind::Rgb,
                       [&](int, int, unsigned char* rgb) {
                           rgb[0] = rgb[1] = rgb[2] = static_cast<unsigned char>(greys[i]);
                       });
            set_file_time(name, 1700000000 + long(i));
        }
        ASSERT_EQ(make(dir, true).outcome, MovieOutcome::Made) << dir;
        lumas.push_back(mean_lumas(read_movie(output).frames));
        ASSERT_EQ(lumas.back().size(), greys.size()) << dir;
    }
    for (std::size_t i = 0; i < greys.size(); ++i) {
        for (std::size_t scale = 0; scale < lumas.size(); ++scale)
            EXPECT_NEAR(lumas[scale][i], greys[i], 1.5)
                << "grey " << greys[i] << ", pictures " << scale + 1 << " times the movie's size";
    }
}

struct Turn {
    int orientation;
    // Where the stored picture's left (red) half ends up.
    enum { Left, Right, Top, Bottom } red;
};

// Cameras write EXIF in either byte order.
class TurnedPictures : public MovieMaker,
                       public testing::WithParamInterface<std::tuple<Turn, ExifOrder>> {};

TEST_P(TurnedPictures, ExifOrientationTurnsThePictureUpright) {
    const auto [turn, order] = GetParam();
    write_halves_picture(picture("turned.jpg"), 200, 100);
    const std::string turned =
        with_exif(read_file(picture("turned.jpg")), turn.orientation, "", "", order);
    ASSERT_NE(turned.find(order == ExifOrder::Motorola ? std::string("MM\0*", 4)
                                                       : std::string("II*\0", 4)),
              std::string::npos);
    write_file(picture("turned.jpg"), turned);
    ASSERT_EQ(make(pictures()).outcome, MovieOutcome::Made);
    MovieOnDisk movie = read_movie(output);
    ASSERT_EQ(movie.frames.size(), 1u);
    const RgbImage& frame = movie.frames[0];
    int left, right, top, bottom;
    picture_extent(frame, &left, &right, &top, &bottom);
    const bool sideways = turn.orientation >= 5;
    // Upright, the picture is 1:2 when it was turned sideways, else 2:1.
    EXPECT_NEAR(double(right - left + 1) / (bottom - top + 1), sideways ? 0.5 : 2.0, 0.1);

    const int midX = (left + right) / 2, midY = (top + bottom) / 2;
    const int quarterX = (right - left) / 4, quarterY = (bottom - top) / 4;
    auto red = [&](int x, int y) { return frame.at(x, y)[0] > frame.at(x, y)[2] + 100; };
    auto blue = [&](int x, int y) { return frame.at(x, y)[2] > frame.at(x, y)[0] + 100; };
    switch (turn.red) {
    case Turn::Left:
        EXPECT_TRUE(red(midX - quarterX, midY) && blue(midX + quarterX, midY));
        break;
    case Turn::Right:
        EXPECT_TRUE(blue(midX - quarterX, midY) && red(midX + quarterX, midY));
        break;
    case Turn::Top:
        EXPECT_TRUE(red(midX, midY - quarterY) && blue(midX, midY + quarterY));
        break;
    case Turn::Bottom:
        EXPECT_TRUE(blue(midX, midY - quarterY) && red(midX, midY + quarterY));
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllEight, TurnedPictures,
    testing::Combine(testing::Values(Turn{1, Turn::Left}, Turn{2, Turn::Right},
                                     Turn{3, Turn::Right}, Turn{4, Turn::Left}, Turn{5, Turn::Top},
                                     Turn{6, Turn::Top}, Turn{7, Turn::Bottom},
                                     Turn{8, Turn::Bottom}),
                     testing::Values(ExifOrder::Intel, ExifOrder::Motorola)),
    [](const testing::TestParamInfo<std::tuple<Turn, ExifOrder>>& info) {
        return "Orientation" + std::to_string(std::get<0>(info.param).orientation) +
               (std::get<1>(info.param) == ExifOrder::Motorola ? "Motorola" : "Intel");
    });

TEST_F(MovieMaker, GreyAndCmykPicturesAreShownToo) {
    write_jpeg(picture("a-grey.jpg"), 160, 120, JpegKind::Grey,
               smooth_picture(160, 120, JpegKind::Grey));
    write_jpeg(picture("b-cmyk.jpg"), 160, 120, JpegKind::Cmyk,
               smooth_picture(160, 120, JpegKind::Cmyk));
    set_file_time(picture("a-grey.jpg"), 1700000000);
    set_file_time(picture("b-cmyk.jpg"), 1700000001);
    MovieResult result = make(pictures());
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    MovieOnDisk movie = read_movie(output);
    ASSERT_EQ(movie.frames.size(), 2u);
    for (const RgbImage& frame : movie.frames) {
        int left, right, top, bottom;
        picture_extent(frame, &left, &right, &top, &bottom);
        EXPECT_NEAR(left, areaX, 2);
        EXPECT_NEAR(right, areaX + areaWidth - 1, 2);
    }
    // Grey stays grey.
    const uint8_t* grey = movie.frames[0].at(areaX + 10, movieHeight / 2);
    EXPECT_NEAR(grey[0], grey[1], 6);
    EXPECT_NEAR(grey[1], grey[2], 6);
}

// The most memory this process held since it was made, above what it held then.
class PeakMemory {
  public:
    PeakMemory() {
        // Brings the high-water mark down to what is held now.
        std::ofstream("/proc/self/clear_refs") << "5";
        start_ = status_kib("VmRSS:");
    }
    double mib() const { return double(status_kib("VmHWM:") - start_) / 1024; }

  private:
    static long status_kib(const std::string& key) {
        std::istringstream status(read_file("/proc/self/status"));
        for (std::string line; std::getline(status, line);)
            if (line.rfind(key, 0) == 0)
                return std::stol(line.substr(key.size()));
        return -1;
    }
    long start_;
};

MovieResult make_at_own_size(const std::string& source, const std::string& output,
                             const std::atomic<bool>& cancel) {
    MovieRequest request;
    request.source = source;
    request.output = output;
    request.width = request.height = 0;
    return make_movie(request, nullptr, cancel);
}

TEST_F(MovieMaker, ThePicturesOwnSizeIsThatOfTheFirstPictureThatDecodesUprightRoundedToEven) {
    // In capture order: a header claiming 65500 x 65500 over a small picture's data, a picture
    // cut short, then good pictures of 161 x 121, the first of them turned.
    write_file(picture("a.jpg"), with_claimed_size(camera_picture(1, 160, 120), 65500, 65500));
    write_camera_picture(picture("b.jpg"), 2, 240, 180);
    truncate_file(picture("b.jpg"), 0.5);
    write_file(picture("c.jpg"), with_exif(camera_picture(3, 161, 121), 6));
    write_camera_picture(picture("d.jpg"), 4, 161, 121);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        set_file_time(picture(name), 1700000000 + name[0]);

    const PeakMemory memory;
    MovieResult result = make_at_own_size(pictures(), output, cancel);
    // Decoding the claimed size even at an eighth would take some 100 MiB.
    EXPECT_LT(memory.mib(), 40.0) << "the claimed size is refused before decoding";
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    EXPECT_EQ(result.oversized, std::vector<std::string>{picture("a.jpg")});
    EXPECT_EQ(result.damaged, std::vector<std::string>{picture("b.jpg")});
    EXPECT_EQ(result.frames, 2);
    EXPECT_EQ(result.width, 120);
    EXPECT_EQ(result.height, 160);
    MovieOnDisk movie = read_movie(output);
    EXPECT_EQ(movie.frames.size(), 2u);
    EXPECT_EQ(movie.width, 120);
    EXPECT_EQ(movie.height, 160);
    EXPECT_EQ(movie.rateNum, 25) << "the default frame rate";
}

TEST_F(MovieMaker, CameraPicturesKeepTheirOwnSizeAndASizeTheEncoderRefusesIsSaidSo) {
    write_camera_picture(picture("big.jpg"), 1, 6000, 4000);
    MovieResult result = make_at_own_size(pictures(), output, cancel);
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    MovieOnDisk movie = read_movie(output);
    EXPECT_EQ(movie.width, 6000);
    EXPECT_EQ(movie.height, 4000);
    EXPECT_EQ(movie.frames.size(), 1u);
    std::filesystem::remove(output);

    // Within the sides allowed, but too many pixels for libavcodec.
    MovieRequest request;
    request.source = pictures();
    request.output = output;
    request.width = request.height = 16384;
    result = make_movie(request, nullptr, cancel);
    EXPECT_EQ(result.outcome, MovieOutcome::Failed);
    EXPECT_EQ(result.error, "The H.264 encoder cannot make a movie of 16384 x 16384 pixels; "
                            "choose a smaller size, such as 1920 x 1080.");
    EXPECT_EQ(folder_contents(work.path()).size(), 1u) << "no partial movie is left behind";

    request.width = 1920;
    request.height = 1080;
    result = make_movie(request, nullptr, cancel);
    EXPECT_EQ(result.outcome, MovieOutcome::Made) << "the size suggested: " << result.error;
}

// Series records ------------------------------------------------------------------------------

std::chrono::system_clock::time_point at(int second) {
    return std::chrono::system_clock::from_time_t(1714557600 + second);
}

TEST_F(MovieMaker, ARecordGivesItsPicturesInCaptureOrderAndPassesOverFailures) {
    // The camera's counter wrapped: name order is not capture order.
    const std::vector<std::string> names = {"IMG_9998.JPG", "IMG_9999.JPG", "IMG_0001.JPG",
                                            "IMG_0002.JPG"};
    const std::string record = series_record_begin(pictures(), 1714557600, [](auto&) {});
    ASSERT_FALSE(record.empty());
    int frame = 0;
    for (const std::string& name : names) {
        ++frame;
        write_camera_picture(picture(name), frame, 160, 120);
        SeriesRecordRow row;
        row.frame = frame;
        row.pass = frame;
        row.captured = at(frame);
        row.file = picture(name);
        row.cameraFolder = "/DCIM/100SIMCM";
        row.cameraName = name;
        row.size = read_file(picture(name)).size();
        series_record_add(row);
        if (frame == 2) {
            // Failed pictures have rows too, but nothing to show.
            row.file.clear();
            row.size.reset();
            row.outcome = SeriesOutcome::DownloadFailed;
            series_record_add(row);
            row.outcome = SeriesOutcome::NotRetrieved;
            series_record_add(row);
        }
    }
    series_record_end();
    // A picture in the folder that the record does not name stays out of the movie.
    write_camera_picture(picture("IMG_0000.JPG"), 9, 160, 120);

    MovieResult result = make(record);
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    expect_order(read_movie(output), {1, 2, 3, 4});
}

TEST_F(MovieMaker, PicturesMovedOrDeletedSinceTheSeriesAreNamed) {
    const std::string record = series_record_begin(pictures(), 1714557600, [](auto&) {});
    for (int frame = 1; frame <= 5; ++frame) {
        const std::string name = "IMG_000" + std::to_string(frame) + ".JPG";
        write_camera_picture(picture(name), frame, 160, 120);
        SeriesRecordRow row;
        row.frame = row.pass = frame;
        row.captured = at(frame);
        row.file = picture(name);
        series_record_add(row);
    }
    series_record_end();
    std::filesystem::remove(picture("IMG_0002.JPG"));
    std::filesystem::rename(picture("IMG_0004.JPG"), work.file("IMG_0004.JPG"));

    MovieResult result = make(record);
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    EXPECT_EQ(result.missing,
              (std::vector<std::string>{picture("IMG_0002.JPG"), picture("IMG_0004.JPG")}));
    expect_order(read_movie(output), {1, 3, 5});
}

TEST_F(MovieMaker, ARecordWhosePicturesAreAllGoneMakesNoMovieAndSaysWhy) {
    const std::string record = series_record_begin(pictures(), 1714557600, [](auto&) {});
    SeriesRecordRow row;
    row.frame = row.pass = 1;
    row.captured = at(1);
    row.file = picture("IMG_0001.JPG");
    series_record_add(row);
    series_record_end();

    MovieResult result = make(record);
    EXPECT_EQ(result.outcome, MovieOutcome::Failed);
    EXPECT_NE(result.error.find("moved or deleted"), std::string::npos) << result.error;
    EXPECT_EQ(result.missing, std::vector<std::string>{picture("IMG_0001.JPG")});
    EXPECT_FALSE(file_exists(output));
}

TEST_F(MovieMaker, AFileThatIsNoRecordIsRefused) {
    write_file(work.file("notes.csv"), "a,b,c\r\n1,2,3\r\n");
    MovieResult result = make(work.file("notes.csv"));
    EXPECT_EQ(result.outcome, MovieOutcome::Failed);
    EXPECT_NE(result.error.find("is not a Vantlow series record"), std::string::npos)
        << result.error;
    EXPECT_FALSE(file_exists(output));
}

// Bad input ----------------------------------------------------------------------------------

TEST_F(MovieMaker, NoPicturesAtAllMakesNoMovie) {
    MovieResult result = make(pictures());
    EXPECT_EQ(result.outcome, MovieOutcome::Failed);
    EXPECT_EQ(result.error, "There are no pictures to make a movie of in " + pictures() + ".");
    EXPECT_FALSE(file_exists(output));
    EXPECT_TRUE(folder_contents(work.path()).size() == 1) << "only the empty pictures folder";

    EXPECT_EQ(make(work.file("nowhere")).outcome, MovieOutcome::Failed);
}

TEST_F(MovieMaker, FilesThatAreNoPicturesAreLeftOutAndNamed) {
    write_file(picture("notes.txt"), "not a picture");
    simcam::PictureKind rawFile;
    rawFile.raw = true;
    rawFile.raw_size = 5000;
    write_file(picture("IMG_0002.CR2"), simcam::make_picture(2, rawFile));
    write_file(picture(".IMG_0003.JPG.part-1-1"), "being written");
    for (int frame = 1; frame <= 3; ++frame) {
        write_camera_picture(picture("p" + std::to_string(frame) + ".jpg"), frame, 160, 120);
        set_file_time(picture("p" + std::to_string(frame) + ".jpg"), 1700000000 + frame);
    }
    const auto before = folder_contents(pictures());
    MovieResult result = make(pictures());
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    EXPECT_EQ(result.notPictures,
              (std::vector<std::string>{picture("IMG_0002.CR2"), picture("notes.txt")}));
    expect_order(read_movie(output), {1, 2, 3});

    std::filesystem::create_directory(work.file("only"));
    write_file(work.file("only/notes.txt"), "not a picture");
    result = make(work.file("only"));
    EXPECT_EQ(result.outcome, MovieOutcome::Failed);
    EXPECT_EQ(result.error,
              "There are no pictures to make a movie of in " + work.file("only") + ".");
    EXPECT_EQ(result.notPictures, std::vector<std::string>{work.file("only/notes.txt")});
    EXPECT_EQ(folder_contents(pictures()), before);
}

TEST_F(MovieMaker, DamagedAndTruncatedPicturesAreSkippedCountedAndNamed) {
    for (int frame = 1; frame <= 6; ++frame) {
        write_camera_picture(picture("p" + std::to_string(frame) + ".jpg"), frame, 160, 120);
        set_file_time(picture("p" + std::to_string(frame) + ".jpg"), 1700000000 + frame);
    }
    // Cut short as by a full card; scan data overwritten; a header with nothing after it.
    truncate_file(picture("p2.jpg"), 0.5);
    std::string scrambled = read_file(picture("p4.jpg"));
    for (std::size_t i = scrambled.size() / 2; i < scrambled.size() / 2 + 300; ++i)
        scrambled[i] = char(0xff);
    write_file(picture("p4.jpg"), scrambled);
    write_file(picture("p5.jpg"), read_file(picture("p5.jpg")).substr(0, 40));
    const auto before = folder_contents(pictures());

    MovieResult result = make(pictures());
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    std::vector<std::string> damaged = result.damaged;
    std::sort(damaged.begin(), damaged.end());
    EXPECT_EQ(damaged,
              (std::vector<std::string>{picture("p2.jpg"), picture("p4.jpg"), picture("p5.jpg")}));
    expect_order(read_movie(output), {1, 3, 6});
    EXPECT_EQ(progress.back().total, 3) << "the total shrinks as damage is found";
    EXPECT_EQ(progress.back().done, 3);
    EXPECT_EQ(folder_contents(pictures()), before) << "damaged pictures are left as they are";
}

TEST_F(MovieMaker, AnExistingFileIsNeverReplacedUnlessAsked) {
    write_camera_picture(picture("p1.jpg"), 1, 160, 120);
    write_file(output, "an earlier movie");
    MovieResult result = make(pictures());
    EXPECT_EQ(result.outcome, MovieOutcome::OutputExists);
    EXPECT_EQ(result.error, output + " already exists and was not replaced.");
    EXPECT_EQ(read_file(output), "an earlier movie");
    EXPECT_EQ(folder_contents(work.path()).size(), 2u) << "no partial movie is left behind";

    result = make(pictures(), true);
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    EXPECT_EQ(read_movie(output).frames.size(), 1u);
    EXPECT_EQ(folder_contents(work.path()).size(), 2u);
}

TEST_F(MovieMaker, APictureOrTheRecordIsNeverTheOutputEvenWhenReplacing) {
    write_camera_picture(picture("p1.jpg"), 1, 160, 120);
    const auto before = folder_contents(pictures());
    output = picture("p1.jpg");
    MovieResult result = make(pictures(), true);
    EXPECT_EQ(result.outcome, MovieOutcome::Failed);
    EXPECT_NE(result.error.find("only ever read"), std::string::npos) << result.error;

    const std::string record = series_record_begin(pictures(), 1714557600, [](auto&) {});
    SeriesRecordRow row;
    row.file = picture("p1.jpg");
    series_record_add(row);
    series_record_end();
    const auto withRecord = folder_contents(pictures());
    output = record;
    EXPECT_EQ(make(record, true).outcome, MovieOutcome::Failed);
    EXPECT_EQ(folder_contents(pictures()), withRecord);
    EXPECT_EQ(withRecord.size(), before.size() + 1);
}

TEST_F(MovieMaker, AnUnwritableFolderIsReportedBeforeAnyWork) {
    write_camera_picture(picture("p1.jpg"), 1, 160, 120);
    std::string folder = work.file("locked");
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    // The superuser writes anywhere but into a read-only system folder.
    if (access(folder.c_str(), W_OK) == 0)
        folder = "/sys";
    output = folder + "/movie.mp4";
    MovieResult result = make(pictures());
    EXPECT_EQ(result.outcome, MovieOutcome::Failed);
    EXPECT_EQ(result.error.find("Cannot write the movie into the folder " + folder + " ("), 0u)
        << result.error;
    EXPECT_TRUE(progress.empty()) << "nothing was decoded";
    EXPECT_FALSE(file_exists(output));

    output = work.file("gone/movie.mp4");
    result = make(pictures());
    EXPECT_NE(result.error.find("No such file or directory"), std::string::npos) << result.error;
}

TEST_F(MovieMaker, AFullDiskRemovesThePartialMovieAndSaysSo) {
    for (int frame = 1; frame <= 20; ++frame)
        write_camera_picture(picture("p" + std::to_string(frame) + ".jpg"), frame, 160, 120);
    MovieResult result;
    {
        FileSizeLimit full(6000);
        result = make(pictures());
    }

    EXPECT_EQ(result.outcome, MovieOutcome::Failed);
    EXPECT_EQ(result.error.find("The disk is full: " + output + " could not be written"), 0u)
        << result.error;
    EXPECT_NE(result.error.find("The partial movie was removed."), std::string::npos);
    EXPECT_EQ(folder_contents(work.path()).size(), 1u) << "no partial movie is left behind";
}

TEST_F(MovieMaker, CancellingStopsSoonAndRemovesThePartialMovie) {
    for (int frame = 1; frame <= 40; ++frame)
        write_camera_picture(picture("p" + std::to_string(frame) + ".jpg"), frame, 160, 120);
    MovieRequest request;
    request.source = pictures();
    request.output = output;
    int reports = 0;
    MovieResult result = make_movie(
        request,
        [&](const MovieProgress& p) {
            ++reports;
            if (p.done == 3)
                cancel = true;
        },
        cancel);
    EXPECT_EQ(result.outcome, MovieOutcome::Cancelled);
    EXPECT_LT(reports, 10) << "no frame is encoded once the run is cancelled";
    EXPECT_FALSE(file_exists(output));
    EXPECT_EQ(folder_contents(work.path()).size(), 1u) << "no partial movie is left behind";
}

TEST_F(MovieMaker, ASizeOrRateOutOfRangeIsRefused) {
    write_camera_picture(picture("p1.jpg"), 1, 160, 120);
    MovieRequest request;
    request.source = pictures();
    request.output = output;
    request.width = 321;
    MovieResult result = make_movie(request, nullptr, cancel);
    EXPECT_EQ(result.outcome, MovieOutcome::Failed);
    EXPECT_NE(result.error.find("even"), std::string::npos) << result.error;
    request.width = 320;
    request.fps = 0;
    EXPECT_EQ(make_movie(request, nullptr, cancel).outcome, MovieOutcome::Failed);
    request.fps = 25;
    for (int frames : {-1, maxDeflickerFrames + 1}) {
        request.deflicker = frames;
        result = make_movie(request, nullptr, cancel);
        EXPECT_EQ(result.outcome, MovieOutcome::Failed);
        EXPECT_EQ(result.error, "The deflicker window must be a whole number of frames from 0 to " +
                                    std::to_string(maxDeflickerFrames) + ", not " +
                                    std::to_string(frames) + ".");
    }
    EXPECT_FALSE(file_exists(output));
}

// Deflickering -------------------------------------------------------------------------------

// The log2 of each frame's mean luma: its brightness in EV.
std::vector<double> movie_evs(const std::string& path) {
    std::vector<double> evs;
    for (double luma : mean_lumas(read_movie(path).frames))
        evs.push_back(std::log2(luma));
    return evs;
}

// A folder without a record, a picture in it that cannot be decoded: the frames around it are
// evened out without it.
TEST_F(MovieMaker, DeflickeringMakesAFlickeringSceneFlat) {
    const std::vector<std::string> paths =
        write_lit_series(pictures(), 480, 270, random_flicker(40, 0.3, 21));
    truncate_file(paths[20], 0.3);

    MovieResult result = make(pictures());
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    const std::vector<double> plain = mean_lumas(read_movie(output).frames);
    result = make(pictures(), true, defaultDeflickerFrames);
    ASSERT_EQ(result.outcome, MovieOutcome::Made) << result.error;
    EXPECT_EQ(result.damaged, std::vector<std::string>{paths[20]});
    const std::vector<double> evened = mean_lumas(read_movie(output).frames);
    ASSERT_EQ(evened.size(), 39u);
    ASSERT_EQ(plain.size(), 39u);

    EXPECT_GT(jitter(plain), 10.0) << "the pictures flicker";
    EXPECT_LT(jitter(evened), jitter(plain) / 5);
    // Brought to the scene's own level, not to some other.
    const std::vector<double> plainLevel = centred_log_means(plain, 19);
    const std::vector<double> evenedLevel = centred_log_means(evened, 19);
    EXPECT_LT(largest_difference(plainLevel, evenedLevel), 0.03);
}

TEST_F(MovieMaker, DeflickeringKeepsASlowRampOfLight) {
    const int count = 45, half = 7;
    write_lit_series(pictures(), 480, 270, ramp_with(-0.5, 0.5, random_flicker(count, 0.3, 7)));

    ASSERT_EQ(make(pictures()).outcome, MovieOutcome::Made);
    const std::vector<double> plain = movie_evs(output);
    ASSERT_EQ(make(pictures(), true, 2 * half + 1).outcome, MovieOutcome::Made);
    const std::vector<double> evened = movie_evs(output);
    ASSERT_EQ(plain.size(), std::size_t(count));
    ASSERT_EQ(evened.size(), std::size_t(count));

    // Away from the ends each frame sits on the light's own course: the mean over its window.
    std::vector<double> course, middle;
    for (int i = half; i < count - half; ++i) {
        course.push_back(std::accumulate(&plain[i - half], &plain[i + half + 1], 0.0) /
                         (2 * half + 1));
        middle.push_back(evened[i]);
    }
    EXPECT_LT(largest_difference(course, middle), 0.03);
    EXPECT_LT(jitter(evened), jitter(plain) / 5);
    // And the climb stays: 1 EV over the whole series, less the half windows at the ends.
    EXPECT_NEAR(middle.back() - middle.front(), double(count - 1 - 2 * half) / (count - 1), 0.15);
}

// Default names ------------------------------------------------------------------------------

TEST_F(MovieMaker, TheDefaultMovieNameIsBesideTheSourceAndNamesNoExistingFile) {
    const std::string record = pictures() + "/vantlow-series-20240501-100000.csv";
    EXPECT_EQ(default_movie_path(record), pictures() + "/vantlow-series-20240501-100000.mp4");
    write_file(pictures() + "/vantlow-series-20240501-100000.mp4", "");
    write_file(pictures() + "/vantlow-series-20240501-100000-1.mp4", "");
    EXPECT_EQ(default_movie_path(record), pictures() + "/vantlow-series-20240501-100000-2.mp4");
    EXPECT_EQ(default_movie_path(pictures()), work.file("pictures.mp4"));
    EXPECT_EQ(default_movie_path(pictures() + "/"), work.file("pictures.mp4"));
}

} // namespace
