#pragma once
// Image: a picture decoded into memory from a TGA, JPEG, PNG or delta file.
//
// Pixel layout: 4 bytes per pixel in the order blue, green, red, alpha,
// 8 bits each; rows are stored top row first with no padding between rows.
// This is the layout OpenGL takes as GL_BGRA / GL_UNSIGNED_BYTE. The file
// format is found from the file's content, never from its name
// (DetectImageFormat).
//
// A delta image is sparse: right after loading, its buffer holds an entry
// list instead of a picture, 8 bytes per listed pixel: a little-endian 32-bit
// word with y (counted from the top) in the high and x in the low 16 bits,
// then the pixel's 4 bytes. BitsPerPixel() then holds the number of entries,
// and the mask has one bit per pixel of the picture: bit (y*width+x) mod 8 of
// byte (y*width+x) div 8, least significant bit first. ExpandDelta turns it
// into a full picture that is transparent wherever the file lists nothing.
//
// The image owns its buffers. Images are short-lived: the resource manager
// decodes one, copies its pixels into a sprite or texture and destroys it.

#include "core/Object.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

/// What a file holds, from its content: 0 unknown, 1 TGA, 2 JPEG, 3 PNG, 4 delta.
enum class ImageFormat : uint8_t { Unknown = 0, Tga = 1, Jpeg = 2, Png = 3, Delta = 4 };

/// The format of the file whose bytes are `data`, tested in this order:
/// the 16 bytes starting 18 bytes before the end are "TRUEVISION-XFILE" (TGA)
/// or "VARNO-DELTA-FILE" (delta); "JFIF" at offset 6, or a JPEG start-of-image
/// marker followed by another marker (FF D8 FF, e.g. camera files that carry
/// Exif instead of JFIF), gives JPEG; 0x89 "PNG" at offset 0 gives PNG.
/// Unknown otherwise, also for files too short to hold the tested bytes.
ImageFormat DetectImageFormat(const uint8_t* data, size_t size);

class Image : public Object {
    ENGINE_CLASS(Image, Object)

public:
    /// Create refuses sizes of this many pixels (width × height) or more.
    static constexpr uint64_t kMaxCreatePixels = uint64_t(1) << 30;
    /// The decoders refuse pictures of more pixels than this (8192 × 8192),
    /// so that a small damaged header cannot make us allocate gigabytes.
    static constexpr uint64_t kMaxDecodedPixels = uint64_t(1) << 26;
    /// Image::Load refuses files larger than this.
    static constexpr uint64_t kMaxFileBytes = uint64_t(512) << 20;

    /// Reads the whole file, detects its format and decodes it. On any failure
    /// (missing file, unknown format, bad header, truncated data) logs one line
    /// naming the file and the reason, returns false and leaves the image empty.
    bool Load(const char* path);
    /// Load on bytes already in memory; `name` only labels log lines.
    bool LoadFromMemory(const uint8_t* data, size_t size, const char* name);
    /// Makes the following loads refuse, before decoding, pictures with a
    /// side longer than `pixels` (0: no limit but kMaxDecodedPixels). For
    /// pictures that could never be drawn at their size, such as sprites'.
    void LimitSides(uint32_t pixels) { sideLimit = pixels; }
    uint32_t SideLimit() const { return sideLimit; }
    /// Bytes of pixels every successful load of this process decoded, so
    /// long work (the preload) can bound what it decodes.
    static uint64_t DecodedBytesTotal() { return decodedBytesTotal; }

    /// Releases the old buffers and allocates width × height × 4 bytes (contents
    /// undefined), bitsPerPixel 32. False, image empty, when width × height is
    /// kMaxCreatePixels or more or the allocation fails.
    bool Create(uint32_t width, uint32_t height);

    /// Writes an uncompressed 32-bit TGA, bottom row first, with the version-2
    /// footer signature. Only full 32-bit pictures of 1..65535 pixels per side
    /// can be written; anything else, or a failed write, returns false (and a
    /// half-written file is removed).
    bool SaveTga(const char* path) const;

    /// Turns a loaded delta image into a full picture: listed pixels as read,
    /// every other pixel 0 (transparent black). The mask and the format are kept.
    /// True when the image is a full picture afterwards (also when it already was).
    bool ExpandDelta();

    /// Frees both buffers; size, bitsPerPixel and format become 0.
    void Release();

    uint32_t Width() const { return width; }
    uint32_t Height() const { return height; }
    /// 32 for a picture; the number of entries for a delta image not yet expanded.
    uint32_t BitsPerPixel() const { return bitsPerPixel; }
    ImageFormat Format() const { return format; }
    /// True while the buffer holds a delta entry list instead of a picture.
    bool IsSparse() const { return sparse; }
    /// The buffer: width × height × 4 pixel bytes, or the entry list when sparse.
    uint8_t* Pixels() { return pixels.get(); }
    const uint8_t* Pixels() const { return pixels.get(); }
    size_t PixelBytes() const { return pixelBytes; }
    /// The 4 bytes of pixel (x, y), or null outside the picture or when sparse.
    uint8_t* PixelAt(uint32_t x, uint32_t y);
    const uint8_t* PixelAt(uint32_t x, uint32_t y) const;
    /// Delta coverage bitmap; empty for other formats.
    const std::vector<uint8_t>& Mask() const { return mask; }

private:
    friend bool DecodeDelta(const uint8_t* data, size_t size, const char* name, Image& image);

    std::unique_ptr<uint8_t[]> pixels;
    size_t pixelBytes = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 0;
    ImageFormat format = ImageFormat::Unknown;
    std::vector<uint8_t> mask;
    bool sparse = false;
    uint32_t sideLimit = 0;
    static uint64_t decodedBytesTotal;
};
