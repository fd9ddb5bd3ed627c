#pragma once
// Directory listing, from the pack archive while it is open, else from disk.
//
// Every listing replaces the one shared result list (one per process), read
// with ListedFiles(). Paths are the directory as given, "/", and the name;
// with an empty directory, the bare name (the top level of the archive or the
// current directory).
//
// From the archive: the pattern's suffix (the text after its last "*", all of
// it when it has none; an empty suffix matches every name) must end a direct
// child of the directory; names are the stored ones (lower-case, slashes) and
// come in directory order, and the comparison is byte-wise, so a directory
// given in capitals matches nothing. Recursion then lists each first-level
// subdirectory, in directory order, with the same pattern.
//
// From disk: files (not directories) whose name matches the wildcard pattern
// ("*" any run, "?" one byte; a pattern ending in ".*" also matches names
// without a dot, so "*.*" matches every file), sorted byte-wise by name so
// that results never depend on the file system; recursion then descends into
// each subdirectory in name order (symbolic links to directories are not
// followed, so a link loop cannot recurse forever).

#include "core/String.h"

#include <vector>

/// Fills the shared list; returns the number of paths.
int ListFiles(const char* directory, const char* pattern, bool recurse);
/// The same from the disk only, never recursing.
int ListLooseFiles(const char* directory, const char* pattern);
/// The paths of the last listing.
const std::vector<String>& ListedFiles();
