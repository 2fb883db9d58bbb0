// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_pass.h"

#include "camera/camera_handle.h"
#include "camera/same_camera.h"
#include "capture/light_meter.h"
#include "capture/picture_file.h"
#include "capture/series_clock.h"
#include "record/series_record.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>

namespace {

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

// The newest picture a capture named. Camera thread.
std::optional<CapturedPicture>& newest_capture() {
    static std::optional<CapturedPicture> newest;
    return newest;
}

// The state of one pass on its way through the camera.
struct Pass {
    explicit Pass(const CaptureRequest& r) : request(r), inSeries(r.inSeries) {}

    const CaptureRequest& request;
    CaptureResult result;
    bool inSeries;
    int lastResult = GP_OK;
    std::vector<CapturedPicture> captured;
    wxString lastWritten;
    std::chrono::steady_clock::time_point lastCaptureEnd; // on the series clock
    // Following the light, each written picture is measured as it is written, for its row.
    std::optional<PreviewImages> writtenPreview; // of lastWritten
    std::optional<double> writtenBrightness;

    void capture_frames(long count);
    std::vector<CapturedPicture> find_lost_capture(const CameraLoss& loss);
    void fetch(const std::vector<CapturedPicture>& pictures);
    void download(const CapturedPicture& entry);
    void remove_from_camera(const CapturedPicture& entry);
    void show_last();
    bool lose_camera(int code, const CapturedPicture* entry);
    void measure_written();
    void record(const CapturedPicture& entry, SeriesOutcome outcome,
                const std::string& written = "",
                std::optional<std::uint64_t> size = std::nullopt) const;
};

// In a series that waits for its camera, a lost camera is noted and left alone for the rest
// of the pass: every call would fail until it is back.
bool Pass::lose_camera(int code, const CapturedPicture* entry) {
    if (!request.reconnectMinutes || !is_lost_camera_code(code))
        return false;
    result.lost = CameraLoss{code, series_clock().now(), {}, *request.reconnectMinutes, {}};
    if (!entry)
        result.lost->lostCaptureAfter = newest_capture();
    const std::string text = camera_lost_text(code, *request.reconnectMinutes);
    std::cout << text << std::endl;
    result.status = wxString::FromUTF8(text);
    if (request.seriesPass != 0)
        series_record_add({request.framesBefore + result.framesTaken,
                           request.seriesPass,
                           std::chrono::system_clock::now(),
                           "",
                           entry ? entry->folder : "",
                           entry ? entry->name : "",
                           std::nullopt,
                           SeriesOutcome::CameraLost,
                           {}});
    return true;
}

// Each picture of a series gets its row as soon as it is done.
void Pass::record(const CapturedPicture& entry, SeriesOutcome outcome, const std::string& written,
                  std::optional<std::uint64_t> size) const {
    if (request.seriesPass == 0)
        return;
    RecordFields fields;
    if (request.followLight)
        fields =
            exposure_fields(request.followLight->settings,
                            outcome == SeriesOutcome::Written ? writtenBrightness : std::nullopt);
    series_record_add({entry.frame, request.seriesPass, entry.captured, written, entry.folder,
                       entry.name, size, outcome, fields});
}

void Pass::measure_written() {
    writtenPreview.reset();
    writtenBrightness.reset();
    PreviewImages images;
    if (!request.followLight || !decode_preview_images(lastWritten, &images))
        return;
    writtenBrightness = picture_brightness(images.preview);
    writtenPreview = images;
}

void Pass::capture_frames(long count) {
    for (long k = 0; k < count; ++k) {
        CameraFilePath path;
        lastResult =
            gp_camera_capture(cameraHandle.camera, GP_CAPTURE_IMAGE, &path, cameraHandle.context);
        lastCaptureEnd = series_clock().now();
        if (lastResult != GP_OK) {
            if (lose_camera(lastResult, nullptr))
                return;
            print_failed_capture(lastResult);
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
        newest_capture() = captured.back();
    }
}

// Counters name pictures in order: one newer than the newest known, and not among those left
// behind, is the picture of the capture that lost the camera.
std::vector<CapturedPicture> Pass::find_lost_capture(const CameraLoss& loss) {
    std::vector<CapturedPicture> found;
    const std::optional<CapturedPicture>& newest = loss.lostCaptureAfter;
    if (!newest)
        return found;
    CameraList* list = nullptr;
    if (gp_list_new(&list) != GP_OK)
        return found;
    if (gp_camera_folder_list_files(cameraHandle.camera, newest->folder.c_str(), list,
                                    cameraHandle.context) == GP_OK) {
        for (int i = 0; i < gp_list_count(list); ++i) {
            const char* name = nullptr;
            if (gp_list_get_name(list, i, &name) != GP_OK ||
                std::string(name).size() != newest->name.size() || name <= newest->name ||
                std::any_of(loss.pending.begin(), loss.pending.end(),
                            [&](const CapturedPicture& p) { return p.name == name; }))
                continue;
            const int frame = request.framesBefore + ++result.framesTaken;
            found.push_back({newest->folder, name, frame, std::chrono::system_clock::now()});
            newest_capture() = found.back();
        }
    }
    gp_list_free(list);
    return found;
}

// Pictures left behind once the camera is lost wait on its card for its return.
void Pass::fetch(const std::vector<CapturedPicture>& pictures) {
    for (const CapturedPicture& entry : pictures) {
        if (result.lost) {
            result.lost->pending.push_back(entry);
        } else if (entry.downloaded) {
            if (request.remove) {
                remove_from_camera(entry);
                std::cout << std::endl;
            }
        } else if (request.retrieve) {
            download(entry);
        } else {
            record(entry, SeriesOutcome::NotRetrieved);
        }
    }
}

void Pass::download(const CapturedPicture& entry) {
    const std::string& dir = request.directory;
    CameraFile* file;
    gp_file_new(&file);
    lastResult = gp_camera_file_get(cameraHandle.camera, entry.folder.c_str(), entry.name.c_str(),
                                    GP_FILE_TYPE_NORMAL, file, cameraHandle.context);
    if (lastResult != GP_OK) {
        gp_file_unref(file);
        if (lose_camera(lastResult, &entry)) {
            result.lost->pending.push_back(entry);
            return;
        }
        std::cout << "Could not retieve image:\t" << lastResult << std::endl;
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
        lastWritten = wxString(written.c_str(), *wxConvFileName);
        measure_written();
        // Before the console says so: a picture reported written always has its row.
        record(entry, SeriesOutcome::Written, written, size);
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
        if (request.remove) {
            CapturedPicture onDisk = entry;
            onDisk.downloaded = true;
            remove_from_camera(onDisk);
        }
    }
    std::cout << std::endl;
}

void Pass::remove_from_camera(const CapturedPicture& entry) {
    lastResult = gp_camera_file_delete(cameraHandle.camera, entry.folder.c_str(),
                                       entry.name.c_str(), cameraHandle.context);
    if (lastResult != GP_OK && lose_camera(lastResult, &entry)) {
        result.lost->pending.push_back(entry);
    } else if (lastResult != GP_OK) {
        std::cout << "Problem deleting file from camera." << std::endl;
        result.status = wxString("Problem deleting file from camera.");
    } else {
        std::cout << "File " << entry.name << " deleted from camera." << std::endl;
    }
}

void Pass::show_last() {
    PreviewImages images;
    if (lastResult != GP_OK || !request.retrieve || lastWritten.empty())
        return;
    if (writtenPreview)
        result.preview = writtenPreview;
    else if (load_preview_images(lastWritten, &images))
        result.preview = images;
}

} // namespace

void print_failed_capture(int result) {
    std::cout << "Could not capture image:\t" << result << std::endl;
    std::cout << "Check the camera and re-initialise." << std::endl;
}

CaptureResult run_capture_pass(const CaptureRequest& request) {
    // The body is surely there now, at the start of its series.
    if (request.reconnectMinutes && request.seriesPass == 1) {
        remember_open_camera();
        newest_capture().reset();
    }
    if (request.writeSettings)
        write_settings(request);
    std::cout << "Capturing Image..." << std::endl;
    Pass pass(request);
    pass.capture_frames(frames_per_pass(request.frames));
    pass.fetch(pass.captured);
    pass.show_last();
    if (request.followLight && !pass.result.lost)
        pass.result.followLight = follow_light(
            *request.followLight, pass.result.preview ? pass.writtenBrightness : std::nullopt,
            request.framesBefore + pass.result.framesTaken,
            series_clock().now() - pass.lastCaptureEnd);
    return pass.result;
}

CaptureResult fetch_pictures(const CaptureRequest& request, const CameraLoss& loss) {
    Pass pass(request);
    std::vector<CapturedPicture> pictures = loss.pending;
    for (const CapturedPicture& found : pass.find_lost_capture(loss))
        pictures.push_back(found);
    pass.fetch(pictures);
    pass.show_last();
    return pass.result;
}
