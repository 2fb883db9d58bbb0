// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_pass.h"

#include "camera/camera_handle.h"
#include "capture/picture_file.h"
#include "capture/run_state.h"
#include "capture/series_record.h"

#include <chrono>
#include <iostream>
#include <string>

namespace {

struct CapturedFile {
    std::string folder;
    std::string name;
    int frame; // in the series
    std::chrono::system_clock::time_point captured;
};

void write_settings(const CaptureRequest& request) {
    std::cout << "Setting camera paramaters:" << std::endl;
    write_parameters(request.settings);
    std::cout << std::endl;
}

// A frame count that is not a whole number takes no frame.
long frames_per_pass(const wxString& text) {
    long count = 0;
    if (!text.ToLong(&count, 10)) {
        std::cout << "Error getting frames/interval" << std::endl;
        return 0;
    }
    return count;
}

// The state of one pass on its way through the camera.
struct Pass {
    explicit Pass(const CaptureRequest& r) : request(r), inSeries(r.inSeries) {}

    const CaptureRequest& request;
    CaptureResult result;
    bool inSeries;
    int lastResult = GP_OK;
    std::vector<CapturedFile> captured;
    wxString lastWritten;

    void capture_frames(long count);
    void download(const CapturedFile& entry, const std::string& dir);
    void remove_from_camera(const CapturedFile& entry);
    void record(const CapturedFile& entry, SeriesOutcome outcome, const std::string& written = "",
                std::optional<std::uint64_t> size = std::nullopt) const;
};

// Each picture of a series gets its row as soon as it is done.
void Pass::record(const CapturedFile& entry, SeriesOutcome outcome, const std::string& written,
                  std::optional<std::uint64_t> size) const {
    if (request.seriesPass == 0)
        return;
    series_record_add({entry.frame, request.seriesPass, entry.captured, written, entry.folder,
                       entry.name, size, outcome});
}

void Pass::capture_frames(long count) {
    for (long k = 0; k < count; ++k) {
        CameraFilePath path;
        lastResult =
            gp_camera_capture(cameraHandle.camera, GP_CAPTURE_IMAGE, &path, cameraHandle.context);
        if (lastResult != GP_OK) {
            std::cout << "Could not capture image:\t" << lastResult << std::endl;
            std::cout << "Check the camera and re-initialise." << std::endl;
            ++result.failedCaptures;
            inSeries = false;
            gp_camera_exit(cameraHandle.camera, cameraHandle.context);
            continue;
        }
        ++frameCount;
        std::string location = std::string("New file is in location ") + path.folder + "/" +
                               path.name + " on the camera.";
        std::cout << location << std::endl;
        result.status = wxString::FromUTF8(location);
        captured.push_back({path.folder, path.name, frameCount, std::chrono::system_clock::now()});
    }
}

void Pass::download(const CapturedFile& entry, const std::string& dir) {
    CameraFile* file;
    gp_file_new(&file);
    lastResult = gp_camera_file_get(cameraHandle.camera, entry.folder.c_str(), entry.name.c_str(),
                                    GP_FILE_TYPE_NORMAL, file, cameraHandle.context);
    if (lastResult != GP_OK) {
        std::cout << "Could not retieve image:\t" << lastResult << std::endl;
        gp_file_unref(file);
        record(entry, SeriesOutcome::DownloadFailed);
        return;
    }
    std::string name = local_file_name(entry.name.c_str());
    std::string written;
    const char* data = nullptr;
    unsigned long size = 0;
    gp_file_get_data_and_size(file, &data, &size);
    lastResult = save_picture(file, dir, name, &written);
    gp_file_unref(file);
    if (lastResult != GP_OK) {
        record(entry, SeriesOutcome::WriteFailed, "", size);
        std::cout << "Couldn't write file " << dir << "/" << name
                  << " - check path/permissions/disk space." << std::endl;
        result.status = "Couldn't write file " + request.directory + "/" +
                        wxString::FromUTF8(name) + " - check path/permissions/disk space.";
    } else {
        // Before the console says so: a picture reported written always has its row.
        record(entry, SeriesOutcome::Written, written, size);
        lastWritten = wxString(written.c_str(), *wxConvFileName);
        wxString number;
        if (inSeries) {
            std::cout << "Written file " << frameCount << ": " << written << std::endl;
            number.Printf("%d: ", static_cast<int>(frameCount));
        } else {
            std::cout << "Written file " << written << std::endl;
        }
        result.status = "Written file " + number + lastWritten;
        if (request.remove)
            remove_from_camera(entry);
    }
    std::cout << std::endl;
}

void Pass::remove_from_camera(const CapturedFile& entry) {
    lastResult = gp_camera_file_delete(cameraHandle.camera, entry.folder.c_str(),
                                       entry.name.c_str(), cameraHandle.context);
    if (lastResult != GP_OK) {
        std::cout << "Problem deleting file from camera." << std::endl;
        result.status = wxString("Problem deleting file from camera.");
    } else {
        std::cout << "File " << entry.name << " deleted from camera." << std::endl;
    }
}

} // namespace

CaptureResult run_capture_pass(const CaptureRequest& request) {
    if (request.writeSettings)
        write_settings(request);
    std::cout << "Capturing Image..." << std::endl;
    Pass pass(request);
    pass.capture_frames(frames_per_pass(request.frames));

    // The picker's path names the folder for the filesystem, whatever the locale.
    const std::string dir(static_cast<const char*>(request.directory.fn_str()));
    for (const CapturedFile& entry : pass.captured) {
        if (request.retrieve)
            pass.download(entry, dir);
        else
            pass.record(entry, SeriesOutcome::NotRetrieved);
    }

    PreviewImages images;
    if (pass.lastResult == GP_OK && request.retrieve && !pass.captured.empty() &&
        load_preview_images(pass.lastWritten, &images))
        pass.result.preview = images;
    return pass.result;
}
