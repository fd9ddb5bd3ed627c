#pragma once
// The per-format image decoders behind Image::Load, and the TGA encoder
// behind Image::SaveTga. Each decoder reads a whole file from memory, treats
// every byte as untrusted, and on failure logs one line naming `name` and the
// reason, leaves `image` empty and returns false. They do not set the
// image's format; Image::LoadFromMemory does, after detection.

#include "render/Image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// The footer signature that marks a version-2 TGA file, 18 bytes before its end.
constexpr char kTgaFooterSignature[] = "TRUEVISION-XFILE";
/// The footer signature of a delta file, at the same place.
constexpr char kDeltaFooterSignature[] = "VARNO-DELTA-FILE";
/// Both signatures are 16 bytes and start this many bytes before the end of the file.
constexpr size_t kFooterSignatureLength = 16;
constexpr size_t kFooterLength = 18;

bool DecodeTga(const uint8_t* data, size_t size, const char* name, Image& image);
bool DecodeJpeg(const uint8_t* data, size_t size, const char* name, Image& image);
bool DecodePng(const uint8_t* data, size_t size, const char* name, Image& image);
bool DecodeDelta(const uint8_t* data, size_t size, const char* name, Image& image);

/// The bytes of `image` as a TGA file (see Image::SaveTga); false, `out`
/// empty, for an image that cannot be written.
bool EncodeTga(const Image& image, std::vector<uint8_t>& out);

/// Logs "Image: <name>: <reason>" (printf-style reason).
void LogImageFailure(const char* name, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// True when a decoded picture of this size is allowed (1..kMaxDecodedPixels
/// pixels, and no side longer than the image's side limit); otherwise logs
/// why not. Called with the header's size, before any pixel is allocated.
bool CheckDecodedSize(const Image& image, const char* name, uint64_t width, uint64_t height);
