#pragma once
// Writing pack archives (the layout is described in io/PackArchive.h).
//
// Every regular file below the source folder becomes one entry, named by its
// path relative to the folder with forward slashes, lower-cased and with
// backslashes turned into slashes, exactly as the engine looks names up.
// Entries are stored in byte-wise name order, the data right after the
// directory in the same order, with no timestamps or padding: the same folder
// always gives a byte-identical archive.

#include <cstdint>
#include <string>

struct PackLimits {
    /// Offsets and sizes are unsigned 32-bit: the whole archive must fit below 4 GiB.
    uint64_t maxArchiveBytes = UINT32_MAX;
    /// The engine's read position is signed 32-bit, so one entry is at most 2 GiB - 1.
    uint64_t maxEntryBytes = INT32_MAX;
};

/// Builds `output` from every file below `directory`. The archive is written
/// to a temporary file beside `output` and renamed over it, so a failure never
/// leaves a partial archive. False with a one-line `error` when a name is
/// longer than 255 bytes, two files fold to the same name, a limit is passed,
/// or a file cannot be read or written.
bool PackCreate(const std::string& directory, const std::string& output, std::string& error,
                const PackLimits& limits = PackLimits{});
