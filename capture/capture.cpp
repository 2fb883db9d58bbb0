#include "app/series_page.h"
#include "app/vantlow.h"
#include "camera/camera_handle.h"
#include "camera/settings_page.h"
#include "capture/picture_file.h"
#include "capture/run_state.h"
#include "display/display.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

struct CapturedFile {
    std::string folder;
    std::string name;
};

// Text for the camera library and console; a text the locale cannot hold becomes empty.
std::string to_bytes(const wxString& text) {
    wxCharBuffer bytes = text.mb_str(wxConvLibc);
    return bytes.data() ? std::string(bytes.data()) : std::string();
}

void apply_changed_parameters() {
    std::cout << "Setting camera paramaters:" << std::endl;
    for (size_t i = 0; i < parameterNames.size(); ++i) {
        std::string key = to_bytes(parameterNames[i]);
        std::string value = to_bytes(parameterCombos[i]->GetValue());
        std::cout << "Paramater:\t" << key << std::endl;
        std::cout << "Value:\t\t" << value << std::endl;
        int result = set_config_value(&cameraHandle, key.c_str(), value.c_str());
        if (result != GP_OK)
            std::cout << "Error setting paramater:\t" << result << std::endl;
    }
    settingsChanged = false;
    std::cout << std::endl;
}

// A frame count that is not a whole number takes no frame.
long frames_per_pass() {
    long count = 0;
    if (!framesText->GetValue().ToLong(&count, 10)) {
        std::cout << "Error getting frames/interval" << std::endl;
        return 0;
    }
    return count;
}

} // namespace

void MyFrame::CapturePressed(wxCommandEvent&) {
    CaptureImage();
}

void MyFrame::CaptureImage() {
    if (settingsChanged)
        apply_changed_parameters();
    std::cout << "Capturing Image..." << std::endl;
    long count = frames_per_pass();

    int lastResult = GP_OK;
    std::vector<CapturedFile> captured;
    for (long k = 0; k < count; ++k) {
        CameraFilePath path;
        lastResult =
            gp_camera_capture(cameraHandle.camera, GP_CAPTURE_IMAGE, &path, cameraHandle.context);
        if (lastResult != GP_OK) {
            std::cout << "Could not capture image:\t" << lastResult << std::endl;
            std::cout << "Check the camera and re-initialise." << std::endl;
            wxLogError("Could not capture an image. Please check the camera and re-initialise.");
            captureRunning = false;
            gp_camera_exit(cameraHandle.camera, cameraHandle.context);
            captureButton->Enable(false);
            startButton->Enable(false);
            stopButton->Enable(false);
            continue;
        }
        ++frameCount;
        std::string location = std::string("New file is in location ") + path.folder + "/" +
                               path.name + " on the camera.";
        std::cout << location << std::endl;
        SetStatusText(wxString::FromUTF8(location), 0);
        captured.push_back({path.folder, path.name});
    }

    // The picker's path names the folder for the filesystem, whatever the locale.
    wxString folder = directoryPicker->GetPath();
    std::string dir(static_cast<const char*>(folder.fn_str()));
    wxString lastWritten;
    for (const CapturedFile& entry : captured) {
        if (!retrieveImageCheck->IsChecked())
            continue;
        CameraFile* file;
        gp_file_new(&file);
        lastResult =
            gp_camera_file_get(cameraHandle.camera, entry.folder.c_str(), entry.name.c_str(),
                               GP_FILE_TYPE_NORMAL, file, cameraHandle.context);
        if (lastResult != GP_OK) {
            std::cout << "Could not retieve image:\t" << lastResult << std::endl;
            gp_file_unref(file);
            continue;
        }
        std::string name = local_file_name(entry.name.c_str());
        std::string written;
        lastResult = save_picture(file, dir, name, &written);
        gp_file_unref(file);
        if (lastResult != GP_OK) {
            std::string problem =
                "Couldn't write file " + dir + "/" + name + " - check path/permissions/disk space.";
            std::cout << problem << std::endl;
            SetStatusText("Couldn't write file " + folder + "/" + wxString::FromUTF8(name) +
                              " - check path/permissions/disk space.",
                          0);
        } else {
            lastWritten = wxString(written.c_str(), *wxConvFileName);
            wxString number;
            if (captureRunning) {
                std::cout << "Written file " << frameCount << ": " << written << std::endl;
                number.Printf("%d: ", static_cast<int>(frameCount));
            } else {
                std::cout << "Written file " << written << std::endl;
            }
            SetStatusText("Written file " + number + lastWritten, 0);
            if (deleteImageCheck->IsChecked()) {
                lastResult = gp_camera_file_delete(cameraHandle.camera, entry.folder.c_str(),
                                                   entry.name.c_str(), cameraHandle.context);
                if (lastResult != GP_OK) {
                    std::cout << "Problem deleting file from camera." << std::endl;
                    SetStatusText("Problem deleting file from camera.", 0);
                } else {
                    std::cout << "File " << entry.name << " deleted from camera." << std::endl;
                }
            }
        }
        std::cout << std::endl;
    }

    if (lastResult == GP_OK && retrieveImageCheck->IsChecked() && !captured.empty())
        show_captured_image(lastWritten);
}
