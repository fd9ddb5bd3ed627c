#include "core/Assert.h"

#include "core/Log.h"

#include <cstdio>
#include <cstdlib>

void EngineAssertionFailed(const char* condition, const char* file, int line) {
    LogFormat("Assertion failed: %s (%s:%d)", condition, file, line);
    // The log may go to a file or a console that never gets flushed.
    std::fprintf(stderr, "Assertion failed: %s (%s:%d)\n", condition, file, line);
    std::abort();
}
