// JPEG reader, through libjpeg on the file's bytes in memory.
//
// A JPEG file is a sequence of marker segments (FF xx, most with a 16-bit
// big-endian length) from start-of-image (FF D8) to end-of-image (FF D9);
// libjpeg parses it all. libjpeg-turbo converts colour and greyscale files
// straight into blue, green, red and alpha 255 (JCS_EXT_BGRA), rows top first.
//
// Errors: libjpeg's error_exit must not return. Ours logs the library's
// message and longjmps back to the one function that called setjmp, whose
// caller then destroys the decompressor. A file that ends before its picture
// does is only a warning to libjpeg (it pads the rest with grey); we fail it,
// as we fail every truncated image. Files with absurdly many scans are
// refused too, since each scan of a progressive file re-reads the whole picture.
#include "core/Log.h"
#include "render/ImageDecoders.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr int kMaxScans = 1000;
constexpr JDIMENSION kRowsPerRead = 16;

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    const char* name;
    bool truncated;
};

/// Everything the decode touches after setjmp lives here, in the caller's
/// frame, so nothing local to the setjmp function is left indeterminate by a longjmp.
struct JpegDecoder {
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    jpeg_progress_mgr progress;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    LogImageFailure(errors->name, "JPEG decoder: %s", message);
    std::longjmp(errors->jump, 1);
}

void OnJpegMessage(j_common_ptr info, int level) {
    // Level -1 is a warning; the others are trace messages.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        reinterpret_cast<JpegErrorManager*>(info->err)->truncated = true;
    }
}

void OnJpegProgress(j_common_ptr info) {
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
        LogImageFailure(errors->name, "JPEG file has more than %d scans", kMaxScans);
        std::longjmp(errors->jump, 1);
    }
}

bool ReadScanlines(JpegDecoder& decoder, Image& image) {
    jpeg_decompress_struct& info = decoder.info;
    const size_t stride = size_t(info.output_width) * 4;
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[kRowsPerRead];
        const JDIMENSION wanted = std::min(kRowsPerRead, info.output_height - info.output_scanline);
        for (JDIMENSION i = 0; i < wanted; ++i) {
            rows[i] = image.Pixels() + (info.output_scanline + i) * stride;
        }
        if (jpeg_read_scanlines(&info, rows, wanted) == 0 || decoder.errors.truncated) {
            return false;
        }
    }
    return true;
}

/// The only function that calls setjmp; a longjmp back returns false.
bool RunDecode(JpegDecoder& decoder, const uint8_t* data, size_t size, Image& image) {
    if (setjmp(decoder.errors.jump)) {
        return false;
    }
    jpeg_decompress_struct& info = decoder.info;
    const char* name = decoder.errors.name;
    jpeg_create_decompress(&info);
    info.progress = &decoder.progress;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (!CheckDecodedSize(image, name, info.image_width, info.image_height)) {
        return false;
    }
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    if (info.output_components != 4 || info.output_width != info.image_width ||
        info.output_height != info.image_height) {
        LogImageFailure(name, "JPEG decoder gave an unexpected output layout");
        return false;
    }
    if (decoder.errors.truncated) {
        LogImageFailure(name, "truncated JPEG data");
        return false;
    }
    if (!image.Create(info.output_width, info.output_height)) {
        LogImageFailure(name, "out of memory for %u x %u pixels", info.output_width, info.output_height);
        return false;
    }
    if (!ReadScanlines(decoder, image)) {
        LogImageFailure(name, "truncated JPEG data");
        return false;
    }
    return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, const char* name, Image& image) {
    image.Release();
    if (!data || size == 0) {
        LogImageFailure(name, "empty JPEG file");
        return false;
    }
    JpegDecoder decoder;
    std::memset(&decoder, 0, sizeof decoder);
    decoder.info.err = jpeg_std_error(&decoder.errors.base);
    decoder.errors.base.error_exit = OnJpegError;
    decoder.errors.base.emit_message = OnJpegMessage;
    decoder.errors.name = name;
    decoder.progress.progress_monitor = OnJpegProgress;
    const bool decoded = RunDecode(decoder, data, size, image);
    // Safe also when creation never happened: the memory manager is then null.
    jpeg_destroy_decompress(&decoder.info);
    if (!decoded) {
        image.Release();
    }
    return decoded;
}
