// SPDX-License-Identifier: GPL-3.0-or-later
// One capture pass, as "Capture Image" runs it: console transcript, status bar, camera
// operations, buttons and the preview.
#include "capture_fixture.h"

#include "app/series_page.h"
#include "camera/settings_page.h"
#include "capture/run_state.h"
#include "display/display.h"

namespace {

const std::string folder = "/DCIM/100SIMCM";

std::string located(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.JPG", n);
    return "New file is in location " + folder + "/" + name + " on the camera.\n";
}

class DefaultCamera : public CapturePass {};

TEST_F(DefaultCamera, OneFrameIsCapturedDownloadedDeletedAndShown) {
    std::string path = work.file("IMG_0001.JPG");
    EXPECT_EQ(press_capture(), "Capturing Image...\n" + located(1) + "Written file " + path +
                                   "\nFile IMG_0001.JPG deleted from camera.\n\n");
    EXPECT_EQ(files(), std::vector<std::string>{"IMG_0001.JPG"});
    EXPECT_EQ(status(), "Written file " + path) << "a deletion does not change the status";
    EXPECT_EQ(camera.log(), (std::vector<std::string>{"capture " + folder + "/IMG_0001.JPG",
                                                      "file_get " + folder + "/IMG_0001.JPG",
                                                      "file_delete " + folder + "/IMG_0001.JPG"}));
    EXPECT_TRUE(previewBitmap.IsOk());
    EXPECT_EQ(thumbnails.size(), 1u);
}

TEST_F(DefaultCamera, FramesAreAllTakenBeforeAnyIsDownloaded) {
    framesText->SetValue("3");
    std::string out = press_capture();
    std::string expected = "Capturing Image...\n" + located(1) + located(2) + located(3);
    for (int n = 1; n <= 3; ++n) {
        std::string name = "IMG_000" + std::to_string(n) + ".JPG";
        expected +=
            "Written file " + work.file(name) + "\nFile " + name + " deleted from camera.\n\n";
    }
    EXPECT_EQ(out, expected);
    EXPECT_EQ(camera.count("capture "), 3);
    EXPECT_EQ(camera.log()[3], "file_get " + folder + "/IMG_0001.JPG");
    EXPECT_EQ(thumbnails.size(), 1u) << "only the last picture is shown";
}

TEST_F(DefaultCamera, AFrameCountBelowOneOrNotANumberTakesNothing) {
    frame->SetStatusText("untouched", 0);
    for (auto [text, number] : {std::pair<const char*, bool>{"0", true},
                                {"-1", true},
                                {"abc", false},
                                {"2x", false},
                                {"", false}}) {
        framesText->SetValue(text);
        EXPECT_EQ(press_capture(), std::string("Capturing Image...\n") +
                                       (number ? "" : "Error getting frames/interval\n"))
            << text;
    }
    EXPECT_EQ(camera.count("capture"), 0);
    EXPECT_EQ(status(), "untouched");
    EXPECT_FALSE(previewBitmap.IsOk());
    EXPECT_TRUE(captureButton->IsEnabled());
}

TEST_F(DefaultCamera, WithoutRetrieveNothingIsWrittenDeletedOrShown) {
    retrieveImageCheck->SetValue(false);
    framesText->SetValue("2");
    EXPECT_EQ(press_capture(), "Capturing Image...\n" + located(1) + located(2));
    EXPECT_TRUE(files().empty());
    EXPECT_EQ(camera.count("file_"), 0);
    EXPECT_EQ(status(), located(2).substr(0, located(2).size() - 1));
    EXPECT_FALSE(previewBitmap.IsOk());
}

TEST_F(DefaultCamera, WithoutDeleteThePictureStaysOnTheCamera) {
    deleteImageCheck->SetValue(false);
    std::string path = work.file("IMG_0001.JPG");
    EXPECT_EQ(press_capture(),
              "Capturing Image...\n" + located(1) + "Written file " + path + "\n\n");
    EXPECT_EQ(camera.count("file_delete"), 0);
    EXPECT_EQ(read_file(path), camera_file(folder, "IMG_0001.JPG"))
        << "the file holds exactly what the camera delivered";
    EXPECT_GT(read_file(path).size(), 1000u);
    EXPECT_TRUE(previewBitmap.IsOk());
}

TEST_F(DefaultCamera, DuringASeriesTheWrittenLineCarriesTheFrameCount) {
    framesText->SetValue("3");
    captureRunning = true;
    frameCount = 4;
    std::string out = press_capture();
    captureRunning = false;
    for (int n = 1; n <= 3; ++n)
        EXPECT_NE(out.find("Written file 7: " + work.file("IMG_000" + std::to_string(n) + ".JPG")),
                  std::string::npos)
            << out;
    EXPECT_EQ(status(), "Written file 7: " + work.file("IMG_0003.JPG"));
    EXPECT_EQ(frameCount, 7);
}

class TwoParameters : public CapturePass {
  protected:
    TwoParameters()
        : CapturePass(R"(
config "Camera Configuration"
  radio iso "ISO Speed" value=100 choice=100 choice=200 choice=400
  radio wb "White Balance" value=Auto choice=Auto choice=Daylight
end
)") {}
};

TEST_F(TwoParameters, ChangedSettingsAreAppliedInRegistryOrderBeforeTheCapture) {
    parameterCombos[0]->SetValue("400");
    parameterCombos[1]->SetValue("Cloudy");
    settingsChanged = true;
    std::string out = press_capture();
    EXPECT_EQ(out.substr(0, out.find("New file")),
              "Setting camera paramaters:\n"
              "Paramater:\tiso\nValue:\t\t400\n"
              "Paramater:\twb\nValue:\t\tCloudy\nError setting paramater:\t-2\n"
              "\nCapturing Image...\n");
    EXPECT_FALSE(settingsChanged);
    std::vector<std::string> log = camera.log();
    auto set = std::find(log.begin(), log.end(), "set_config\tiso=400");
    auto capture = std::find_if(log.begin(), log.end(),
                                [](const std::string& l) { return l.rfind("capture ", 0) == 0; });
    EXPECT_TRUE(set < capture) << "the camera got the value before the capture";
    EXPECT_EQ(camera.count("set_config"), 1);

    EXPECT_EQ(press_capture().substr(0, 19), "Capturing Image...\n")
        << "applied once, not again at the next pass";
}

TEST(CapturePassNoParameters, AChangedFlagWithNothingRegisteredOnlyPrintsTheHeading) {
    SimcamScenario camera("config \"Empty\"\nend\n");
    FrameUnderTest frame;
    framesText->SetValue("0");
    settingsChanged = true;
    StdoutCapture console;
    click(captureButton);
    ASSERT_TRUE(wait_for_camera());
    EXPECT_EQ(console.text(), "Setting camera paramaters:\n\nCapturing Image...\n");
    EXPECT_FALSE(settingsChanged);
}

class SecondCaptureFails : public CapturePass {
  protected:
    SecondCaptureFails() : CapturePass("capture-fail 2 -7") {}
};

TEST_F(SecondCaptureFails, TheOtherFramesAreStillTakenAndDownloaded) {
    LogCapture log;
    framesText->SetValue("3");
    captureRunning = true;
    std::string out = press_capture();
    EXPECT_EQ(out.substr(0, out.find("Written")),
              "Capturing Image...\n" + located(1) +
                  "Could not capture image:\t-7\nCheck the camera and re-initialise.\n" +
                  located(2));
    EXPECT_EQ(log.errors(), std::vector<std::string>{"Could not capture an image. Please check "
                                                     "the camera and re-initialise."});
    EXPECT_EQ(files(), (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.JPG"}));
    EXPECT_EQ(camera.count("exit"), 1) << "the camera was closed after the failure";
    EXPECT_FALSE(captureRunning);
    EXPECT_FALSE(captureButton->IsEnabled());
    EXPECT_FALSE(startButton->IsEnabled());
    EXPECT_FALSE(stopButton->IsEnabled());
}

class DownloadFails : public CapturePass {
  protected:
    DownloadFails() : CapturePass("download-fail 2 -7") {}
};

TEST_F(DownloadFails, TheFailedPictureIsReportedAndTheOthersAreSaved) {
    framesText->SetValue("2");
    std::string out = press_capture();
    EXPECT_EQ(out.substr(out.find("Written")),
              "Written file " + work.file("IMG_0001.JPG") +
                  "\nFile IMG_0001.JPG deleted from camera.\n\nCould not retieve image:\t-7\n");
    EXPECT_EQ(files(), std::vector<std::string>{"IMG_0001.JPG"});
    EXPECT_EQ(camera.count("file_delete"), 1) << "the picture not saved stays on the camera";
    EXPECT_FALSE(previewBitmap.IsOk()) << "the last call of the pass failed";
}

class DeleteFails : public CapturePass {
  protected:
    DeleteFails() : CapturePass("delete-fail 1 -7") {}
};

TEST_F(DeleteFails, TheProblemIsShownAndThePictureIsKept) {
    std::string out = press_capture();
    EXPECT_EQ(out.substr(out.find("Written")), "Written file " + work.file("IMG_0001.JPG") +
                                                   "\nProblem deleting file from camera.\n\n");
    EXPECT_EQ(status(), "Problem deleting file from camera.");
    EXPECT_EQ(files(), std::vector<std::string>{"IMG_0001.JPG"});
    EXPECT_FALSE(previewBitmap.IsOk());
}

} // namespace
