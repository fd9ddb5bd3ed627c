#pragma once
// FileSystem: the operating system's answers about files that the file
// layer and the game's saves need, beside the crash-safe writes of
// platform/AtomicWrite.h. Paths are system paths; nothing here looks into
// the pack archive.

#include "core/String.h"

#include <cstdint>
#include <cstdio>

enum class PathState {
    kExists,     ///< something (a file or a folder) is there
    kMissing,    ///< no such entry, or a part of the path is no folder
    kUnreadable, ///< the system could not tell (permissions, I/O error)
};

/// What is at `path`.
PathState QueryPath(const char* path);
/// The size in bytes of the file open as `stream`; 0 when the system cannot tell.
uint64_t OpenFileSize(FILE* stream);
/// The user's data folder: $XDG_DATA_HOME, else $HOME/.local/share (each
/// only when it is an absolute path); empty when neither is usable.
String UserDataHome();
