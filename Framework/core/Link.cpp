#include "core/Link.h"

namespace {
ResourceFinder resourceFinder = nullptr;
}

void SetResourceFinder(ResourceFinder finder) {
    resourceFinder = finder;
}

ResourceFinder GetResourceFinder() {
    return resourceFinder;
}
