// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_pass.h"

#include "camera/camera_handle.h"
#include "capture/picture_file.h"
#include "record/series_record.h"

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
long frames_per_pass(const std::optional<long>& frames) {
    if (!frames) {
        std::cout << "Error getting frames/interval" << std::endl;
        return 0;
    }
    return *frames;
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
                       entry.name, size, outcome, RecordFields()});
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
        const int frame = request.framesBefore + ++result.framesTaken;
        std::string location = std::string("New file is in location ") + path.folder + "/" +
                               path.name + " on the camera.";
        std::cout << location << std::endl;
        result.status = wxString::FromUTF8(location);
        captured.push_back({path.folder, path.name, frame, std::chrono::system_clock::now()});
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
        result.status = "Couldn't write file " + wxString(dir.c_str(), *wxConvFileName) + "/" +
                        wxString::FromUTF8(name) + " - check path/permissions/disk space.";
    } else {
        // Before the console says so: a picture reported written always has its row.
        record(entry, SeriesOutcome::Written, written, size);
        lastWritten = wxString(written.c_str(), *wxConvFileName);
        wxString number;
        if (inSeries) {
            // Every file of a pass carries the count at the end of its captures.
            const int frames = request.framesBefore + result.framesTaken;
            std::cout << "Written file " << frames << ": " << written << std::endl;
            number.Printf("%d: ", frames);
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

    const std::string& dir = request.directory;
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
