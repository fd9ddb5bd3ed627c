#pragma once
// SingleInstanceLock: makes sure only one copy of the game runs per user.
//
// The lock is an advisory flock on the file "<name>.lock" in $XDG_RUNTIME_DIR
// (the per-user runtime folder), or in the system temp folder ($TMPDIR, else
// /tmp) when that is unset or not absolute. The kernel drops the lock when the
// holder exits in any way, so a crashed copy never blocks the next one. The
// file itself is left in place; its content is never read.

#include "core/String.h"

class SingleInstanceLock {
public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    /// Takes the lock named `name`. False only when another holder has it;
    /// when the lock file cannot be opened at all the game runs anyway (true,
    /// with a log line), since refusing to start would be worse than a
    /// second copy.
    bool Acquire(const char* name);
    /// Gives the lock up; nothing happens when it is not held.
    void Release();
    bool Held() const { return descriptor >= 0; }

    /// The lock file's path for `name` in the current environment.
    static String LockPath(const char* name);

private:
    int descriptor = -1;
};
