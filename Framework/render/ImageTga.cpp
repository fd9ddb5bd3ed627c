// TGA reader and writer.
//
// A TGA file begins with an 18-byte header (numbers little-endian):
//    0  image-ID length          1  colour-map type (1: a colour map follows the ID)
//    2  image type: 2 true colour, 10 run-length-encoded true colour
//    3  first colour-map entry (16 bits)   5  colour-map length (16 bits)
//    7  colour-map entry size in bits
//    8  x origin, 10 y origin (16 bits each, not used)
//   12  width, 14 height (16 bits each)
//   16  bits per pixel: 32, 24 or 16
//   17  descriptor: bits 0-3 alpha bits, bit 5 set when rows are stored top row first
// then the image ID, the colour map, and the pixels, bottom row first unless
// the descriptor says otherwise. Version-2 files end with a footer
// whose signature "TRUEVISION-XFILE" starts 18 bytes before the end (in the
// standard form preceded by two offsets and followed by "." and 0); only files
// with it are recognised as TGA, and pixel data never extends into it.
//
// Pixels: 32 bits are blue, green, red, alpha; 24 bits blue, green, red
// (opaque); 16 bits one word of four 4-bit fields, red in bits 12-15, green
// 8-11, blue 4-7 and alpha 0-3, each field v giving the byte v*17 (the layout
// the game's own tools write for 16-bit pictures).
//
// Run-length data is a sequence of packets: a byte whose bit 7 says "repeat"
// and whose low 7 bits hold count - 1, followed by one pixel to repeat count
// times, or by count literal pixels. Packets may run from one row into the next.
//
// Files with an ID length of 0, no colour map, type 2 and a bottom-up
// descriptor are the files every TGA reader agrees on; the other fields are
// honoured so that files from common paint tools load the right way up and
// unshifted.
#include "core/Log.h"
#include "render/ImageDecoders.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kHeaderLength = 18;
constexpr uint8_t kTypeTrueColour = 2;
constexpr uint8_t kTypeRunLengthTrueColour = 10;
constexpr uint8_t kDescriptorTopFirst = 0x20;
constexpr uint32_t kMaxRunPixels = 128;
constexpr uint32_t kMaxTgaSide = 65535;
constexpr size_t kStandardFooterLength = 26;

struct TgaHeader {
    uint8_t idLength;
    uint8_t colourMapType;
    uint8_t imageType;
    uint16_t colourMapLength;
    uint8_t colourMapEntryBits;
    uint16_t width;
    uint16_t height;
    uint8_t bitsPerPixel;
    uint8_t descriptor;
};

uint16_t ReadLe16(const uint8_t* bytes) {
    return uint16_t(bytes[0] | bytes[1] << 8);
}

void WriteLe16(uint8_t* bytes, uint32_t value) {
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
}

TgaHeader ReadHeader(const uint8_t* data) {
    return TgaHeader{
        .idLength = data[0],
        .colourMapType = data[1],
        .imageType = data[2],
        .colourMapLength = ReadLe16(data + 5),
        .colourMapEntryBits = data[7],
        .width = ReadLe16(data + 12),
        .height = ReadLe16(data + 14),
        .bitsPerPixel = data[16],
        .descriptor = data[17],
    };
}

/// Converts `count` file pixels of `bytesPerPixel` bytes into blue, green, red, alpha.
void ConvertPixels(const uint8_t* in, uint8_t* out, size_t count, size_t bytesPerPixel) {
    if (bytesPerPixel == 4) {
        std::memcpy(out, in, count * 4);
        return;
    }
    for (size_t i = 0; i < count; ++i, out += 4) {
        if (bytesPerPixel == 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
            in += 3;
        } else {
            const uint16_t word = ReadLe16(in);
            out[0] = uint8_t(((word >> 4) & 15) * 17);
            out[1] = uint8_t(((word >> 8) & 15) * 17);
            out[2] = uint8_t(((word >> 12) & 15) * 17);
            out[3] = uint8_t((word & 15) * 17);
            in += 2;
        }
    }
}

/// Expands run-length packets from [in, end) into exactly `total` bytes of
/// file-order pixels; false when the data ends first.
bool ExpandRuns(const uint8_t* in, const uint8_t* end, uint8_t* out, size_t total, size_t bytesPerPixel) {
    size_t written = 0;
    while (written < total) {
        if (in >= end) {
            return false;
        }
        const uint8_t packet = *in++;
        const size_t count = size_t(packet & 0x7F) + 1;
        // A packet that runs past the last pixel is cut at the end of the picture.
        const size_t bytes = std::min(count * bytesPerPixel, total - written);
        if (packet & 0x80) {
            if (size_t(end - in) < bytesPerPixel) {
                return false;
            }
            for (size_t i = 0; i < bytes; ++i) {
                out[written + i] = in[i % bytesPerPixel];
            }
            in += bytesPerPixel;
        } else {
            if (size_t(end - in) < bytes) {
                return false;
            }
            std::memcpy(out + written, in, bytes);
            in += bytes;
        }
        written += bytes;
    }
    return true;
}

/// Converts file-order rows into the image, flipping bottom-up files.
void StoreRows(const uint8_t* filePixels, size_t bytesPerPixel, bool topFirst, Image& image) {
    const uint32_t width = image.Width();
    const uint32_t height = image.Height();
    for (uint32_t row = 0; row < height; ++row) {
        const uint32_t target = topFirst ? row : height - 1 - row;
        ConvertPixels(filePixels + size_t(row) * width * bytesPerPixel, image.PixelAt(0, target), width,
                      bytesPerPixel);
    }
}

/// Where the pixel data must end: before the footer when there is one. The
/// standard footer (signature, ".", 0) is preceded by two 32-bit offsets of
/// optional extension areas; the footer our own writer puts ends with two zero
/// bytes instead and has no offsets.
size_t EndOfPixelArea(const uint8_t* data, size_t size) {
    if (size < kHeaderLength + kFooterLength ||
        std::memcmp(data + size - kFooterLength, kTgaFooterSignature, kFooterSignatureLength) != 0) {
        return size;
    }
    const bool standard = data[size - 2] == '.' && data[size - 1] == 0;
    if (standard && size >= kHeaderLength + kStandardFooterLength) {
        return size - kStandardFooterLength;
    }
    return size - kFooterLength;
}

bool CheckHeader(const TgaHeader& header, const Image& image, const char* name) {
    if (header.imageType != kTypeTrueColour && header.imageType != kTypeRunLengthTrueColour) {
        LogImageFailure(name, "unsupported TGA image type %u (true colour 2 and 10 are read)",
                        unsigned(header.imageType));
        return false;
    }
    if (header.bitsPerPixel != 16 && header.bitsPerPixel != 24 && header.bitsPerPixel != 32) {
        LogImageFailure(name, "unsupported TGA depth of %u bits per pixel", unsigned(header.bitsPerPixel));
        return false;
    }
    return CheckDecodedSize(image, name, header.width, header.height);
}

} // namespace

bool DecodeTga(const uint8_t* data, size_t size, const char* name, Image& image) {
    image.Release();
    if (!data || size < kHeaderLength) {
        LogImageFailure(name, "too short for a TGA header (%zu bytes)", size);
        return false;
    }
    const TgaHeader header = ReadHeader(data);
    if (!CheckHeader(header, image, name)) {
        return false;
    }
    const size_t colourMapBytes =
        header.colourMapType ? size_t(header.colourMapLength) * ((header.colourMapEntryBits + 7u) / 8u) : 0;
    const size_t start = kHeaderLength + header.idLength + colourMapBytes;
    const size_t end = EndOfPixelArea(data, size);
    if (start > end) {
        LogImageFailure(name, "TGA image ID and colour map run past the end of the file");
        return false;
    }
    const size_t bytesPerPixel = header.bitsPerPixel / 8u;
    const size_t pixelCount = size_t(header.width) * header.height;
    const size_t fileBytes = pixelCount * bytesPerPixel;
    const size_t available = end - start;
    const bool runLength = header.imageType == kTypeRunLengthTrueColour;
    // Every run-length packet of 1 + bytesPerPixel bytes yields at most 128 pixels.
    const size_t packetsAtMost = (available + bytesPerPixel) / (1 + bytesPerPixel);
    const bool enoughData = runLength ? pixelCount <= packetsAtMost * kMaxRunPixels : fileBytes <= available;
    if (!enoughData) {
        LogImageFailure(name, "truncated TGA pixel data (%zu bytes for %u x %u pixels)", available,
                        unsigned(header.width), unsigned(header.height));
        return false;
    }
    if (!image.Create(header.width, header.height)) {
        LogImageFailure(name, "out of memory for %u x %u pixels", unsigned(header.width),
                        unsigned(header.height));
        return false;
    }
    const bool topFirst = header.descriptor & kDescriptorTopFirst;
    if (!runLength) {
        StoreRows(data + start, bytesPerPixel, topFirst, image);
        return true;
    }
    std::vector<uint8_t> expanded(fileBytes);
    if (!ExpandRuns(data + start, data + end, expanded.data(), fileBytes, bytesPerPixel)) {
        LogImageFailure(name, "truncated TGA run-length data");
        image.Release();
        return false;
    }
    StoreRows(expanded.data(), bytesPerPixel, topFirst, image);
    return true;
}

bool EncodeTga(const Image& image, std::vector<uint8_t>& out) {
    out.clear();
    const uint32_t width = image.Width();
    const uint32_t height = image.Height();
    if (image.IsSparse() || image.BitsPerPixel() != 32 || !image.Pixels() || width == 0 || height == 0 ||
        width > kMaxTgaSide || height > kMaxTgaSide || image.PixelBytes() != size_t(width) * height * 4) {
        return false;
    }
    const size_t rowBytes = size_t(width) * 4;
    out.assign(kHeaderLength + rowBytes * height + kFooterLength, 0);
    uint8_t* header = out.data();
    header[2] = kTypeTrueColour;
    WriteLe16(header + 12, width);
    WriteLe16(header + 14, height);
    header[16] = 32;
    header[17] = 8; // 8 alpha bits, bottom row first
    uint8_t* rows = header + kHeaderLength;
    for (uint32_t row = 0; row < height; ++row) {
        std::memcpy(rows + size_t(row) * rowBytes, image.PixelAt(0, height - 1 - row), rowBytes);
    }
    std::memcpy(rows + rowBytes * height, kTgaFooterSignature, kFooterSignatureLength);
    return true;
}
