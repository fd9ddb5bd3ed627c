#pragma once
// Reading pack archives for the pack tool: listing, extracting, verifying.
//
// The directory is read with the engine's own reader and judged by the
// engine's own rules (every entry inside the file, no two names equal once
// normalised), so an archive the tool accepts is one the engine accepts. On
// top of those, extract and verify apply the rules of writing entries to a
// folder: a name must be relative, without "..", "." or empty parts and
// without NUL bytes, and no entry may be a folder of another. Verify and
// extract report every problem they find, one line each, and check the
// entries' bytes against the checksum table when the archive has one.
//
// Every name printed is passed through Printable (PackFormat.h).

#include <string>

/// One line per entry, in directory order: the printable name, a tab, the
/// size in bytes. Fails, like the engine, on a damaged directory.
bool PackList(const std::string& pack, std::string& listing, std::string& error);

/// Writes every entry below `directory`. Nothing is created before every
/// check has passed: the archive's (as verify), and, when `directory` exists,
/// that no part of an entry's path below it is a link or a file where a
/// folder is needed and that no file would be replaced. The entries are
/// written into a hidden folder beside `directory` and moved into place;
/// on any failure everything written is removed again.
bool PackExtract(const std::string& pack, const std::string& directory, std::string& error);

/// Checks the archive by every rule above and its checksums; `summary` tells
/// the entry count, the data bytes and what the checksums said. False with
/// every problem in `error`, one per line.
bool PackVerify(const std::string& pack, std::string& summary, std::string& error);
