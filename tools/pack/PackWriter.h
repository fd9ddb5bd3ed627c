#pragma once
// Writing pack archives (the layout is described in io/PackArchive.h, the
// checksum table appended after the data in PackFormat.h).
//
// Every regular file below the source folder becomes one entry, named by its
// path relative to the folder with forward slashes, lower-cased and with
// backslashes turned into slashes, exactly as the engine looks names up.
// Entries are stored in byte-wise name order, the data right after the
// directory in the same order, then the checksum table, with no timestamps or
// padding: the same folder always gives a byte-identical archive.
//
// What is packed is only what the author meant to publish:
// - hidden and editor files and folders (a name starting with ".", ending
//   with "~", ".swp" or ".swo", or "#name#") are skipped and counted, unless
//   asked for;
// - a symbolic link to a file inside the folder is stored as that file under
//   the link's name; a link that leads out of the folder, a dangling link, a
//   link to a folder and anything that is neither file nor folder (device,
//   pipe, socket) refuse the whole archive, each named in the error.

#include <cstdint>
#include <string>

struct PackLimits {
    /// Offsets and sizes are unsigned 32-bit: the whole archive must fit below 4 GiB.
    uint64_t maxArchiveBytes = UINT32_MAX;
    /// The engine's read position is signed 32-bit, so one entry is at most 2 GiB - 1.
    uint64_t maxEntryBytes = INT32_MAX;
};

struct PackCreateOptions {
    bool includeHidden = false; ///< pack hidden and editor files too
    PackLimits limits;
};

struct PackCreateResult {
    uint64_t entries = 0;
    uint64_t dataBytes = 0;
    uint64_t skippedHidden = 0; ///< hidden or editor files and folders left out
};

/// True for the names of hidden and editor files that are skipped by default.
bool IsHiddenOrEditorName(const std::string& name);

/// Builds `output` from the files below `directory`. The archive is written
/// to a new hidden file beside `output` and renamed over it, so a failure
/// never leaves a partial archive; an `output` that exists and is not a
/// regular file (a folder, a link, a device) is refused. False with `error`
/// (one line per problem, each naming the path as the user gave it and the
/// system's reason where there is one) when a name is longer than 255 bytes,
/// two files fold to the same name, a limit is passed, a link or special
/// file is refused, or a file cannot be read or written.
bool PackCreate(const std::string& directory, const std::string& output, const PackCreateOptions& options,
                PackCreateResult& result, std::string& error);
/// The same with the default options.
bool PackCreate(const std::string& directory, const std::string& output, std::string& error,
                const PackLimits& limits = PackLimits{});
