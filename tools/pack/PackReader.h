#pragma once
// Reading pack archives for the pack tool: listing, extracting, verifying.
//
// The directory is read with the engine's own reader, so an archive the tool
// accepts is one the engine accepts: every entry lies inside the file.

#include <string>

/// One line per entry, in directory order: name, a tab, the size in bytes.
bool PackList(const std::string& pack, std::string& listing, std::string& error);

/// Writes every entry below `directory` (created when missing). Refuses the
/// whole archive, before writing anything, when a name is empty, absolute,
/// has a ".." part (backslashes count as slashes) or occurs twice, or when
/// writing would follow a symbolic link out of `directory`.
bool PackExtract(const std::string& pack, const std::string& directory, std::string& error);

/// Checks that the directory is sound, every entry lies inside the file and no
/// two entries share a name; `summary` tells the entry count and data bytes.
bool PackVerify(const std::string& pack, std::string& summary, std::string& error);
