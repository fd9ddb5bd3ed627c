#include "platform/SingleInstanceLock.h"

#include "core/Log.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// An absolute folder named by the environment variable, else null.
const char* AbsoluteFolderFrom(const char* variable) {
    const char* value = std::getenv(variable);
    return value && value[0] == '/' ? value : nullptr;
}
} // namespace

SingleInstanceLock::~SingleInstanceLock() {
    Release();
}

String SingleInstanceLock::LockPath(const char* name) {
    const char* folder = AbsoluteFolderFrom("XDG_RUNTIME_DIR");
    if (!folder) {
        folder = AbsoluteFolderFrom("TMPDIR");
    }
    String path(folder ? folder : "/tmp");
    if (path.View().back() != '/') {
        path += "/";
    }
    path += name ? name : "";
    path += ".lock";
    return path;
}

bool SingleInstanceLock::Acquire(const char* name) {
    if (Held()) {
        return true;
    }
    const String path = LockPath(name);
    // The temp folder is shared between users: never follow a planted link,
    // and keep the descriptor out of child processes so they cannot hold the
    // lock after this copy exits.
    const int opened = open(path.CStr(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (opened < 0) {
        LogFormat("Cannot open the single-instance lock %s: %s; running anyway", path.CStr(),
                  std::strerror(errno));
        return true;
    }
    if (flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        close(opened);
        if (reason == EWOULDBLOCK) {
            return false;
        }
        LogFormat("Cannot lock %s: %s; running anyway", path.CStr(), std::strerror(reason));
        return true;
    }
    descriptor = opened;
    return true;
}

void SingleInstanceLock::Release() {
    if (descriptor < 0) {
        return;
    }
    flock(descriptor, LOCK_UN);
    close(descriptor);
    descriptor = -1;
}
