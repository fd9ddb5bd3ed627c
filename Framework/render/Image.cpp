// Image: buffers, format detection, and the file reading and writing around
// the per-format decoders (ImageTga.cpp, ImageJpeg.cpp, ImagePng.cpp,
// ImageDelta.cpp).
#include "render/Image.h"

#include "core/Log.h"
#include "io/File.h"
#include "io/LooseFile.h"
#include "platform/AtomicWrite.h"
#include "render/ImageDecoders.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr size_t kJfifOffset = 6;
constexpr uint8_t kPngSignature[4] = {0x89, 'P', 'N', 'G'};

const char* LabelOf(const char* name) {
    return name && name[0] ? name : "(memory)";
}

bool FooterIs(const uint8_t* data, size_t size, const char* signature) {
    return size >= kFooterLength &&
           std::memcmp(data + size - kFooterLength, signature, kFooterSignatureLength) == 0;
}

/// The whole file through the file layer (the pack archive first, then loose files).
bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    File file;
    if (!file.Open(path, kFileRead | kFileBinary)) {
        LogImageFailure(path, "cannot open the file");
        return false;
    }
    const long length = file.Length();
    if (length < 0 || uint64_t(length) > Image::kMaxFileBytes) {
        LogImageFailure(path, "unusable file length %ld", length);
        return false;
    }
    bytes.resize(size_t(length));
    if (length > 0 && !file.Read(bytes.data(), bytes.size())) {
        LogImageFailure(path, "short read (%ld bytes expected)", length);
        return false;
    }
    return true;
}

/// Replaces the loose file `path` with `bytes` as a whole (a temporary file
/// renamed over it), so that a save cut short by a crash leaves the earlier
/// picture rather than part of the new one.
bool WriteWholeFile(const char* path, const std::vector<uint8_t>& bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!WriteFileAtomically(ToSystemPath(path).CStr(), text)) {
        LogImageFailure(path, "cannot write the file; any earlier file is kept");
        return false;
    }
    return true;
}

} // namespace

void LogImageFailure(const char* name, const char* format, ...) {
    char reason[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    LogFormat("Image: %s: %s", LabelOf(name), reason);
}

bool CheckDecodedSize(const Image& image, const char* name, uint64_t width, uint64_t height) {
    if (width == 0 || height == 0) {
        LogImageFailure(name, "empty picture (%llu x %llu)", (unsigned long long)width,
                        (unsigned long long)height);
        return false;
    }
    if (width * height > Image::kMaxDecodedPixels) {
        LogImageFailure(name, "picture too large (%llu x %llu pixels)", (unsigned long long)width,
                        (unsigned long long)height);
        return false;
    }
    const uint32_t limit = image.SideLimit();
    if (limit > 0 && (width > limit || height > limit)) {
        LogImageFailure(name, "%llu x %llu pixels: larger than the %u pixels a side it can be drawn at",
                        (unsigned long long)width, (unsigned long long)height, limit);
        return false;
    }
    return true;
}

ImageFormat DetectImageFormat(const uint8_t* data, size_t size) {
    if (!data) {
        return ImageFormat::Unknown;
    }
    if (FooterIs(data, size, kTgaFooterSignature)) {
        return ImageFormat::Tga;
    }
    if (FooterIs(data, size, kDeltaFooterSignature)) {
        return ImageFormat::Delta;
    }
    if (size >= kJfifOffset + 4 && std::memcmp(data + kJfifOffset, "JFIF", 4) == 0) {
        return ImageFormat::Jpeg;
    }
    // Start of image followed by any marker: JPEG files whose first segment is
    // Exif (cameras), Adobe or a comment rather than JFIF.
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        return ImageFormat::Jpeg;
    }
    if (size >= sizeof kPngSignature && std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0) {
        return ImageFormat::Png;
    }
    return ImageFormat::Unknown;
}

uint64_t Image::decodedBytesTotal = 0;

bool Image::Load(const char* path) {
    Release();
    std::vector<uint8_t> bytes;
    if (!path || !ReadWholeFile(path, bytes)) {
        return false;
    }
    return LoadFromMemory(bytes.data(), bytes.size(), path);
}

bool Image::LoadFromMemory(const uint8_t* data, size_t size, const char* name) {
    Release();
    const ImageFormat detected = DetectImageFormat(data, size);
    bool decoded = false;
    switch (detected) {
    case ImageFormat::Tga:
        decoded = DecodeTga(data, size, name, *this);
        break;
    case ImageFormat::Jpeg:
        decoded = DecodeJpeg(data, size, name, *this);
        break;
    case ImageFormat::Png:
        decoded = DecodePng(data, size, name, *this);
        break;
    case ImageFormat::Delta:
        decoded = DecodeDelta(data, size, name, *this);
        break;
    case ImageFormat::Unknown:
        LogImageFailure(name, "unknown image format (%zu bytes)", size);
        break;
    }
    if (!decoded) {
        Release();
        return false;
    }
    format = detected;
    decodedBytesTotal += pixelBytes;
    return true;
}

bool Image::Create(uint32_t newWidth, uint32_t newHeight) {
    Release();
    const uint64_t count = uint64_t(newWidth) * newHeight;
    if (count >= kMaxCreatePixels) {
        return false;
    }
    const size_t bytes = size_t(count) * 4;
    pixels.reset(new (std::nothrow) uint8_t[bytes]);
    if (!pixels) {
        return false;
    }
    pixelBytes = bytes;
    width = newWidth;
    height = newHeight;
    bitsPerPixel = 32;
    return true;
}

bool Image::SaveTga(const char* path) const {
    std::vector<uint8_t> bytes;
    if (!path || !EncodeTga(*this, bytes)) {
        LogImageFailure(path, "only a 32-bit picture of 1 to 65535 pixels per side can be saved as TGA");
        return false;
    }
    return WriteWholeFile(path, bytes);
}

bool Image::ExpandDelta() {
    if (!sparse) {
        return pixels != nullptr;
    }
    const uint64_t count = uint64_t(width) * height;
    if (count >= kMaxCreatePixels) {
        return false;
    }
    std::unique_ptr<uint8_t[]> picture(new (std::nothrow) uint8_t[size_t(count) * 4]());
    if (!picture) {
        return false;
    }
    // Entries were checked against the picture when the file was read.
    const uint8_t* entry = pixels.get();
    for (uint32_t i = 0; i < bitsPerPixel; ++i, entry += 8) {
        const uint32_t x = uint32_t(entry[0]) | uint32_t(entry[1]) << 8;
        const uint32_t y = uint32_t(entry[2]) | uint32_t(entry[3]) << 8;
        std::memcpy(picture.get() + (size_t(y) * width + x) * 4, entry + 4, 4);
    }
    pixels = std::move(picture);
    pixelBytes = size_t(count) * 4;
    bitsPerPixel = 32;
    sparse = false;
    return true;
}

void Image::Release() {
    pixels.reset();
    pixelBytes = 0;
    width = 0;
    height = 0;
    bitsPerPixel = 0;
    format = ImageFormat::Unknown;
    mask.clear();
    mask.shrink_to_fit();
    sparse = false;
}

uint8_t* Image::PixelAt(uint32_t x, uint32_t y) {
    return const_cast<uint8_t*>(static_cast<const Image*>(this)->PixelAt(x, y));
}

const uint8_t* Image::PixelAt(uint32_t x, uint32_t y) const {
    if (sparse || !pixels || x >= width || y >= height) {
        return nullptr;
    }
    return pixels.get() + (size_t(y) * width + x) * 4;
}
