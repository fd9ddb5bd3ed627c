#pragma once
// Directory listing, from the pack archive while it is open, else from disk.
//
// Each listing returns its own list, so listings may nest or overlap (a
// script listing files while another listing is being walked). Paths are the directory as given, "/", and the name;
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

/// The paths found, in the order described above.
std::vector<String> ListFiles(const char* directory, const char* pattern, bool recurse);
/// The same from the disk only, never recursing.
std::vector<String> ListLooseFiles(const char* directory, const char* pattern);
