#include "display/jpeg_preview_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

// jerror.h's message list depends on the configuration jpeglib.h pulls in.
#include <jpeglib.h>

#include <jerror.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void jump_out(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// libjpeg only warns about damaged or missing scan data and paints the gap grey; for us that
// is a failed load. Other warnings (stray bytes between markers and the like) are harmless,
// and nothing is ever printed.
void check_warning(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return;
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
        jump_out(cinfo);
    default:
        break;
    }
}

// What the decoded picture must cover: the size itself, or the picture fitted into it.
struct Cover {
    wxSize size;
    bool fitted;
};

// Where the compressed bytes come from: a file, or memory when there is no file.
struct Source {
    std::FILE* file;
    const unsigned char* data;
    std::size_t size;
};

void choose_scale(jpeg_decompress_struct& cinfo, const Cover& cover) {
    const wxSize full(int(cinfo.image_width), int(cinfo.image_height));
    const wxSize minSize = cover.fitted ? fit_within(full, cover.size) : cover.size;
    cinfo.scale_num = 1;
    for (unsigned denom : {8u, 4u, 2u}) {
        cinfo.scale_denom = denom;
        jpeg_calc_output_dimensions(&cinfo);
        if (cinfo.output_width >= unsigned(minSize.x) && cinfo.output_height >= unsigned(minSize.y))
            return;
    }
    cinfo.scale_denom = 1;
}

// Adobe's CMYK JPEGs, the only common kind, store the inks inverted.
void cmyk_to_rgb(const JSAMPLE* cmyk, unsigned char* rgb, unsigned width, bool inverted) {
    for (unsigned x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const int keyLight = inverted ? cmyk[3] : 255 - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const int light = inverted ? cmyk[c] : 255 - cmyk[c];
            rgb[c] = static_cast<unsigned char>(light * keyLight / 255);
        }
    }
}

// Every libjpeg call that can fail runs in here, so that a longjmp from the error manager
// lands in a frame with nothing to destroy. The caller owns and cleans up cinfo and out.
JpegDecodeResult decode_guarded(jpeg_decompress_struct& cinfo, ErrorManager& err,
                                const Source& source, const Cover& cover, wxImage& out) {
    if (setjmp(err.jump))
        return JpegDecodeResult::Failed;
    jpeg_create_decompress(&cinfo);
    if (source.file)
        jpeg_stdio_src(&cinfo, source.file);
    else
        jpeg_mem_src(&cinfo, source.data, source.size);
    jpeg_read_header(&cinfo, TRUE);

    bool cmyk = false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
        cinfo.out_color_space = JCS_RGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        return JpegDecodeResult::Unsupported;
    }
    choose_scale(cinfo, cover);
    jpeg_start_decompress(&cinfo);

    const unsigned width = cinfo.output_width;
    if (!out.Create(width, cinfo.output_height, false))
        return JpegDecodeResult::Failed;
    JSAMPARRAY cmykRow = cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                           JPOOL_IMAGE, width * 4, 1)
                              : nullptr;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rgbRow = out.GetData() + std::size_t(cinfo.output_scanline) * width * 3;
        if (cmyk) {
            jpeg_read_scanlines(&cinfo, cmykRow, 1);
            cmyk_to_rgb(cmykRow[0], rgbRow, width, cinfo.saw_Adobe_marker);
        } else {
            jpeg_read_scanlines(&cinfo, &rgbRow, 1);
        }
    }
    jpeg_finish_decompress(&cinfo);
    return JpegDecodeResult::Decoded;
}

bool has_jpeg_signature(const unsigned char* start, std::size_t size) {
    return size >= 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
}

JpegDecodeResult decode(const Source& source, const Cover& cover, wxImage& out) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = jump_out;
    err.base.emit_message = check_warning;
    JpegDecodeResult result = decode_guarded(cinfo, err, source, cover, out);
    jpeg_destroy_decompress(&cinfo);
    return result;
}

} // namespace

wxSize fit_within(const wxSize& picture, const wxSize& area) {
    using Wide = long long;
    if (picture.x <= 0 || picture.y <= 0)
        return wxSize(1, 1);
    // The side that limits keeps the area's length exactly; the other is rounded.
    wxSize fitted = area;
    if (Wide(area.x) * picture.y <= Wide(area.y) * picture.x)
        fitted.y = int((Wide(picture.y) * area.x + picture.x / 2) / picture.x);
    else
        fitted.x = int((Wide(picture.x) * area.y + picture.y / 2) / picture.y);
    return wxSize(std::max(fitted.x, 1), std::max(fitted.y, 1));
}

JpegDecodeResult decode_jpeg_reduced(const wxString& fileName, const wxSize& minSize,
                                     wxImage& out) {
    std::FILE* file = std::fopen(fileName.fn_str(), "rb");
    if (!file)
        return JpegDecodeResult::NotJpeg;
    JpegDecodeResult result = JpegDecodeResult::NotJpeg;
    unsigned char soi[3];
    const std::size_t read = std::fread(soi, 1, 3, file);
    if (has_jpeg_signature(soi, read)) {
        std::rewind(file);
        result = decode({file, nullptr, 0}, {minSize, false}, out);
    }
    std::fclose(file);
    if (result != JpegDecodeResult::Decoded)
        out = wxImage();
    return result;
}

JpegDecodeResult decode_jpeg_to_fit(const unsigned char* data, std::size_t size, const wxSize& area,
                                    wxImage& out) {
    JpegDecodeResult result = JpegDecodeResult::NotJpeg;
    if (has_jpeg_signature(data, size))
        result = decode({nullptr, data, size}, {area, true}, out);
    if (result != JpegDecodeResult::Decoded)
        out = wxImage();
    return result;
}
