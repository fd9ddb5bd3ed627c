#include "platform/Environment.h"

#include <cstdlib>
#include <cstring>

bool EnvironmentFlag(const char* name) {
    const char* value = name ? std::getenv(name) : nullptr;
    return value && std::strcmp(value, "1") == 0;
}
