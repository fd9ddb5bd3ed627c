#pragma once
// What the pack tool adds to the engine's archive layout, and helpers its
// reader and writer share.
//
// Checksum table. After the last byte of entry data the writer appends, at
// the very end of the file, a table that no directory record points at, so
// the engine never reads it (integers little-endian):
//
//   u32 CRC-32 of the directory (byte 0 up to the end of the last record)
//   N x u32 CRC-32 of each entry's data, in directory record order
//   u32 N
//   8 bytes "PACKSUM1"
//
// An archive without the table (made by an older tool, or by hand) is still
// a good archive; `pack verify` then says that the entries' bytes could not
// be checked.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr char kChecksumTag[] = "PACKSUM1";
constexpr size_t kChecksumTagBytes = 8;

/// CRC-32 (the zlib polynomial) of `size` bytes, continuing from `crc`.
uint32_t Crc32(uint32_t crc, const void* bytes, size_t size);

/// The checksum table's bytes for a directory with CRC `directoryCrc` and the
/// entries' CRCs in record order.
std::string ChecksumTable(uint32_t directoryCrc, const std::vector<uint32_t>& entryCrcs);
/// Bytes the checksum table of `count` entries takes.
uint64_t ChecksumTableBytes(uint64_t count);

void PutLittleEndian32(std::string& out, uint64_t value);
uint32_t GetLittleEndian32(const unsigned char* bytes);

/// `text` made safe to print on a terminal: control characters (C0, DEL and
/// the C1 range), bytes that are not UTF-8 and the backslash itself become
/// \xHH (the backslash \\), so a name can neither move the cursor, change
/// colours or the window title, nor pass for another name.
std::string Printable(std::string_view text);

/// The system's reason for the last failed call (strerror of errno).
std::string SystemReason();
