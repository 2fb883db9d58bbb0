// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/jpeg_decoder.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

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

bool big_enough(const jpeg_decompress_struct& cinfo, unsigned width, unsigned height, JpegFit fit) {
    const bool wide = cinfo.output_width >= width;
    const bool tall = cinfo.output_height >= height;
    return fit == JpegFit::Fill ? wide && tall : wide || tall;
}

void choose_scale(jpeg_decompress_struct& cinfo, unsigned width, unsigned height, JpegFit fit) {
    cinfo.scale_num = 1;
    for (unsigned denom : {8u, 4u, 2u}) {
        cinfo.scale_denom = denom;
        jpeg_calc_output_dimensions(&cinfo);
        if (big_enough(cinfo, width, height, fit))
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

struct DecodeTarget {
    unsigned width, height;
    JpegFit fit;
    const RgbDestination& destination;
};

// Where the compressed bytes come from: a file, or memory.
struct JpegSource {
    std::FILE* file;
    const unsigned char* data;
    std::size_t size;
};

// Every libjpeg call that can fail runs in here or below, so that a longjmp from the error
// manager lands in a frame with nothing to destroy; the work holds no such objects either.
template <class Work>
JpegDecodeResult run_guarded(jpeg_decompress_struct& cinfo, ErrorManager& err,
                             const JpegSource& source, Work& work) {
    if (setjmp(err.jump))
        return JpegDecodeResult::Failed;
    jpeg_create_decompress(&cinfo);
    if (source.file)
        jpeg_stdio_src(&cinfo, source.file);
    else
        jpeg_mem_src(&cinfo, source.data, static_cast<unsigned long>(source.size));
    return work(cinfo);
}

JpegDecodeResult decode_pixels(jpeg_decompress_struct& cinfo, const DecodeTarget& target) {
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
    choose_scale(cinfo, target.width, target.height, target.fit);
    jpeg_start_decompress(&cinfo);

    const unsigned width = cinfo.output_width;
    unsigned char* pixels = target.destination(width, cinfo.output_height);
    if (!pixels)
        return JpegDecodeResult::Failed;
    JSAMPARRAY cmykRow = cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                           JPOOL_IMAGE, width * 4, 1)
                              : nullptr;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rgbRow = pixels + std::size_t(cinfo.output_scanline) * width * 3;
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

struct PlaneTarget {
    unsigned width, height;
    JpegFit fit;
    const PlaneDestination& destination;
};

// Cb and Cr must share one size, and Y must be no more than twice theirs either way.
bool plane_layout(const jpeg_decompress_struct& cinfo, JpegPlaneLayout& layout) {
    if (cinfo.jpeg_color_space != JCS_YCbCr || cinfo.num_components != 3)
        return false;
    const jpeg_component_info* c = cinfo.comp_info;
    if (c[1].h_samp_factor != 1 || c[1].v_samp_factor != 1 || c[2].h_samp_factor != 1 ||
        c[2].v_samp_factor != 1 || c[0].h_samp_factor > 2 || c[0].v_samp_factor > 2)
        return false;
    layout.chromaShiftX = unsigned(c[0].h_samp_factor - 1);
    layout.chromaShiftY = unsigned(c[0].v_samp_factor - 1);
    return true;
}

JpegDecodeResult decode_planes(jpeg_decompress_struct& cinfo, const PlaneTarget& target) {
    jpeg_read_header(&cinfo, TRUE);
    JpegPlaneLayout layout;
    if (!plane_layout(cinfo, layout))
        return JpegDecodeResult::Unsupported;
    cinfo.raw_data_out = TRUE;
    cinfo.out_color_space = JCS_YCbCr;
    choose_scale(cinfo, target.width, target.height, target.fit);
    jpeg_start_decompress(&cinfo);

    layout.width = cinfo.output_width;
    layout.height = cinfo.output_height;
    // One call of jpeg_read_raw_data delivers one row of MCUs: this many rows of each plane.
    unsigned groupRows[3];
    for (int p = 0; p < 3; ++p) {
        const jpeg_component_info& c = cinfo.comp_info[p];
        groupRows[p] = unsigned(c.v_samp_factor * c.DCT_scaled_size);
        layout.stride[p] = c.width_in_blocks * unsigned(c.DCT_scaled_size);
        layout.rows[p] = cinfo.total_iMCU_rows * groupRows[p];
    }
    unsigned char* planes[3] = {};
    if (!target.destination(layout, planes))
        return JpegDecodeResult::Failed;

    const unsigned mcuRows = unsigned(cinfo.max_v_samp_factor * cinfo.min_DCT_scaled_size);
    JSAMPARRAY rows[3];
    for (int p = 0; p < 3; ++p)
        rows[p] = static_cast<JSAMPARRAY>((*cinfo.mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, sizeof(JSAMPROW) * groupRows[p]));
    for (unsigned group = 0; cinfo.output_scanline < cinfo.output_height; ++group) {
        for (int p = 0; p < 3; ++p)
            for (unsigned r = 0; r < groupRows[p]; ++r)
                rows[p][r] = planes[p] + std::size_t(group * groupRows[p] + r) * layout.stride[p];
        jpeg_read_raw_data(&cinfo, rows, mcuRows);
    }
    jpeg_finish_decompress(&cinfo);
    return JpegDecodeResult::Decoded;
}

const char exifSignature[] = "Exif\0"; // with the string's own NUL: six bytes

JpegDecodeResult read_markers(jpeg_decompress_struct& cinfo, JpegHeader& header) {
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    header.width = cinfo.image_width;
    header.height = cinfo.image_height;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->data_length >= sizeof exifSignature &&
            std::memcmp(m->data, exifSignature, sizeof exifSignature) == 0) {
            header.exif.assign(reinterpret_cast<const char*>(m->data), m->data_length);
            break;
        }
    }
    return JpegDecodeResult::Decoded;
}

bool has_jpeg_signature(const unsigned char* start, std::size_t size) {
    return size >= 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
}

// Runs the work on a fresh decompressor reading the source.
template <class Work> JpegDecodeResult decompress(const JpegSource& source, Work& work) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = jump_out;
    err.base.emit_message = check_warning;
    const JpegDecodeResult result = run_guarded(cinfo, err, source, work);
    jpeg_destroy_decompress(&cinfo);
    return result;
}

// Opens the file, checks that it is a JPEG and runs the work on a fresh decompressor.
template <class Work> JpegDecodeResult with_decompressor(const std::string& path, Work work) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return JpegDecodeResult::NotJpeg;
    JpegDecodeResult result = JpegDecodeResult::NotJpeg;
    unsigned char soi[3];
    if (has_jpeg_signature(soi, std::fread(soi, 1, 3, file))) {
        std::rewind(file);
        result = decompress({file, nullptr, 0}, work);
    }
    std::fclose(file);
    return result;
}

} // namespace

JpegDecodeResult decode_jpeg_scaled(const std::string& path, unsigned targetWidth,
                                    unsigned targetHeight, JpegFit fit,
                                    const RgbDestination& destination) {
    const DecodeTarget target{targetWidth, targetHeight, fit, destination};
    return with_decompressor(
        path, [&target](jpeg_decompress_struct& cinfo) { return decode_pixels(cinfo, target); });
}

JpegDecodeResult decode_jpeg_in_memory(const unsigned char* data, std::size_t size,
                                       unsigned targetWidth, unsigned targetHeight, JpegFit fit,
                                       const RgbDestination& destination) {
    if (!has_jpeg_signature(data, size))
        return JpegDecodeResult::NotJpeg;
    const DecodeTarget target{targetWidth, targetHeight, fit, destination};
    auto work = [&target](jpeg_decompress_struct& cinfo) { return decode_pixels(cinfo, target); };
    return decompress({nullptr, data, size}, work);
}

JpegDecodeResult decode_jpeg_planes(const std::string& path, unsigned targetWidth,
                                    unsigned targetHeight, JpegFit fit,
                                    const PlaneDestination& destination) {
    const PlaneTarget target{targetWidth, targetHeight, fit, destination};
    return with_decompressor(
        path, [&target](jpeg_decompress_struct& cinfo) { return decode_planes(cinfo, target); });
}

JpegDecodeResult read_jpeg_header(const std::string& path, JpegHeader& header) {
    header = JpegHeader();
    JpegDecodeResult result = with_decompressor(
        path, [&header](jpeg_decompress_struct& cinfo) { return read_markers(cinfo, header); });
    if (result != JpegDecodeResult::Decoded)
        header = JpegHeader();
    return result;
}
