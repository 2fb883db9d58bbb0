// SPDX-License-Identifier: GPL-3.0-or-later
// Downloaded pictures are never lost, overwritten or left half-written.
#include "capture_fixture.h"
#include "support/file_size_limit.h"

#include "app/series_page.h"
#include "camera/settings_page.h"
#include "capture/picture_file.h"
#include "display/display.h"

#include <cstring>
#include <filesystem>

namespace {

class SameNameEveryTime : public CapturePass {
  protected:
    SameNameEveryTime() : CapturePass("capture-folder /\ncapture-fixed capt0000.jpg") {}
};

TEST_F(SameNameEveryTime, ARepeatedNameGetsTheNextFreeNumber) {
    deleteImageCheck->SetValue(false);
    std::vector<std::string> pictures;
    for (int pass = 0; pass < 3; ++pass) {
        std::string out = press_capture();
        pictures.push_back(camera_file("/", "capt0000.jpg"));
        std::string expected =
            pass == 0 ? "capt0000.jpg" : "capt0000-" + std::to_string(pass) + ".jpg";
        EXPECT_NE(out.find("Written file " + work.file(expected) + "\n"), std::string::npos) << out;
        EXPECT_EQ(status(), "Written file " + work.file(expected));
    }
    EXPECT_EQ(files(),
              (std::vector<std::string>{"capt0000-1.jpg", "capt0000-2.jpg", "capt0000.jpg"}));
    EXPECT_EQ(read_file(work.file("capt0000.jpg")), pictures[0]);
    EXPECT_EQ(read_file(work.file("capt0000-1.jpg")), pictures[1]);
    EXPECT_EQ(read_file(work.file("capt0000-2.jpg")), pictures[2]);
    EXPECT_NE(pictures[0], pictures[1]) << "each capture is a new picture";
}

class PicturesOnDisk : public CapturePass {};

TEST_F(PicturesOnDisk, AnUnwritableFolderLeavesThePictureOnTheCamera) {
    std::string gone = work.file("gone");
    use_directory(work.path());
    directoryPicker->SetPath(gone);
    std::string problem =
        "Couldn't write file " + gone + "/IMG_0001.JPG - check path/permissions/disk space.";
    std::string out = press_capture();
    EXPECT_EQ(out.substr(out.find("Couldn't")), problem + "\n\n");
    EXPECT_EQ(status(), problem);
    EXPECT_EQ(camera.count("file_delete"), 0);
    EXPECT_FALSE(previewBitmap.IsOk());
}

TEST_F(PicturesOnDisk, AFullDiskLeavesNoPartialFileAndThePictureOnTheCamera) {
    std::string out;
    {
        FileSizeLimit full(20000);
        out = press_capture();
    }

    EXPECT_NE(out.find("Couldn't write file " + work.file("IMG_0001.JPG")), std::string::npos)
        << out;
    EXPECT_TRUE(files().empty()) << "no partial or temporary file remains";
    EXPECT_EQ(camera.count("file_delete"), 0);
    EXPECT_GT(camera_file("/DCIM/100SIMCM", "IMG_0001.JPG").size(), 20000u)
        << "the whole picture is still on the camera";
}

TEST_F(PicturesOnDisk, AFolderWithNonAsciiLettersIsShownAsItIs) {
    std::filesystem::create_directories(work.file("Bilder/Jörg"));
    use_directory(work.file("Bilder/Jörg"));
    std::string path = work.file("Bilder/Jörg/IMG_0001.JPG");
    std::string out = press_capture();
    EXPECT_NE(out.find("Written file " + path + "\n"), std::string::npos) << out;
    EXPECT_EQ(status(), "Written file " + path);
    EXPECT_TRUE(file_exists(path));
    EXPECT_TRUE(previewBitmap.IsOk());
}

TEST(CaptureAcrossRuns, ASecondRunIntoTheSameFolderKeepsTheFirstRunsPictures) {
    TempDir work;
    wxString start = wxGetCwd();
    std::filesystem::file_time_type firstWritten;
    for (int run = 0; run < 2; ++run) {
        SimcamScenario camera("picture jpeg 300 200"); // a new camera: its counter starts at 1
        FrameUnderTest frame;
        directoryPicker->SetPath(work.path());
        wxSetWorkingDirectory(work.path());
        StdoutCapture console;
        click(captureButton);
        ASSERT_TRUE(wait_for_camera());
        if (run == 0)
            firstWritten = std::filesystem::last_write_time(work.file("IMG_0001.JPG"));
    }
    wxSetWorkingDirectory(start);
    EXPECT_TRUE(file_exists(work.file("IMG_0001.JPG")));
    EXPECT_TRUE(file_exists(work.file("IMG_0001-1.JPG")));
    EXPECT_EQ(std::filesystem::last_write_time(work.file("IMG_0001.JPG")), firstWritten);
}

TEST(CameraFileNames, OnlyTheLastComponentNamesAFileHere) {
    EXPECT_EQ(local_file_name("IMG_0001.JPG"), "IMG_0001.JPG");
    EXPECT_EQ(local_file_name("../../etc/passwd"), "passwd");
    EXPECT_EQ(local_file_name("/abs/path/IMG.JPG"), "IMG.JPG");
    for (const char* unusable : {"", ".", "..", "a/..", "dir/", static_cast<const char*>(nullptr)})
        EXPECT_EQ(local_file_name(unusable), "") << (unusable ? unusable : "null");
}

TEST(CameraFileNames, AnUnusableNameOrFolderWritesNothing) {
    TempDir work;
    CameraFile* file;
    gp_file_new(&file);
    gp_file_set_data_and_size(file, strdup("picture"), 7);
    std::string written;
    EXPECT_NE(save_picture(file, work.path(), "", &written), GP_OK);
    EXPECT_NE(save_picture(file, "", "IMG.JPG", &written), GP_OK)
        << "an empty folder must not mean the root of the filesystem";
    EXPECT_TRUE(std::filesystem::is_empty(work.path()));
    EXPECT_EQ(save_picture(file, work.path(), "IMG", &written), GP_OK);
    EXPECT_EQ(save_picture(file, work.path(), "IMG", &written), GP_OK);
    EXPECT_EQ(written, work.file("IMG-1")) << "a name without extension is numbered at its end";
    EXPECT_EQ(save_picture(file, work.path(), ".hidden", &written), GP_OK);
    EXPECT_EQ(save_picture(file, work.path(), ".hidden", &written), GP_OK);
    EXPECT_EQ(written, work.file(".hidden-1"));
    EXPECT_EQ(read_file(written), "picture");
    gp_file_unref(file);
}

} // namespace
