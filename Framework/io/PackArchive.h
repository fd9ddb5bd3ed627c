#pragma once
// The pack archive: one file holding many read-only entries, searched before
// loose files while it is open. One archive is open per process.
//
// Layout (integers little-endian):
//   u32 N                      number of directory records
//   N records, back to back:   u8 L, L name bytes (no terminator),
//                              u32 offset of the data from the start of the file,
//                              u32 size of the data
//   entry data, raw, anywhere after the directory, in any order
//
// Names are relative paths (gui/options.scene). On reading, each name is
// lower-cased and its backslashes become slashes; the directory is then sorted
// byte-wise, so lookups are exact binary searches on normalised paths.
//
// The directory is untrusted: a count that cannot fit in the file, a record
// running past the end, entry data outside the file, or two names that are
// equal once normalised rejects the whole archive with one log line, and the
// game runs from loose files. Every entry of an open archive therefore lies
// wholly inside the file and answers to exactly one path.
//
// Bytes that no record points at are never read: the pack tool keeps a table
// of checksums there, after the data, which the engine does not need.

#include "core/String.h"

#include <cstdint>
#include <cstdio>
#include <vector>

struct PackEntry {
    uint32_t offset = 0; ///< absolute, from the start of the archive file
    uint32_t size = 0;
    String name; ///< normalised: lower-case, forward slashes
};

/// Lower-cases A..Z and turns backslashes into slashes, in place.
void NormalisePackName(String& name);

/// Reads the directory records of an archive of `fileSize` bytes from
/// `stream`, which stands at the start of the file, normalising the names and
/// keeping the records' order, without judging the entries. False with
/// `reason` set when the directory itself cannot be read (the count cannot
/// fit, a record runs past the end); `directoryEnd` is the byte after the
/// last record.
bool ReadPackRecords(FILE* stream, uint64_t fileSize, std::vector<PackEntry>& entries, uint64_t& directoryEnd,
                     String& reason);
/// Every fault of the records (in file order) for which the engine refuses an
/// archive: entry data outside the file, two names equal once normalised.
/// One short phrase per fault, naming the entries by record number.
std::vector<String> PackEntryFaults(const std::vector<PackEntry>& records, uint64_t fileSize);

/// Reads the directory as the engine uses it: the records, refused when
/// PackEntryFaults finds anything, then sorted by name. False with `reason`
/// set (the first fault, and how many more) when the directory is damaged;
/// `entries` is then empty.
bool ReadPackDirectory(FILE* stream, uint64_t fileSize, std::vector<PackEntry>& entries, String& reason);

/// Opens `path` as the archive, replacing any open one. False, with no archive
/// open, when the file cannot be opened (not logged: running from loose files
/// is normal) or its directory is damaged (logged).
bool OpenArchive(const char* path);
/// The same without logging: on failure `reason` tells why (the system's
/// reason when the file cannot be opened; the directory's fault, with
/// `damaged` set, when it was refused).
bool TryOpenArchive(const char* path, String& reason, bool& damaged);
/// Frees the directory and closes the stream; harmless when none is open.
void CloseArchive();

bool IsArchiveOpen();
/// The entry stored under `normalisedName`, or null.
const PackEntry* FindArchiveEntry(const char* normalisedName);
/// The directory in byte-wise name order (empty when no archive is open).
const std::vector<PackEntry>& ArchiveEntries();
/// The archive's shared stream (null when none is open). Every reader
/// positions it before reading.
FILE* ArchiveStream();
/// Changes whenever an archive is opened or closed, so that a PackedFile made
/// for an earlier archive refuses to read from a later one.
uint32_t ArchiveGeneration();
