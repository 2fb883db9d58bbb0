// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/display.h"
#include "display/jpeg_preview_decoder.h"

#include <iostream>
#include <wx/log.h>

const wxSize previewSize(640, 480);
const wxSize thumbnailSize(90, 60);
const std::size_t maxThumbnails = 48;

wxBitmap previewBitmap;
std::vector<wxBitmap> thumbnails;

namespace {

// A picture that cannot be shown is reported on the console only: the toolkit would also raise
// a message box, one per frame of an unattended series.
bool load_any_format(const wxString& fileName, wxImage& image) {
    wxLogNull quiet;
    return image.LoadFile(fileName, wxBITMAP_TYPE_ANY, -1);
}

} // namespace

bool decode_preview_images(const wxString& fileName, PreviewImages* images) {
    wxImage image;
    switch (decode_jpeg_reduced(fileName, previewSize, image)) {
    case JpegDecodeResult::Decoded:
        break;
    case JpegDecodeResult::NotJpeg:
    case JpegDecodeResult::Unsupported:
        if (load_any_format(fileName, image))
            break;
        [[fallthrough]];
    case JpegDecodeResult::Failed:
        return false;
    }
    *images = scale_for_preview(image);
    return true;
}

bool load_preview_images(const wxString& fileName, PreviewImages* images) {
    if (decode_preview_images(fileName, images))
        return true;
    std::cout << "Couldn't load image." << std::endl;
    return false;
}

PreviewImages scale_for_preview(const wxImage& picture) {
    // The thumbnail comes from the stretched preview, so both show the same distortion.
    PreviewImages images;
    images.preview = picture.Scale(previewSize.x, previewSize.y, wxIMAGE_QUALITY_NORMAL);
    images.thumbnail =
        images.preview.Scale(thumbnailSize.x, thumbnailSize.y, wxIMAGE_QUALITY_NORMAL);
    return images;
}

void show_preview_images(const PreviewImages& images) {
    previewBitmap = wxBitmap(images.preview);
    thumbnails.emplace_back(images.thumbnail);
    if (thumbnails.size() > maxThumbnails)
        thumbnails.erase(thumbnails.begin());
}

void show_captured_image(const wxString& fileName) {
    PreviewImages images;
    if (load_preview_images(fileName, &images))
        show_preview_images(images);
}
