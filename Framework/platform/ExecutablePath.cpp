#include "platform/ExecutablePath.h"

#include "core/Log.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {
constexpr const char* kSelfLink = "/proc/self/exe";
// Paths longer than this are not followed; no file system offers them.
constexpr size_t kMaxProgramPath = 65536;

// The link's target, or empty when it cannot be read. readlink does not say
// whether it cut the path, so the buffer grows until the answer fits.
String ReadProgramPath() {
    std::vector<char> buffer(4096);
    while (buffer.size() <= kMaxProgramPath) {
        const ssize_t length = readlink(kSelfLink, buffer.data(), buffer.size());
        if (length < 0) {
            LogFormat("Cannot read the program path from %s: %s", kSelfLink, std::strerror(errno));
            return String();
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            return String(std::string_view(buffer.data(), static_cast<size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
    LogFormat("The program path in %s is longer than %zu bytes", kSelfLink, kMaxProgramPath);
    return String();
}
} // namespace

String ExecutableDirectoryFromPath(const char* programPath) {
    if (!programPath) {
        return String();
    }
    const char* lastSlash = std::strrchr(programPath, '/');
    if (!lastSlash) {
        return String();
    }
    return String(std::string_view(programPath, static_cast<size_t>(lastSlash - programPath) + 1));
}

const String& GetExecutableDirectory() {
    // The program file does not move while it runs: read the link once.
    static const String directory = ExecutableDirectoryFromPath(ReadProgramPath().CStr());
    return directory;
}

bool EnterExecutableDirectory() {
    const String& directory = GetExecutableDirectory();
    if (directory.Empty()) {
        LogLine("The program's directory is unknown; data paths resolve from the current directory");
        return false;
    }
    if (chdir(directory.CStr()) != 0) {
        LogFormat("Cannot enter the program's directory %s: %s", directory.CStr(), std::strerror(errno));
        return false;
    }
    return true;
}
