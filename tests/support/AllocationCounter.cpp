#include "support/AllocationCounter.h"

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define DUNHAVEN_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DUNHAVEN_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef DUNHAVEN_COUNT_ALLOCATIONS
#define DUNHAVEN_COUNT_ALLOCATIONS 1
#endif

namespace {
size_t allocations = 0;
int counting = 0;
} // namespace

namespace testing_support {

AllocationCounter::AllocationCounter() {
    ++counting;
    allocations = 0;
}

AllocationCounter::~AllocationCounter() {
    --counting;
}

size_t AllocationCounter::Count() const {
    return allocations;
}

bool AllocationCounter::Available() {
    return DUNHAVEN_COUNT_ALLOCATIONS != 0;
}

} // namespace testing_support

#if DUNHAVEN_COUNT_ALLOCATIONS
void* operator new(std::size_t size) {
    if (counting) {
        ++allocations;
    }
    if (void* block = std::malloc(size ? size : 1)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
#endif
