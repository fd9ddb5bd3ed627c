#include "core/Object.h"

#include <cstring>

namespace {
// Names of 64 characters or more never match: the comparison looks at no more.
constexpr size_t kMaxClassNameLength = 64;
} // namespace

bool ClassNameMatches(const char* name, const char* className) {
    if (!name || !className || name[0] == '\0') {
        return false;
    }
    if (strnlen(name, kMaxClassNameLength) >= kMaxClassNameLength) {
        return false;
    }
    return std::strcmp(name, className) == 0;
}
