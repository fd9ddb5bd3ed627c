#pragma once
// Crash-safe file replacement for everything the game keeps between runs
// (options, player state, the game's saves).
//
// The bytes go to a new temporary file in the target's folder, named
// "." + file name + ".tmp" + six random characters, which is flushed to the
// disk before it is renamed over the target; the folder is flushed after the
// rename so that the new name survives a power cut too. A crash at any moment
// leaves either the complete old file or the complete new one, never a mix.
// A temporary file left by a crash is never read; RemoveStaleTemporaryFiles
// clears such leftovers.

#include <string_view>

/// Replaces `path` with `bytes`. On failure the reason is logged together with
/// the path, the temporary file is removed, any previous file at `path` is left
/// as it was, and the result is false.
bool WriteFileAtomically(const char* path, std::string_view bytes);
/// Deletes the temporary files a crashed WriteFileAtomically may have left in
/// `directory`; returns how many were removed.
int RemoveStaleTemporaryFiles(const char* directory);
