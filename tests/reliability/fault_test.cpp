// SPDX-License-Identifier: GPL-3.0-or-later
// Faults of the camera, the disk and the folder, one at a time. After each, every picture the
// camera took is on disk byte for byte or still on the camera, no file was overwritten, and
// once the fault is gone the next capture succeeds.
#include "reliability/picture_ledger.h"
#include "reliability/report_rows.h"
#include "reliability/window_actions.h"
#include "series/series_window.h"
#include "support/file_size_limit.h"

#include "app/series_page.h"
#include "camera/settings_page.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <optional>

namespace {

const int width = 160;
const int height = 120;
const std::string smallPictures = "picture jpeg 160 120\n";

// The main window on a camera with small pictures, and the row this fault adds to the table.
class Fault : public testing::Test {
  protected:
    explicit Fault(const std::string& scenario = "") : w(smallPictures + scenario) {}

    PictureCount pictures() const {
        return count_pictures(w.camera, w.pictures.path(), width, height);
    }

    // Checks that nothing is lost, that a capture now works and the picture arrives whole,
    // then prints the row.
    void expect_recovered(const std::string& fault, const std::string& said,
                          const PictureCount& atFault) {
        EXPECT_EQ(atFault.lost, 0) << fault;
        EXPECT_EQ(atFault.strays, 0) << fault << ": no partial or damaged file";
        const std::string next = capture_once();
        const bool written = next.find("Written file ") != std::string::npos;
        EXPECT_TRUE(written) << next;
        const PictureCount after = pictures();
        EXPECT_EQ(after.captured, atFault.captured + 1);
        EXPECT_EQ(after.lost, 0);
        EXPECT_EQ(after.strays, 0);
        print_figure("pictures-lost", atFault.lost + after.lost);
        static bool headed = false;
        if (!headed)
            print_heading("faults", {"fault", "what the program said", "pictures taken", "on disk",
                                     "only on camera", "lost", "next capture"});
        headed = true;
        print_row("faults",
                  {fault, said, std::to_string(atFault.captured), std::to_string(atFault.onDisk),
                   std::to_string(atFault.onCamera), std::to_string(atFault.lost + after.lost),
                   written ? "written" : "FAILED"});
    }

    SeriesWindow w;
};

const std::string captureFailed =
    "Could not capture image:\t-7\nCheck the camera and re-initialise.\n";

class CaptureFailsMidPass : public Fault {
  protected:
    CaptureFailsMidPass() : Fault("capture-fail 2 -7") {}
};

TEST_F(CaptureFailsMidPass, TheOtherFramesAreSavedAndDetectCameraBringsTheButtonsBack) {
    framesText->SetValue("3");
    const std::string out = capture_once();
    EXPECT_NE(out.find(captureFailed), std::string::npos) << out;
    EXPECT_EQ(buttons(), (Buttons{false, false, false}));
    const PictureCount atFault = pictures();
    EXPECT_EQ(atFault.captured, 2);
    EXPECT_EQ(atFault.onDisk, 2);
    detect_camera(w.frame->get());
    EXPECT_EQ(buttons(), idle);
    framesText->SetValue("1");
    expect_recovered("capture fails, frame 2 of 3 in one pass",
                     code_span("Could not capture image:\t-7"), atFault);
}

class CaptureFailsMidSeries : public Fault {
  protected:
    CaptureFailsMidSeries() : Fault("capture-fail 3 -7") {}
};

TEST_F(CaptureFailsMidSeries, TheSeriesEndsWithThePicturesTakenSaved) {
    w.settings("0", "0", "10");
    click(startButton);
    ASSERT_TRUE(series_ended(60000));
    EXPECT_EQ(occurrences(w.console.text(), captureFailed), 1);
    EXPECT_EQ(w.camera.log().back(), "exit") << "the camera was closed";
    const PictureCount atFault = pictures();
    EXPECT_EQ(atFault.captured, 2);
    EXPECT_EQ(atFault.onDisk, 2);
    detect_camera(w.frame->get());
    expect_recovered("capture fails, pass 3 of a series", code_span("Could not capture image:\t-7"),
                     atFault);
}

class DownloadFails : public Fault {
  protected:
    DownloadFails() : Fault("download-fail 1 -7") {}
};

TEST_F(DownloadFails, ThePictureStaysOnTheCamera) {
    const std::string out = capture_once();
    EXPECT_NE(out.find("Could not retieve image:\t-7\n"), std::string::npos) << out;
    EXPECT_EQ(w.camera.count("file_delete"), 0);
    const PictureCount atFault = pictures();
    EXPECT_EQ(atFault.onCamera, 1);
    expect_recovered("download fails", code_span("Could not retieve image:\t-7"), atFault);
}

class DeleteFails : public Fault {
  protected:
    DeleteFails() : Fault("delete-fail 1 -7") {}
};

TEST_F(DeleteFails, ThePictureIsSavedAndStaysOnTheCamera) {
    const std::string out = capture_once();
    EXPECT_NE(out.find("Problem deleting file from camera.\n"), std::string::npos) << out;
    const PictureCount atFault = pictures();
    EXPECT_EQ(atFault.onDisk, 1);
    EXPECT_EQ(camera_listing(), std::vector<std::string>{"IMG_0001.JPG"});
    expect_recovered("deletion fails", code_span("Problem deleting file from camera."), atFault);
}

class DiskFull : public Fault {};

TEST_F(DiskFull, ThePictureStaysOnTheCameraAndNoPartialFileIsLeft) {
    // Files may grow to half a picture: the camera's log still fits, the picture does not.
    std::string out;
    {
        FileSizeLimit full(camera_picture(1, width, height).size() / 2);
        out = capture_once();
    }

    const std::string said = "Couldn't write file " + w.pictures.file("IMG_0001.JPG") +
                             " - check path/permissions/disk space.";
    EXPECT_NE(out.find(said + "\n"), std::string::npos) << out;
    const PictureCount atFault = pictures();
    EXPECT_EQ(atFault.onCamera, 1);
    expect_recovered("disk full (file size limit)", code_span("Couldn't write file …"), atFault);
}

class UnwritableFolder : public Fault {};

TEST_F(UnwritableFolder, APathUnderARegularFileKeepsThePictureOnTheCamera) {
    write_file(w.pictures.file("notes.txt"), "not a folder");
    const std::string folder = w.pictures.file("notes.txt/photos");
    directoryPicker->SetPath(wxString::FromUTF8(folder));
    const std::string out = capture_once();
    EXPECT_NE(out.find("Couldn't write file " + folder + "/IMG_0001.JPG"), std::string::npos)
        << out;
    PictureCount atFault = pictures();
    // The note is ours, not a picture.
    --atFault.strays;
    EXPECT_EQ(atFault.onCamera, 1);
    directoryPicker->SetPath(wxString::FromUTF8(w.pictures.path()));
    std::remove(w.pictures.file("notes.txt").c_str());
    expect_recovered("folder is a path under a regular file", code_span("Couldn't write file …"),
                     atFault);
}

class CameraGone : public Fault {};

TEST_F(CameraGone, NothingIsOverwrittenWhenItComesBackWithItsCounterReset) {
    ASSERT_NE(capture_once().find("Written file "), std::string::npos);
    std::optional<SimcamScenario> gone;
    gone.emplace("presence absent");
    detect_camera(w.frame->get());
    const std::string out = capture_once();
    EXPECT_NE(out.find("Could not capture image:\t-105\n"), std::string::npos) << out;
    EXPECT_EQ(buttons(), (Buttons{false, false, false}));
    // Plugged in again with a fresh card: the camera numbers from 1 again.
    gone.reset();
    rewrite_scenario(w.camera, smallPictures + "capture-counter 1");
    const PictureCount atFault = pictures();
    EXPECT_EQ(atFault.captured, 1);
    detect_camera(w.frame->get());
    EXPECT_EQ(buttons(), idle);
    expect_recovered("camera gone, then Detect Camera", code_span("Could not capture image:\t-105"),
                     atFault);
    EXPECT_TRUE(file_exists(w.pictures.file("IMG_0001-1.JPG")))
        << "the second IMG_0001.JPG is saved beside the first";
}

const std::string oneParameter = R"(
config "Camera Configuration"
  radio iso "ISO Speed" value=100 choice=100 choice=200
end
)";

class ConfigurationWriteFails : public Fault {
  protected:
    ConfigurationWriteFails() : Fault(oneParameter + "set-config-error -7\n") {}
};

TEST_F(ConfigurationWriteFails, ThePictureIsStillTakenAndTheSettingTakesOnceItWorks) {
    ASSERT_EQ(parameterCombos.size(), 1u);
    choose(parameterCombos[0], "200");
    const std::string out = capture_once();
    EXPECT_NE(out.find("Error setting paramater:\t-7\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Written file "), std::string::npos) << out;
    const PictureCount atFault = pictures();
    EXPECT_EQ(atFault.onDisk, 1);
    rewrite_scenario(w.camera, smallPictures + oneParameter);
    detect_camera(w.frame->get());
    choose(parameterCombos[0], "200");
    expect_recovered("configuration write fails", code_span("Error setting paramater:\t-7"),
                     atFault);
    EXPECT_EQ(w.camera.count("set_config\tiso=200"), 1) << "the setting reached the camera";
}

} // namespace
