#include "platform/AtomicWrite.h"

#include "core/Log.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kTemporaryMarker = ".tmp";

// The folder part of a path ("." when it has none).
std::string FolderOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return std::string(1, '.');
    }
    return std::string(slash == 0 ? path.substr(0, 1) : path.substr(0, slash));
}

std::string NameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool WriteAll(int fd, std::string_view bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t step = write(fd, bytes.data() + written, bytes.size() - written);
        if (step < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        written += static_cast<size_t>(step);
    }
    return true;
}

bool Fail(const char* path, const char* what, int error) {
    LogFormat("Could not write %s: %s (%s)", path, what, std::strerror(error));
    return false;
}

} // namespace

bool WriteFileAtomically(const char* path, std::string_view bytes) {
    if (!path || !*path) {
        LogLine("Could not write a file with an empty path");
        return false;
    }
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    if (name.empty()) {
        return Fail(path, "the path names a folder", EISDIR);
    }

    std::string temporary = folder + "/." + name + kTemporaryMarker + "XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return Fail(path, "cannot create a temporary file beside it", errno);
    }
    // mkstemp makes the file private; saves are ordinary user files.
    fchmod(fd, 0644);
    if (!WriteAll(fd, bytes) || fsync(fd) != 0) {
        const int error = errno;
        close(fd);
        unlink(temporary.c_str());
        return Fail(path, "writing the temporary file failed", error);
    }
    if (close(fd) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return Fail(path, "closing the temporary file failed", error);
    }
    if (rename(temporary.c_str(), path) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return Fail(path, "cannot replace the file", error);
    }
    // The rename is only durable once the folder entry is on the disk.
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return true;
}

int RemoveStaleTemporaryFiles(const char* directory) {
    const std::string base = directory && *directory ? directory : ".";
    DIR* folder = opendir(base.c_str());
    if (!folder) {
        return 0;
    }
    const std::string pattern = std::string(".*") + kTemporaryMarker + "??????";
    int removed = 0;
    while (const dirent* entry = readdir(folder)) {
        if (fnmatch(pattern.c_str(), entry->d_name, 0) != 0) {
            continue;
        }
        const std::string full = base + "/" + entry->d_name;
        struct stat info;
        if (lstat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode) && unlink(full.c_str()) == 0) {
            ++removed;
        }
    }
    closedir(folder);
    return removed;
}
