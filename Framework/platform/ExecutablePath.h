#pragma once
// The program's own directory, from which every relative data path resolves.
//
// The path is taken byte for byte from /proc/self/exe and cut after its last
// slash. Its case is kept and backslashes stay part of the names they are in:
// on a case-sensitive file system a lower-cased or re-slashed path would name
// a folder that does not exist. There is no length limit beyond the system's.

#include "core/String.h"

/// The directory of the running program file with a trailing slash, e.g.
/// "/home/ann/Games/MyGame/"; empty when the system cannot tell.
const String& GetExecutableDirectory();

/// The directory part of `programPath` up to and including its last slash;
/// empty when the path has no slash or is null.
String ExecutableDirectoryFromPath(const char* programPath);

/// Makes the executable directory the current directory; false (with a log
/// line) when it is unknown or cannot be entered.
bool EnterExecutableDirectory();
