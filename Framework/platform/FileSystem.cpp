#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

PathState QueryPath(const char* path) {
    if (!path || !*path) {
        return PathState::kMissing;
    }
    struct stat info;
    if (stat(path, &info) == 0) {
        return PathState::kExists;
    }
    return errno == ENOENT || errno == ENOTDIR ? PathState::kMissing : PathState::kUnreadable;
}

uint64_t OpenFileSize(FILE* stream) {
    struct stat info;
    if (!stream || fstat(fileno(stream), &info) != 0 || info.st_size < 0) {
        return 0;
    }
    return uint64_t(info.st_size);
}

String UserDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        return String(xdg);
    }
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') {
        return String(home) + "/.local/share";
    }
    return String();
}
